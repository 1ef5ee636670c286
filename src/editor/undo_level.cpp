// The undo level of one command or drag: continuation bytes, naming, cap and redraw.
#include "editor/undo_level.h"

#include "editor/editor_doc.h"
#include "editor/undo_record.h"

CZNUndoLevel::CZNUndoLevel(CZNEDITORDoc *doc, const char *description) : m_Doc(doc), m_Description(description) {}

CZNUndoLevel::CZNUndoLevel(CZNEDITORDoc *doc, JoinNewest)
    : m_Doc(doc), m_Description(nullptr), m_Joined(doc && doc->GetUndoList())
{
}

CZNUndoLevel::~CZNUndoLevel()
{
    if (m_Open)
        Cancel();
}

bool CZNUndoLevel::Record(DWORD type, std::vector<ZNSELECTIONENTRY> &entries, int withGroups, const char *description)
{
    if (!m_Open || !m_Doc || !m_Doc->WriteUndoData(type, entries, IsBegun() ? 1 : 0, withGroups))
        return false;
    return Written(description);
}

bool CZNUndoLevel::RecordSelection(DWORD type, int withGroups, const char *description)
{
    if (!m_Open || !m_Doc || !m_Doc->CreateUndoLevel(type, IsBegun() ? 1 : 0, withGroups))
        return false;
    return Written(description);
}

bool CZNUndoLevel::Written(const char *description)
{
    if (description)
        m_Doc->SetUndoDescription(description);
    else if (!IsBegun() && m_Description)
        m_Doc->SetUndoDescription(m_Description);
    m_Records.push_back(m_Doc->GetUndoList());
    return true;
}

void CZNUndoLevel::Commit(const char *description)
{
    if (!m_Open)
        return;
    m_Open = false;
    if (!m_Doc)
        return;
    if (IsBegun()) {
        if (description)
            m_Doc->SetUndoDescription(description);
        m_Doc->TrimUndoBuffer();
    }
    m_Doc->RedrawAllViews(nullptr, 0);
}

void CZNUndoLevel::Cancel()
{
    if (!m_Open)
        return;
    m_Open = false;
    while (m_Doc && !m_Records.empty() && m_Doc->GetUndoList() == m_Records.back()) {
        m_Doc->DropNewestUndoRecord();
        m_Records.pop_back();
    }
}
