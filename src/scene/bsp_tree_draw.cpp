// The members of CZNBSPTREE that reach the application and the renderer: the debugging aids that
// draw through the 3D device and write their report under the program folder. The rest of the
// tree is in bsp_tree.cpp and needs neither.
#include <string>

#include "app/editor_app.h"
#include "platform/d3d9/d3d9_types.h"
#include "render/direct3d.h"
#include "scene/bsp_tree.h"

void CZNBSPTREE::WriteDebugReport()
{
    const std::string path = GetEditorApp()->GetProgramDirectory() + "Debug Logs/BSP Debug.log";
    WriteDebugReportTo(path.c_str());
}

void CZNBSPTREE::DrawDeletedPolygons()
{
    CZN3D *device = GetEditorApp()->Get3D();
    if (!device->GetDevice())
        return;
    device->BeginScene();
    device->SetVertexFormat(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2, sizeof(ZNVERTEX));
    device->SetPrimitiveType(D3DPT_TRIANGLEFAN);
    for (DWORD i = 0; i < m_PolygonCount; ++i) {
        const CZNBSPPOLYGON *p = m_Polygons[i];
        if (p->m_Deleted && p->m_Vertices && p->m_VertexCount >= 3)
            device->DrawPrimitive(p->m_Vertices, static_cast<DWORD>(p->m_VertexCount));
    }
    device->EndScene();
    device->Present(nullptr);
}
