#pragma once

// CZNView: what the document knows of each of its views. The three 2D views have types 0 to 2
// (Top, Right, Front) and the 3D view type 3. The document keeps the views in the order they were
// added and asks them to redraw after edits and to follow camera moves; it never owns them.
#include "platform/export.h"
#include "platform/os/win_types.h"

class IZNViewInput;
class IZNViewSource;

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

    // What the view shows; set by the document the view is added to, null once removed.
    void SetSource(IZNViewSource *source) { m_Source = source; }
    IZNViewSource *GetSource() const { return m_Source; }
    // Where presses, drags and keys go after the view's own navigation; not owned, may be null.
    void SetInput(IZNViewInput *input) { m_Input = input; }
    IZNViewInput *GetInput() const { return m_Input; }

protected:
    explicit CZNView(WORD type) : m_ViewType(type) {}

    WORD m_ViewType;
    IZNViewSource *m_Source = nullptr;
    IZNViewInput *m_Input = nullptr;
};
