#pragma once

// CZNIWFScene: the editor's IWF scene file. Saving turns the document, a selection or another
// scene file's lists into IWF chunks (thumbnail, signature, texture and material tables,
// groups, meshes with their surfaces, editor options); loading turns an IWF image back into new
// groups, brushes, overlays and entities (through their plug-ins) in the lists, matches textures against the texture
// manager and materials against the shared material list, and reads the editor options.
//
// Ownership: the lists point to objects the scene file does not own. A save never deletes
// anything. After a load the caller takes the objects (and calls FreeLists) or deletes them
// with Clear; groups go with their members, so a load drops every top-level group whose tree
// holds no object. A material record owns its material only while Owned is set: a silent load keeps
// the materials it makes outside the shared list and owned; a non-silent load appends them to
// the shared list, which owns them from then on.
//
// Failures: every operation but LoadThumbnail throws a 32-bit code (LONG): the stream's own code
// for a failed read, write, seek or flush, the IWF codes of file_errors.h for malformed images
// (0x89671B5A for any count, length or skip that does not fit the chunk holding it, 0x89671B5D
// for a chunk out of place, 0x89671B58 for a wrong signature) and 0x896707D0 for memory. After a
// failed load the lists hold what was made so far. LoadThumbnail never throws.
#include <memory>
#include <vector>

#include "fileio/iwf_body_reader.h"
#include "fileio/iwf_body_writer.h"
#include "fileio/iwf_file.h"

class CZN3D;
class CZNMemoryStreamIO;
class CZNImage;
class CZNEntity;
class CZNGROUP;
class CZNOverlay;
class ZNBRUSH;
class ZNFACE;
class CZNTexture;

// The system's own author id of custom chunks.
constexpr char IWF_AUTHOR_ID[] = "TOVRA";
constexpr BYTE IWF_AUTHOR_ID_LENGTH = 5;

// Save flags: one bit per part of the scene.
constexpr DWORD IWFSAVE_BRUSHES = 0x0001;
constexpr DWORD IWFSAVE_OVERLAYS = 0x0002;
constexpr DWORD IWFSAVE_ENTITIES = 0x0004;
constexpr DWORD IWFSAVE_GROUPS = 0x0008;
constexpr DWORD IWFSAVE_MATERIALS = 0x0020;
constexpr DWORD IWFSAVE_TEXTURES = 0x0040;
constexpr DWORD IWFSAVE_EDITOR_OPTIONS = 0x0080;
constexpr DWORD IWFSAVE_EXTRA_FACE_INFO = 0x0100;
constexpr DWORD IWFSAVE_EXTRA_MATERIAL_INFO = 0x0200;
constexpr DWORD IWFSAVE_EXTRA_TEXTURE_INFO = 0x0400;
constexpr DWORD IWFSAVE_EXTRA_OVERLAY_INFO = 0x0800;
constexpr DWORD IWFSAVE_SUMMARY = 0x1000;
constexpr DWORD IWFSAVE_INDICES = 0x2000;
constexpr DWORD IWFSAVE_THUMBNAIL = 0x4000;
constexpr DWORD IWFSAVE_ALL = 0x7FFF;

// The IWF export options: fourteen words, each non-zero for "on", numbered as below.
enum IWFEXPORTOPTION : int {
    IWFOPT_THUMBNAIL = 0,
    IWFOPT_SUMMARY = 1,
    IWFOPT_GROUP = 2,
    IWFOPT_MESH = 3,
    IWFOPT_ENTITY = 4,
    IWFOPT_INDICES = 5,
    IWFOPT_MATERIALS = 6,
    IWFOPT_TEXTURES = 7,
    IWFOPT_DECALMESH = 8,
    IWFOPT_EDITOR_OPTIONS = 9,
    IWFOPT_EXTRA_FACE_INFO = 10,
    IWFOPT_EXTRA_MATERIAL_INFO = 11,
    IWFOPT_EXTRA_TEXTURE_INFO = 12,
    IWFOPT_EXTRA_OVERLAY_INFO = 13,
    IWFOPT_COUNT = 14,
};

struct IWFEXPORTOPTIONS {
    DWORD Option[IWFOPT_COUNT] = {};
};

