#include "app/host_api.h"

#include "app/editor_app.h"
#include "editor/editor_doc.h"

ZNBRUSH *AllocNewBrush()
{
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->NewBrush() : nullptr;
}

int32_t IsRenderingLights2D() { return GetEditorApp()->Options().m_DrawLights2D; }
int32_t IsRenderingLights3D() { return GetEditorApp()->Options().m_DrawLights3D; }
int32_t IsRenderingLightInfluences() { return GetEditorApp()->Options().m_DrawLightInfluences; }
int32_t IsRenderingEntities2D() { return GetEditorApp()->Options().m_DrawEntities2D; }
int32_t IsRenderingEntities3D() { return GetEditorApp()->Options().m_DrawEntities3D; }
