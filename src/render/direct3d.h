#pragma once

// CZN3D: the wrapper through which the editor talks to the 3D device. One instance lives in the
// application object. It owns the scene's material list, whose positions are the material
// indices faces store; the list works with or without a device.
#include "platform/export.h"
#include "platform/os/win_types.h"
#include "scene/container.h"

class CZNMATERIAL;

class ZN_API CZN3D
{
public:
    CZN3D();
    ~CZN3D();
    CZN3D(const CZN3D &) = delete;
    CZN3D &operator=(const CZN3D &) = delete;

    // Appends a new record named "New Material"; its index, or -1 when it cannot be allocated.
    int AddMaterial();
    // The record at index, or null when the index is not below the count.
    CZNMATERIAL *GetMaterialRecord(DWORD index) const;
    // Deletes every record beyond the built-in ones; returns the remaining count.
    DWORD TrimMaterialList();
    CZNCONTAINER *GetMaterialList() { return &m_MaterialList; }

private:
    WORD m_BuiltInMaterialCount;
    CZNCONTAINER m_MaterialList;
};
