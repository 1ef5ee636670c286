#pragma once

// CZN2DViewTool: the editing a 2D view's input drives, installed on each 2D view by the shell. In
// select mode a press goes to the application's selection band and, when the band lets it
// through, picks what lies under the cursor (cycling through overlapping hits with the document's
// pick lists) or grabs the view's crosshair; moves drag the band, the release commits the drag,
// and the cursor shows the band's handle under the mouse. In the placement modes a click has the
// application's document place a primitive of the active plug-in, an overlay, an entity of the
// active plug-in or the current prefab at the snapped point (depth from the 3D cursor), after
// which the editor is back in select mode. The shell's panels follow a click and a placement.
// Every call does nothing without a document or on a view that is not a 2D view; the tool holds
// no state of its own, so one instance may serve any number of views.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"
#include "render/view/view_input.h"

class CZN2DView;
class CZNView;

class ZN_API CZN2DViewTool : public IZNViewInput
{
public:
    void OnLButtonDown(CZNView *view, UINT flags, CPoint point) override;
    // Ends the band's drag or rubber band (the view keeps the release of a crosshair drag).
    void OnLButtonUp(CZNView *view, UINT flags, CPoint point) override;
    // Pans and zooms are the view's own.
    void OnRButtonDown(CZNView *, UINT, CPoint) override {}
    void OnRButtonUp(CZNView *, UINT, CPoint) override {}
    // A step of the band's drag or rubber band.
    void OnMouseMove(CZNView *view, UINT flags, CPoint point) override;
    // The space key is the view's own.
    void OnKeyDown(CZNView *, UINT, UINT, UINT) override {}
    void OnKeyUp(CZNView *, UINT, UINT, UINT) override {}
    // Nothing while the band drags; the extrude cursor in extrude mode; the cursor of the band's
    // handle under the point; else the crosshair's, or the placement cursor while Space is held
    // over an objects selection armed for placing.
    void UpdateCursor(CZNView *view, UINT flags, CPoint point) override;
    // A view going away stops being the band's rubber-band view.
    void ForgetView(CZNView *view) override;

    // The select click (2d_view_tool_pick.cpp): every object, face or vertex of the edit mode
    // under the pixel is listed; the same list as the last click of its kind moves the selection
    // on to its next hit, another starts again at its first. The view is repainted. 1 when
    // something was selected.
    int PickSelect(CZN2DView *view, int x, int y, UINT append);

    // The placement clicks (2d_view_tool_place.cpp), each at the snapped click with the depth of
    // the 3D cursor. A primitive of the active plug-in six grid units a side ("Add Primitive");
    // an overlay ("Add Overlay"); an entity of the active entity plug-in ("Add Entity"); the
    // prefab manager's current prefab ("Import Objects"). What was placed leaves the editor in
    // select mode; the prefab click does so whatever the import did. Nothing is placed without an
    // active plug-in or a current prefab, and nothing for a brush that fails validation.
    void AddPrimitive(CZN2DView *view, int x, int y);
    void AddOverlay(CZN2DView *view, int x, int y);
    void AddEntity(CZN2DView *view, int x, int y);
    void PlacePrefab(CZN2DView *view, int x, int y);

private:
    // The 2D view behind a view of the input's interface; null for the 3D view.
    static CZN2DView *As2D(CZNView *view);
    // The world point under the pixel at the 3D cursor's depth, snapped to the grid.
    static D3DXVECTOR3 PlacementPoint(CZN2DView *view, int x, int y);
};
