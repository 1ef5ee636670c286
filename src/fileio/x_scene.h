#pragma once

// CZNXScene: the scene file of DirectX .X meshes. Loading turns the whole mesh of a file into
// one brush of triangles in the brush list, with a material record and a texture record for
// every material of the file (record i belongs to attribute i). Exporting gathers brushes (and
// the material and texture tables their faces use) from the document, a selection or another
// scene file and writes them as one triangle mesh in a binary .X file.
//
// Ownership: the lists point to objects the scene file does not own. After a load the caller
// takes the brush (and calls FreeLists) or deletes it with Clear(1). Materials a load adds to
// the shared material list belong to that list; material records never own them.
//
// Failures throw a 32-bit code (LONG): 0x89672328 when the file cannot be read, holds no
// faces, or the export has no faces or cannot be written; 0x896707D0 for memory; a failed
// stream read throws the stream's code. IsValidFile never throws.
#include <string>
#include <vector>

#include "fileio/scene_file.h"
#include "platform/d3d9/d3d9_types.h"

class ID3DXMesh;
class ZNFACE;

// Clear flags of this class.
constexpr DWORD XSCENE_CLEAR_BRUSHES = 0x01;
constexpr DWORD XSCENE_CLEAR_TEXTURES = 0x20;

// Export flags.
constexpr DWORD XEXPORT_BRUSHES = 0x01;
constexpr DWORD XEXPORT_OVERLAYS = 0x02;
constexpr DWORD XEXPORT_ENTITIES = 0x04;
constexpr DWORD XEXPORT_MATERIALS = 0x10;
constexpr DWORD XEXPORT_TEXTURES = 0x20;
constexpr DWORD XEXPORT_ALL = 0x3F;

// One material entry of an export: material values and a texture file name.
struct ZNXEXPORTENTRY {
    D3DMATERIAL9 Material{};
    bool HasName = false;
    std::string Name;
};

class ZN_API CZNXScene : public CZNSceneFile
{
public:
    CZNXScene();
    ~CZNXScene() override;

    // Reads the stream from its position to its end; silent is not used.
    void Load(CZNStreamIO &stream, bool silent) override;
    // True when Load would read the stream; the position is put back.
    bool IsValidFile(CZNStreamIO &stream) override;
    // True when the 16 bytes are a header the reader accepts ("xof ", version, format, float size).
    static bool IsXHeader(const char *header);
    // 0x01 deletes the brushes of the list; 0x20 empties the texture records (they hold no
    // reference). Both empty their list.
    void Clear(DWORD flags) override;

    // Exports (flags: XEXPORT_*). Each throws as described above.
    void ExportScene(const char *path, DWORD flags);
    void ExportSelection(const char *path, const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags);
    void ExportFromScene(const char *path, CZNSceneFile &source, DWORD flags);

    // Steps of an export, public for callers that assemble their own.
    void BuildMaterialTable();
    void BuildTextureTable();
    void WriteMesh(const char *path);
    // The mesh WriteMesh welds and saves, before the weld: three vertices per triangle, faces in
    // list order; entries receives the material table the attributes index. Null (and no
    // entries) when there is no triangle.
    ID3DXMesh *BuildExportMesh(std::vector<ZNXEXPORTENTRY> &entries);

    DWORD GetExportFlags() const { return m_ExportFlags; }

private:
    // The material entry of a face, appended when new; 0 when no material record matches.
    DWORD FaceEntry(ZNFACE *face, std::vector<ZNXEXPORTENTRY> &entries) const;
    // The bytes of the stream from its position to its end.
    static std::vector<BYTE> ReadRest(CZNStreamIO &stream);

    DWORD m_ExportFlags;
};
