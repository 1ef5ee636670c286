#pragma once

// CZNSceneFile: the abstract root of every scene format (IWF, 3DS, .X). It holds the lists a
// load fills and a save reads, and the editor-options block saved with a scene. The lists point
// to objects the scene file does not own unless its Clear is asked to delete them.
#include <vector>

#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class CZNStreamIO;
class CZNImage;
class CZNGROUP;
class ZNBRUSH;
class CZNOverlay;
class CZNEntity;
class CZNMATERIAL;
class CZNTexture;
struct ZNSELECTIONENTRY;

// One material used by a scene.
struct ZN_API ZNMATERIALREF {
    CZNMATERIAL *Material = nullptr; // never null in a stored record
    BYTE Owned = 0;                  // the record made the material and frees it in Clear
    BYTE Created = 0;                // a reader made the material (owned or handed to the shared list)
    DWORD Index = 0;                 // position in the shared material list (silent reads: in this list)
    // Filled by the 3DS importer.
    char Name[256] = {};
    LONG TextureRef = -1; // index in the texture records, -1 for none
    float MapAmount = 0.0f;
    float SelfIllumination = 0.0f;
    BYTE TwoSided = 0;
};

// One texture used by a scene.
struct ZN_API ZNTEXTUREREF {
    CZNTexture *Texture = nullptr; // null while no loaded texture matched it
    char Name[256] = {};           // file name without folders
    DWORD CRC = 0;                 // CRC of the picture, 0 when absent
};

// The editor-options block: fourteen 32-bit words.
struct ZN_API ZNEDITOROPTIONS {
    DWORD Flags = 0;
    DWORD Reserved = 0;
    D3DXVECTOR3 CameraPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 CameraLook{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 CameraUp{0.0f, 0.0f, 0.0f};
    DWORD CameraSelected = 0;
    DWORD OptionWord21 = 0; // application option word 21
    DWORD OptionWord20 = 0; // application option word 20 (a float's bits)
};
static_assert(sizeof(ZNEDITOROPTIONS) == 56, "the editor-options block is fourteen 32-bit words");

class ZN_API CZNSceneFile
{
public:
    CZNSceneFile();
    CZNSceneFile(const CZNSceneFile &) = delete;
    CZNSceneFile &operator=(const CZNSceneFile &) = delete;

    // Fills the lists; the caller takes the objects over (and then calls FreeLists) or deletes
    // them with Clear.
    virtual void Load(CZNStreamIO &stream, bool silent) = 0;
    // False for formats without a thumbnail.
    virtual bool LoadThumbnail(CZNStreamIO &stream, CZNImage *image);
    virtual void SaveObjects(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags,
                             CZNImage *thumbnail);
    virtual void SaveScene(CZNStreamIO &stream, DWORD flags, CZNImage *thumbnail);
    virtual void Clear(DWORD flags) = 0;
    virtual bool IsValidFile(CZNStreamIO &stream) = 0;
    virtual ~CZNSceneFile();

    // Releases the storage of the six lists without deleting any object or material.
    void FreeLists();

protected:
    // Deletes every listed brush, taking it out of a group that is kept first, and empties the
    // list. For the readers' Clear.
    void DeleteListedBrushes();
    // Deletes the material records the file owns and empties the list.
    void DeleteMaterialRefs();

public:
    std::vector<CZNGROUP *> m_Groups;
    std::vector<ZNBRUSH *> m_Brushes;
    std::vector<CZNOverlay *> m_Overlays;
    std::vector<CZNEntity *> m_Entities;
    std::vector<ZNMATERIALREF> m_MaterialRefs;
    std::vector<ZNTEXTUREREF> m_TextureRefs;
    bool m_EditorOptionsPresent;
    ZNEDITOROPTIONS m_EditorOptions;
};