// What the geometry readers note while the children of one mesh are read; each mesh has its
// own, so a nested mesh cannot change how its parent is finished.
struct ZNMESHREADSTATE {
    BYTE IndicesLoaded = 0;
    BYTE NormalsPresent = 1;
    BYTE TexCoordsPresent = 1;
};

// What a chunk reader hands to the readers of its children (null at the top level).
struct IWFPARENTCONTEXT {
    WORD ParentId = 0;                    // the chunk whose children are read
    void *Object = nullptr;               // CZNGROUP (0x10), ZNBRUSH (0x20), CZNOverlay (0x21), face array (0x30)
    DWORD Count = 0;                      // faces of a surface; records of a 0x90 or 0xA0
    D3DXMATRIX *Matrix = nullptr;         // transform of the children's coordinates, or null
    DWORD First = 0;                      // first record of a 0x90 or 0xA0 in the scene's lists
    ZNMESHREADSTATE *ReadState = nullptr; // the enclosing mesh's state (meshes and surfaces)
};

class CZNMeshFinisher;

class ZN_API CZNIWFScene : public CZNIWFFile
{
public:
    CZNIWFScene();
    ~CZNIWFScene() override;

    // silent: no questions and no dialogs; new materials stay owned and out of the shared list.
    void Load(CZNStreamIO &stream, bool silent) override;
    // Decodes the first thumbnail into image; true when this call decoded one (even if the file
    // is damaged after it). The stream is put back where it was.
    bool LoadThumbnail(CZNStreamIO &stream, CZNImage *image) override;
    // The document's objects (needs a document; nothing but the header chunks without one).
    void SaveScene(CZNStreamIO &stream, DWORD flags, CZNImage *thumbnail) override;
    void SaveObjects(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags,
                     CZNImage *thumbnail) override;
    void SaveObjectsWithOptions(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries,
                                const IWFEXPORTOPTIONS &options, CZNImage *thumbnail);
    void ExportFromScene(CZNStreamIO &stream, CZNSceneFile &source, const IWFEXPORTOPTIONS &options,
                         CZNImage *thumbnail);
    // Deletes the objects of the chosen lists (0x08 groups with their nested groups, 0x01 brushes,
    // 0x02 overlays, 0x04 entities, 0x20 owned materials) and empties the chosen lists.
    void Clear(DWORD flags) override;

    void ProcessChunk(IWFCHUNK *chunk, void *context) override;

    // Steps of a save, public for the callers that assemble their own.
    void CollectGroups();
    void BuildMaterialTable();
    void BuildTextureTable();
    void GatherEditorOptions();
    void WriteFile();

    bool IsSilent() const { return m_Silent; }
    DWORD GetSaveFlags() const { return m_SaveFlags; }

    // Deletes a group and every group nested in it; other members are only unlinked. Shared
    // by every scene file whose Clear deletes groups.
    static void DeleteGroupTree(CZNGROUP *group);

    // The save flags the export options stand for (option 0 gives none).
    static DWORD ExportOptionsToFlags(const IWFEXPORTOPTIONS &options);
    // The thumbnail renderer's capture brought to the stored form: blurred, 106 x 106, 8 bits.
    // Null without a renderer or when a step fails.
    static std::unique_ptr<CZNImage> RenderThumbnail();
    // A 640 x 640 capture brought to the stored form in place; false when a step fails.
    static bool FinishThumbnail(CZNImage *capture);
    // Face style bits to file bits and back; bits without a counterpart are dropped.
    static DWORD FaceStyleToFile(DWORD style);
    static DWORD FileStyleToFace(DWORD bits);

protected:
    // Writers: the body of the open chunk (and its child chunks).
    void WriteThumbnail();
    void WriteTextures();
    void WriteMaterials();
    void WriteExtraMaterialInfo();
    void WriteEditorOptions();
    void WriteGroup(CZNGROUP *group);
    void WriteMesh(ZNBRUSH *brush);
    // The overlay's box as a matrix and extents, its extra information when saved, and its faces
    // in the box's frame.
    void WriteDecalMesh(CZNOverlay *overlay);
    // One entity chunk, tagged with its plug-in's maker for type codes from 0x200 on; nothing
    // without a plug-in or a block, or when the plug-in gives 0 bytes to save. A save buffer that
    // cannot be allocated throws 0x896707D0 (iwf_scene_entity.cpp).
    void WriteEntity(CZNEntity *entity);
    void WriteSurface(ZNFACE **faces, DWORD count, BYTE overlayFaces, const D3DXMATRIX *matrix);
    void WriteExtraFaceInfo(ZNFACE **faces, DWORD count);
    void WriteVertexComponents(ZNFACE **faces, DWORD count, DWORD vertexTotal, const D3DXMATRIX *matrix);
    void WriteIndices(ZNFACE **faces, DWORD count, DWORD indexTotal);
    // Writes the gathered body and empties it; a failed write throws the stream's code.
    void FlushBody();

