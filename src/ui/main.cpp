// zneditor: the editor's executable. Start-up runs in the application object against the Qt
// shell; the message loop is Qt's.
#include <QApplication>

#include "app/editor_app.h"
#include "ui/qt_app_shell.h"
#include "ui/qt_reporter.h"

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZN-Level Editor"));
    QCoreApplication::setApplicationName(QStringLiteral("TOVRA"));

    CZNEDITORApp *app = GetEditorApp();
    CZNQtReporter reporter;
    app->SetReporter(&reporter);

    int result = 1;
    {
        CZNQtAppShell shell(&reporter);
        if (app->InitInstance(&shell, argc, argv))
            result = QApplication::exec();
        shell.DestroyWindows();
        app->ReleaseInstance();
    }
    app->SetReporter(nullptr);
    return result;
}
