#pragma once

// CZN3DViewTool: the editing behind the 3D view's input. The view navigates and hands each call
// on. While Space is held and the band is armed, the tool has the selection band place its
// objects on the surface under a left press (in select mode) or references to them under a right
// press. In select mode a left press with Shift adds, with Ctrl removes, what lies under it, and
// the current document's shell then rebuilds the scene tree unless such a pick hit nothing. The
// tool shows the placement cursor while placing is armed. It holds nothing: the band, the placement
// mode and the Space-held flag are the application's. Calls from a view that is not a 3D view,
// or without a document or shell, do what they can and skip the rest.
#include "platform/export.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"
#include "render/view/view_input.h"

class CZN3DView;

class ZN_API CZN3DViewTool : public IZNViewInput
{
public:
    void OnLButtonDown(CZNView *view, UINT flags, CPoint point) override;
    void OnLButtonUp(CZNView *, UINT, CPoint) override {}
    void OnRButtonDown(CZNView *view, UINT flags, CPoint point) override;
    void OnRButtonUp(CZNView *, UINT, CPoint) override {}
    void OnMouseMove(CZNView *, UINT, CPoint) override {}
    void OnKeyDown(CZNView *, UINT, UINT, UINT) override {}
    void OnKeyUp(CZNView *, UINT, UINT, UINT) override {}
    // The placement cursor on the view's pointer host while placing is armed; else the view's
    // arrow stays.
    void UpdateCursor(CZNView *view, UINT flags, CPoint point) override;

    // Space is held and the selection band is armed for placing on surfaces.
    bool IsPlacementArmed() const;
    // The selection (or, with reference set, references to it) onto the surface under the
    // view's client pixel.
    void PlaceSelection(CZN3DView *view, CPoint point, bool reference);
    // A left press in select mode: with Shift or Ctrl the selection band adds or removes what lies
    // under the client pixel; unless such a pick hits nothing, the scene tree is rebuilt.
    void SelectPress(CZN3DView *view, CPoint point, UINT flags);
};