    // Readers: the open chunk, its own data first, then its children.
    void ReadThumbnail(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadSignature(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadEditorOptions(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadTextures(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadMaterials(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadExtraMaterialInfo(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadGroup(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadMesh(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    // A new overlay with the faces as stored (not built again); one that fails before it is
    // listed leaves its group and is deleted before the error is thrown.
    void ReadDecalMesh(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadExtraOverlayInfo(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    // A new entity of the plug-in the type code and maker name; dropped without one. Data past
    // the block is skipped; an entity under a chunk other than a group, mesh or decal mesh is
    // deleted and 0x89671B5D thrown. Under a matrix the head is multiplied by it (not a fog
    // entity's).
    void ReadEntity(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadSurface(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadExtraFaceInfo(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadVertexComponents(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    void ReadIndices(IWFCHUNK *chunk, IWFPARENTCONTEXT *context);
    // The open chunk's own data left from the stream position: in place when a load walks a
    // memory image or its window over another stream, else read into m_Body. The stream moves
    // past it. Bytes in place stay valid until the walk reads on.
    CZNIWFBodyReader ReadBody();

    // Texture matching for records [first, first + count) and the Missing Resources report.
    void MatchTextures(size_t first, size_t count);
    // The position of the first texture record naming texture, or -1.
    LONG FindTextureRecord(const CZNTexture *texture) const;

    bool m_Silent;
    CZNImage *m_Thumbnail; // not owned
    DWORD m_SaveFlags;
    bool m_ThumbnailDecoded;      // a thumbnail-only read decoded one
    CZNIWFBodyWriter m_Out;       // the body being written
    std::vector<BYTE> m_Body;     // the body being read
    CZNMemoryStreamIO *m_InPlace; // the image a Load walks, whose bodies are read in place
    CZNStreamIO *m_Window;        // the window over another stream a Load walks, read in place too
    CZNMeshFinisher *m_Finisher;  // finishes the brushes a Load reads, or null (finished as read)

private:
    // The walk of a Load over the opened stream; every brush read is finished when it returns
    // or throws, and a walk that succeeds leaves no group without an object in its tree.
    void ReadAll(CZNMeshFinisher &finisher);
    // Deletes the listed groups whose trees hold no object.
    void DropEmptyGroups();
    // Opens for writing on a stage that hands finished top-level chunks to the stream; EndSave
    // hands on the rest and flushes the stream.
    void BeginSave(CZNStreamIO &stream);
    void EndSave();
    // Between top-level chunks of a save begun with BeginSave: the finished chunks go to the
    // stream once enough have gathered (all of the image when all is set). A failed write throws
    // the stream's code.
    void PassFinishedChunks(bool all);
    void AppendSelection(const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags);
    // The mesh chunks of the brush list, top level, in list order (a large list is made on
    // helper threads); WriteMeshChunksHere writes them one by one on this thread.
    void WriteMeshChunks();
    void WriteMeshChunksHere();
    // The material and texture tables in one walk over the saved faces.
    void BuildTables(bool materials, bool textures);
    // Appends the record of the wrapper's material at index unless the table already names it.
    void AddMaterialRecord(CZN3D *wrapper, LONG index);

    CZNStreamIO *m_Target;                // the caller's stream while a save runs
    std::unique_ptr<CZNStreamIO> m_Stage; // the unfinished tail of the save being written
};
