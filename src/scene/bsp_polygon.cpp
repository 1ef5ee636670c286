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
    m_Style = source.m_Style;
    m_UPos = source.m_UPos;
    m_VPos = source.m_VPos;
    m_UWrap = source.m_UWrap;
    m_VWrap = source.m_VWrap;
    m_Rotation = source.m_Rotation;
    m_MappingMode = source.m_MappingMode;
    m_SourceBrush = source.m_SourceBrush;
    m_SurfaceTag = source.m_SurfaceTag;
    m_Deleted = source.m_Deleted;
    m_Material = source.m_Material;
    m_SrcBlend = source.m_SrcBlend;
    m_DestBlend = source.m_DestBlend;
    m_MappingOrigin = source.m_MappingOrigin;
    m_SourceFace = source.m_SourceFace;
}

void CZNBSPPOLYGON::CopyFaceProperties(const ZNFACE &face)
{
    m_Texture = face.m_Texture;
    m_Normal = face.m_Normal;
    m_Style = face.m_Style;
    m_UPos = face.m_UPos;
    m_VPos = face.m_VPos;
    m_UWrap = face.m_UWrap;
    m_VWrap = face.m_VWrap;
    m_Rotation = face.m_Rotation;
    m_MappingMode = face.m_MappingMode;
    m_SurfaceTag = face.m_SurfaceTag;
    m_Material = face.m_Material;
    m_SrcBlend = face.m_SrcBlend;
    m_DestBlend = face.m_DestBlend;
    m_MappingOrigin = face.m_MappingOrigin;
}
