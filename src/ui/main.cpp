// zneditor: the editor's executable. Builds the application's shell around the one document.
#include <QApplication>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "ui/main_frame.h"
#include "ui/qt_reporter.h"
#include "app/window_placement.h"

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZN-Level Editor"));
    QCoreApplication::setApplicationName(QStringLiteral("TOVRA"));

    CZNEDITORApp *app = GetEditorApp();
    app->SetProgramDirectory(CZNEDITORApp::LocateExecutableDirectory());
    app->SetDefaultOptions();
    CZNQtReporter reporter;
    app->SetReporter(&reporter);

    CZNEDITORDoc document;
    CZNMainFrame frame(&document);
    reporter.SetParent(&frame);
    document.OnNewDocument();
    frame.resize(1024, 768);
    frame.ShowWindowPlaced(SW_SHOWNORMAL);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        document.OpenDocumentFile(arguments[1].toUtf8().constData());

    const int result = QApplication::exec();
    app->SetReporter(nullptr);
    return result;
}
