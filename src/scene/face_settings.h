#pragma once

// The per-face settings that brushes and overlays both offer to the options panel, the selection
// band and the plug-ins. Each takes the owner's face (null when the index is out of range) and,
// where the setting moves the texture, remap: a callable that generates that face's texture
// coordinates again. Each returns 1 when the face took the setting, else 0.
#include <cstdint>

#include "scene/face.h"
#include "scene/face_mapping.h"

// Offsets and repeats: the value is stored even on a locked face, which then refuses the remap.
template <typename Store, typename Remap> int ZnStoreFaceSetting(ZNFACE *face, Store store, Remap remap)
{
    if (!face)
        return 0;
    store(*face);
    if (ZnIsFaceLocked(face))
        return 0;
    remap();
    return 1;
}

// Rotation, mapping mode and texture: a locked face refuses and keeps what it has.
template <typename Change, typename Remap> int ZnChangeUnlockedFace(ZNFACE *face, Change change, Remap remap)
{
    if (!face || ZnIsFaceLocked(face))
        return 0;
    change(*face);
    remap();
    return 1;
}

// Sets the rotation, each angle held within 0 to 6.28.
template <typename Remap> int ZnSetFaceRotation(ZNFACE *face, const D3DXVECTOR4 &rotation, Remap remap)
{
    return ZnChangeUnlockedFace(
        face,
        [&](ZNFACE &f) {
            f.m_Rotation = D3DXVECTOR4(ZnClampRotation(rotation.x), ZnClampRotation(rotation.y),
                                       ZnClampRotation(rotation.z), ZnClampRotation(rotation.w));
        },
        remap);
}

// Sets a mapping mode from 1 to 7; any other is refused.
template <typename Remap> int ZnSetFaceMappingMode(ZNFACE *face, BYTE mode, Remap remap)
{
    if (mode < 1 || mode > 7)
        return 0;
    return ZnChangeUnlockedFace(
        face, [&](ZNFACE &f) { f.m_MappingMode = mode; }, remap);
}

// Sets the texture; the coordinates are generated again only when calculate is set.
template <typename Remap> int ZnSetFaceTexture(ZNFACE *face, CZNTexture *texture, int calculate, Remap remap)
{
    return ZnChangeUnlockedFace(
        face, [&](ZNFACE &f) { f.SetTexture(texture); },
        [&] {
            if (calculate)
                remap();
        });
}

// Generates the coordinates of every unlocked face again through remap(index). While the
// selection band drags, only face-aligned mapping (mode 1) follows the geometry.
template <typename Remap> void ZnRemapFaces(ZNFACE *const *faces, DWORD count, bool dragging, Remap remap)
{
    for (DWORD i = 0; i < count; ++i) {
        const ZNFACE *face = faces[i];
        if (ZnIsFaceLocked(face) || (dragging && face->m_MappingMode != 1))
            continue;
        remap(i);
    }
}

// Both blend factors from 0 to 9 are taken; otherwise the face is set to no blending and 0 returned.
inline int ZnSetFaceAlphaBlend(ZNFACE *face, int8_t source, int8_t destination)
{
    if (!face)
        return 0;
    if (source >= 0 && source <= 9 && destination >= 0 && destination <= 9) {
        face->m_SrcBlend = source;
        face->m_DestBlend = destination;
        return 1;
    }
    face->m_SrcBlend = -1;
    face->m_DestBlend = -1;
    return 0;
}

inline int ZnSetFaceStyle(ZNFACE *face, DWORD style)
{
    if (!face)
        return 0;
    face->m_Style = style;
    return 1;
}
