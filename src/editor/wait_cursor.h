#pragma once

// CZNWaitCursor: the shell's wait cursor for the lifetime of the object; nothing without a shell.
#include "editor/doc_shell.h"

class CZNWaitCursor
{
public:
    explicit CZNWaitCursor(IZNDocShell *shell) : m_Shell(shell)
    {
        if (m_Shell)
            m_Shell->BeginWaitCursor();
    }
    ~CZNWaitCursor()
    {
        if (m_Shell)
            m_Shell->EndWaitCursor();
    }
    CZNWaitCursor(const CZNWaitCursor &) = delete;
    CZNWaitCursor &operator=(const CZNWaitCursor &) = delete;

private:
    IZNDocShell *m_Shell;
};
