#pragma once

// The shipped entity plug-ins' controls: rows of a label and a widget, top to bottom, in the
// host the editor gives CreateControls. Every widget's change goes to the host as a command
// (TOVRA_HostCommand) with the widget's id and notification code, except while the plug-in fills
// its widgets from a block itself. The host owns the widgets; the plug-in keeps them through
// QPointer, so those the host has deleted read as null.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>

#include "scene/container.h"
#include "sdk/host_api.h"
#include "sdk/plugin_types.h"

namespace zn_controls
{

// Applies change to every block of the container handed to the plug-in (none without one).
template <typename Block, typename Change> void ForEachBlock(CZNCONTAINER *blocks, Change change)
{
    if (!blocks)
        return;
    for (DWORD i = 0; i < blocks->GetElementCount(); ++i)
        if (Block *block = static_cast<Block *>(blocks->GetElement(i)))
            change(*block);
}

constexpr int kMargin = 4;
constexpr int kRowHeight = 22;
constexpr int kLabelWidth = 52;

// Lays out rows in the host: a label on the left and the widget beside it, named after the label.
class CZNControlRows
{
public:
    explicit CZNControlRows(QWidget *host) : m_Host(host), m_Y(kMargin) {}

    int Height() const { return m_Y + kMargin; }

    QComboBox *Combo(const char *label, WORD id, const QStringList &items)
    {
        auto *combo = new QComboBox(m_Host);
        combo->addItems(items);
        Place(label, combo);
        QObject::connect(combo, &QComboBox::activated, combo,
                         [combo, id](int) { TOVRA_HostCommand(combo, MAKEWPARAM(id, CBN_SELCHANGE), Handle(combo)); });
        return combo;
    }
    QSpinBox *Spin(const char *label, WORD id, int minimum, int maximum)
    {
        auto *spin = new QSpinBox(m_Host);
        spin->setRange(minimum, maximum);
        Place(label, spin);
        QObject::connect(spin, &QSpinBox::valueChanged, spin,
                         [spin, id](int) { TOVRA_HostCommand(spin, MAKEWPARAM(id, EN_CHANGE), Handle(spin)); });
        return spin;
    }
    QLineEdit *Edit(const char *label, WORD id)
    {
        auto *edit = new QLineEdit(m_Host);
        Place(label, edit);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, id](const QString &) {
            TOVRA_HostCommand(edit, MAKEWPARAM(id, EN_CHANGE), Handle(edit));
        });
        return edit;
    }
    QCheckBox *Check(const char *text, WORD id)
    {
        auto *check = new QCheckBox(QString::fromLatin1(text), m_Host);
        check->setObjectName(QString::fromLatin1(text));
        check->setGeometry(kMargin, m_Y, Width(), kRowHeight - 2);
        check->show();
        m_Y += kRowHeight;
        QObject::connect(check, &QCheckBox::clicked, check,
                         [check, id](bool) { TOVRA_HostCommand(check, MAKEWPARAM(id, BN_CLICKED), Handle(check)); });
        return check;
    }

    static LPARAM Handle(QWidget *widget) { return reinterpret_cast<LPARAM>(widget); }

private:
    int Width() const { return m_Host->width() - 2 * kMargin; }
    void Place(const char *label, QWidget *widget)
    {
        widget->setObjectName(QString::fromLatin1(label));
        auto *text = new QLabel(QString::fromLatin1(label), m_Host);
        text->setGeometry(kMargin, m_Y, kLabelWidth, kRowHeight - 2);
        text->show();
        widget->setGeometry(kMargin + kLabelWidth, m_Y, Width() - kLabelWidth, kRowHeight - 2);
        widget->show();
        m_Y += kRowHeight;
    }

    QWidget *m_Host;
    int m_Y;
};

// A widget's new value without a command going out.
template <typename Widget, typename Set> void Fill(const QPointer<Widget> &widget, Set set)
{
    if (!widget)
        return;
    const QSignalBlocker quiet(widget.data());
    set(widget.data());
}

// Deletes a widget the plug-in still holds.
template <typename Widget> void Destroy(QPointer<Widget> &widget)
{
    delete widget.data();
    widget = nullptr;
}

// The float typed in an edit; false when it is not a number.
inline bool TypedFloat(const QPointer<QLineEdit> &edit, float *value)
{
    if (!edit)
        return false;
    bool ok = false;
    const float typed = edit->text().trimmed().toFloat(&ok);
    if (ok)
        *value = typed;
    return ok;
}

} // namespace zn_controls
