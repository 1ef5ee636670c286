#include "scene/bsp_polygon.h"

#include <cstdlib>
#include <cstring>

CZNBSPPOLYGON::CZNBSPPOLYGON()
    : m_Texture(nullptr), m_VertexCount(0), m_SplitterNode(-1), m_Vertices(nullptr), m_Normal(0, 0, 0), m_Next(nullptr),
      m_UsedAsSplitter(0), m_Style(0), m_UPos(0), m_VPos(0), m_UWrap(0), m_VWrap(0), m_Rotation(0, 0, 0, 0),
      m_MappingMode(0), m_SourceBrush(nullptr), m_FrontFragment(-1), m_BackFragment(-1), m_SurfaceTag(-1), m_Deleted(0),
      m_Material(0), m_SrcBlend(-1), m_DestBlend(-1),
      m_MappingOrigin(ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN), m_SourceFace(-1)
{
}

CZNBSPPOLYGON::~CZNBSPPOLYGON()
{
    FreeVertices();
}

void CZNBSPPOLYGON::FreeVertices()
{
    std::free(m_Vertices);
    m_Vertices = nullptr;
    m_VertexCount = 0;
}

bool CZNBSPPOLYGON::SetVertices(const ZNVERTEX *vertices, int count)
{
    FreeVertices();
    if (count <= 0 || count > 0x7FFF || !vertices)
        return count == 0;
    m_Vertices = static_cast<ZNVERTEX *>(std::malloc(sizeof(ZNVERTEX) * count));
    if (!m_Vertices)
        return false;
    std::memcpy(m_Vertices, vertices, sizeof(ZNVERTEX) * count);
    m_VertexCount = static_cast<SHORT>(count);
    return true;
}

void CZNBSPPOLYGON::CopyProperties(const CZNBSPPOLYGON &source)
{
    m_Texture = source.m_Texture;
    m_SplitterNode = source.m_SplitterNode;
    m_Normal = source.m_Normal;
    m_UsedAsSplitter = source.m_UsedAsSplitter;
    ZnCopySurfaceAttributes(*this, source);
    m_SourceBrush = source.m_SourceBrush;
    m_SurfaceTag = source.m_SurfaceTag;
    m_Deleted = source.m_Deleted;
    m_Material = source.m_Material;
    m_SourceFace = source.m_SourceFace;
}

void CZNBSPPOLYGON::CopyFaceProperties(const ZNFACE &face)
{
    m_Texture = face.m_Texture;
    m_Normal = face.m_Normal;
    ZnCopySurfaceAttributes(*this, face);
    m_SurfaceTag = face.m_SurfaceTag;
    m_Material = face.m_Material;
}
