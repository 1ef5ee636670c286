#pragma once

// CZNPairList: a growable list of pairs of untyped pointers.
#include "platform/export.h"
#include "platform/os/win_types.h"

struct ZNPAIR {
    void *first;
    void *second;
};

class ZN_API CZNPairList
{
public:
    CZNPairList();
    CZNPairList(const CZNPairList &) = delete;
    CZNPairList &operator=(const CZNPairList &) = delete;
    virtual ~CZNPairList();

    // Returns the new count (0 when the array could not grow; nothing is lost).
    DWORD Add(void *first, void *second);
    ZNPAIR *GetPair(DWORD index) const;
    DWORD GetCount() const { return m_Count; }
    void Clear() { m_Count = 0; }
    void Optimize();

private:
    ZNPAIR *m_Pairs;
    DWORD m_Count;
    DWORD m_Capacity;
    DWORD m_GrowStep;
};
