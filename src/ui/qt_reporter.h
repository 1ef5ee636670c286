#pragma once

// CZNQtReporter: the editor's reporter. Messages are modal Qt message boxes with the type's
// buttons and icon, over the parent window (may be null); missing resources show the Missing
// Resources dialog. It owns nothing. A box closed without a button answers Cancel, or the
// default button of a set without Cancel.
#include "platform/os/reporter.h"

class QWidget;

class CZNQtReporter : public IZNReporter
{
public:
    explicit CZNQtReporter(QWidget *parent = nullptr) : m_Parent(parent) {}
    void SetParent(QWidget *parent) { m_Parent = parent; }

    int Message(const std::string &text, const std::string &caption, unsigned type) override;
    void ShowMissingResources(const std::vector<std::string> &names) override;

private:
    QWidget *m_Parent;
};
