#pragma once

// The document's singly linked object lists (overlays, entities): objects linked through their
// m_Next field, in creation order, from a head pointer.

// Links object behind the last one; false (and nothing changes) when it is already listed, as
// linking it again would close the list into a ring.
template <typename T> bool ZnAppendToList(T *&head, T *object)
{
    T *last = nullptr;
    for (T *o = head; o; o = o->m_Next) {
        if (o == object)
            return false;
        last = o;
    }
    object->m_Next = nullptr;
    if (last)
        last->m_Next = object;
    else
        head = object;
    return true;
}

// The last object; null for an empty list.
template <typename T> T *ZnLastInList(T *head)
{
    T *last = head;
    while (last && last->m_Next)
        last = last->m_Next;
    return last;
}

// Takes object out of the list (nothing when it is not listed) and clears its link.
template <typename T> void ZnUnlinkFromList(T *&head, T *object)
{
    for (T **link = &head; *link; link = &(*link)->m_Next) {
        if (*link == object) {
            *link = object->m_Next;
            object->m_Next = nullptr;
            return;
        }
    }
}

// Links object in at a list position (behind the object at index - 1, at the head for 0); a
// position past the end appends.
template <typename T> void ZnInsertInList(T *&head, T *object, unsigned long index)
{
    T **link = &head;
    for (unsigned long i = 0; i < index && *link; ++i)
        link = &(*link)->m_Next;
    object->m_Next = *link;
    *link = object;
}
