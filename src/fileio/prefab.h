#pragma once

// CZNPrefab: one prefab found by the prefab manager: an IWF file, its display name (file name
// without folder and extension, plus any duplicate suffix), its category and a thumbnail the
// prefab list loads on first drawing. The manager owns its prefabs; a prefab owns its thumbnail.
//
// Names and paths longer than their fields are cut. DrawThumbnail gives false, drawing nothing,
// without a context or a thumbnail, or when the picture cannot be packed.
#include <cstddef>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNImage;
class CZNDC;

class ZN_API CZNPrefab
{
public:
    static constexpr size_t kNameLength = 1024; // 1023 characters and the zero
    static constexpr size_t kPathLength = 1024;

    CZNPrefab();
    ~CZNPrefab();
    CZNPrefab(const CZNPrefab &) = delete;
    CZNPrefab &operator=(const CZNPrefab &) = delete;

    // Deletes the thumbnail and clears the next link.
    void Release();

    // Draws the thumbnail with its 256 colours at (x, y) in width x height (DrawPalettedImage);
    // a width or height of 0 means the thumbnail's own.
    bool DrawThumbnail(CZNDC *dc, int x, int y, int width, int height);

    const char *GetName() const { return m_Name; }
    void SetName(const char *name);
    // Appends to the name, cut to its field.
    void AppendToName(const char *text);
    const char *GetPath() const { return m_Path; }
    void SetPath(const char *path);
    BYTE GetCategory() const { return m_Category; }
    void SetCategory(BYTE category) { m_Category = category; }
    CZNImage *GetThumbnail() const { return m_Thumbnail; }
    // Takes ownership of image, deleting the old one.
    void SetThumbnail(CZNImage *image);
    CZNPrefab *GetNext() const { return m_Next; }
    void SetNext(CZNPrefab *next) { m_Next = next; }

private:
    char m_Name[kNameLength];
    char m_Path[kPathLength];
    BYTE m_Category;
    CZNImage *m_Thumbnail;
    CZNPrefab *m_Next;
};
