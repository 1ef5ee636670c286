#include "ui/qt_reporter.h"

#include <QMessageBox>

#include "ui/missing_res_dlg.h"

int CZNQtReporter::Message(const std::string &text, const std::string &caption, unsigned type)
{
    QMessageBox box(m_Parent);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Button {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Button> buttons;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    default:
        buttons = {{QMessageBox::Ok, IDOK}};
        break;
    }
    QMessageBox::StandardButtons set;
    for (const Button &b : buttons)
        set |= b.button;
    box.setStandardButtons(set);
    box.setDefaultButton(buttons.front().button);
    const int chosen = box.exec();
    for (const Button &b : buttons)
        if (chosen == b.button)
            return b.answer;
    for (const Button &b : buttons)
        if (b.answer == IDCANCEL)
            return IDCANCEL;
    return DefaultAnswer(type);
}

void CZNQtReporter::ShowMissingResources(const std::vector<std::string> &names)
{
    CZNMissingResDlg dialog(names, m_Parent);
    dialog.exec();
}
