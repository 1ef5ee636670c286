#pragma once

// CZNUndoLevel: the undo level of one command or one drag. The first record written through it
// begins the level (continuation 0) and every later one continues it (continuation 1), so one
// Undo takes the whole edit back. Commit applies the memory cap and redraws the views. A level
// dropped without Commit takes back the records it wrote and leaves no level; after Commit or
// Cancel it writes nothing further. It holds the document, which must outlive it.
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNEDITORDoc;
struct ZNSELECTIONENTRY;
struct ZNUNDORECORD;

class ZN_API CZNUndoLevel
{
public:
    // The description names the level's first record when it is written (a static text; may be
    // null for a level named at Commit).
    CZNUndoLevel(CZNEDITORDoc *doc, const char *description);
    // A level that goes on with the document's newest level: its first record continues it.
    struct JoinNewest {
    };
    CZNUndoLevel(CZNEDITORDoc *doc, JoinNewest);
    ~CZNUndoLevel();
    CZNUndoLevel(const CZNUndoLevel &) = delete;
    CZNUndoLevel &operator=(const CZNUndoLevel &) = delete;

    // One record of the given entries (sorted by the writer for the types that need it); with a
    // description that record is named by it instead of the level's text. False without a
    // document or entries, when the write failed or the level has ended.
    bool Record(DWORD type, std::vector<ZNSELECTIONENTRY> &entries, int withGroups, const char *description = nullptr);
    // One record of the selection band's entries (camera left out); false for an empty band.
    bool RecordSelection(DWORD type, int withGroups, const char *description = nullptr);

    // True once a record was written through it, and from the start for a joining level.
    bool IsBegun() const { return m_Joined || !m_Records.empty(); }
    bool IsOpen() const { return m_Open; }
    CZNEDITORDoc *GetDocument() const { return m_Doc; }

    // Ends the level: when it began, a description given here names its newest record and the
    // undo buffer is trimmed; the views are redrawn either way.
    void Commit(const char *description = nullptr);
    // Ends the level without keeping it: its records leave the undo list, newest first, as long
    // as the newest record is one of them.
    void Cancel();

private:
    bool Written(const char *description);

    CZNEDITORDoc *m_Doc;
    const char *m_Description;
    bool m_Joined = false;
    std::vector<const ZNUNDORECORD *> m_Records; // written through this object, oldest first
    bool m_Open = true;
};
