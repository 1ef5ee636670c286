#pragma once

// CZNView: what the document knows of each of its views. The three 2D views have types 0 to 2
// (Top, Right, Front) and the 3D view type 3. The document keeps the views in the order they were
// added and asks them to redraw after edits and to follow camera moves; it never owns them.
#include "platform/export.h"
#include "platform/os/win_types.h"

constexpr WORD ZNVIEWTYPE_3D = 3;

class ZN_API CZNView
{
public:
    virtual ~CZNView() = default;

    WORD GetViewType() const { return m_ViewType; }

    // After an edit: the 3D view renders at once with the flag as its low-detail argument; a 2D
    // view repaints itself with the flag.
    virtual void RedrawForDocument(int flag) = 0;
    // After a camera move or a view-option change: the 3D view renders; a 2D view re-centres on
    // the camera when its follow option is on, and repaints.
    virtual void RefreshForDocument() = 0;

protected:
    explicit CZNView(WORD type) : m_ViewType(type) {}

    WORD m_ViewType;
};
