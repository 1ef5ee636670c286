#include "ui/program_cursor.h"

#include <QPixmap>

#include <string>

#include "app/editor_app.h"

QCursor ProgramCursor(int id, int hotX, int hotY)
{
    const std::string path = GetEditorApp()->GetProgramDirectory() + "Resources/cursor" + std::to_string(id) + ".png";
    const QPixmap image(QString::fromStdString(path));
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    return QCursor(image, hotX, hotY);
}

QCursor PageCursor(int id)
{
    return ProgramCursor(id, 15, 15);
}
