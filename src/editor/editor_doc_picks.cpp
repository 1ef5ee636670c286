// The document's 2D pick lists: the hits of the last select click of each kind, kept so that a
// click with the same hits moves on to the next of them.
#include "editor/editor_doc.h"
#include "scene/face_pick_desc.h"
#include "scene/object_pick_desc.h"
#include "scene/vertex_pick_desc.h"

void CZNEDITORDoc::SetObjectPickList(ZNOBJECTPICKDESC *list)
{
    if (list != m_ObjectPicks)
        delete m_ObjectPicks;
    m_ObjectPicks = list;
}

void CZNEDITORDoc::SetFacePickList(ZNFACEPICKDESC *list)
{
    if (list != m_FacePicks)
        delete m_FacePicks;
    m_FacePicks = list;
}

void CZNEDITORDoc::SetVertexPickList(ZNVERTEXPICKDESC *list)
{
    if (list != m_VertexPicks)
        delete m_VertexPicks;
    m_VertexPicks = list;
}

void CZNEDITORDoc::FreePickLists()
{
    // In the order the scene's clearing frees them: faces, objects, vertices.
    SetFacePickList(nullptr);
    SetObjectPickList(nullptr);
    SetVertexPickList(nullptr);
}
