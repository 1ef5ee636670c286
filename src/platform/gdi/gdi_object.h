#pragma once

// Base of the drawing objects that a device context selects: pens, brushes, fonts and bitmaps.
// An object keeps the list of device contexts it is selected into, so that destroying it while
// selected puts the context back on its stock object instead of leaving it pointing at nothing.
#include <vector>

#include "platform/export.h"
#include "platform/gdi/gdi_types.h"

class ZN_API CZNGdiObject
{
public:
    enum class Kind { Pen, Brush, Font, Bitmap };

    virtual ~CZNGdiObject();
    CZNGdiObject(const CZNGdiObject &) = delete;
    CZNGdiObject &operator=(const CZNGdiObject &) = delete;

    Kind GetKind() const { return m_Kind; }
    // The handle of a created object (the object itself), null before creation or after deletion.
    HGDIOBJ GetSafeHandle() { return m_Created ? this : nullptr; }
    bool IsCreated() const { return m_Created; }
    bool IsStock() const { return m_Stock; }
    bool IsSelected() const { return !m_SelectedIn.empty(); }

    // Frees what the object holds and returns it to the uncreated state. Fails for an object that
    // is not created, for a stock object and for an object still selected into a device context.
    BOOL DeleteObject();

    // Drawing objects handed out as handles by the free creation functions are owned by their handle:
    // DeleteObject(handle) destroys them.
    void SetOwnedByHandle() { m_OwnedByHandle = true; }
    bool IsOwnedByHandle() const { return m_OwnedByHandle; }

protected:
    explicit CZNGdiObject(Kind kind) : m_Kind(kind) {}
    void MarkCreated() { m_Created = true; }
    void MarkStock() { m_Stock = true; }
    // Frees the derived object's resources; called by DeleteObject.
    virtual void FreeResources() {}

private:
    friend class CZNDC;
    void AddSelector(CZNDC *dc);
    void RemoveSelector(CZNDC *dc);

    Kind m_Kind;
    bool m_Created = false;
    bool m_Stock = false;
    bool m_OwnedByHandle = false;
    std::vector<CZNDC *> m_SelectedIn; // not kept for stock objects, which live for the whole run
};
