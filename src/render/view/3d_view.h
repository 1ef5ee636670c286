#pragma once

// CZN3DView: the perspective view. It renders the scene of its source (IZNViewSource) through the
// application's Direct3D wrapper and camera: opaque faces batched by state, then the faces the
// brushes filed aside in the source's render batches (unlit sky-box and full-bright faces, then
// blended faces farthest first). It picks with a ray from a client pixel and turns mouse drags
// into camera moves; every press, release, move and key then goes on to the input installed on
// it (IZNViewInput), which selects and places. It owns its scratch arrays only; the window (for
// the client size and presenting), the pointer host, the source and the input are the caller's.
// Every call works without a window, host, source, input or device: what needs one is skipped (a
// pick gives the empty result, a frame without a source shows an empty scene, a frame without a
// device draws nothing).
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"
#include "render/view/view.h"
#include "scene/bbox.h"

class CZN3D;
class CZNEntity;
class IZNPointerHost;
class ZNFACE;
struct PICK3DINFO; // sdk/pick3d_info.h, which callers of Pick3D include

class ZN_API CZN3DView : public CZNView
{
public:
    static constexpr const char *kLabel = "Perspective";
    static constexpr D3DCOLOR kBackground = 0xFF000000;
    static constexpr float kNoHit = 999999.0f;

    CZN3DView();
    ~CZN3DView() override;
    CZN3DView(const CZN3DView &) = delete;
    CZN3DView &operator=(const CZN3DView &) = delete;

    // The window whose client area the view fills; may be null.
    void SetWindow(HWND window) { m_Window = window; }
    HWND GetWindow() const { return m_Window; }
    void SetPointerHost(IZNPointerHost *host) { m_Host = host; }
    IZNPointerHost *GetPointerHost() const { return m_Host; }

    void OnDraw() { Render(0, 0, 1); }
    // A frame with the low-detail bit (flags bit 0) honoured when the fast-draw option is on.
    void Redraw(int selectedOnly, BYTE flags, int present);
    // One frame; nothing at all before start-up has finished. A selected-only frame is never
    // presented. The render batches are empty before and after.
    void Render(int reserved, int selectedOnly, int present);
    void DrawUnlitFaces();
    void DrawTransparentFaces();

    // Moves the application's camera back along its look axis to face the box's centre.
    static void ZoomCameraToBounds(const ZNBBOX *box, int useBoxSize);
    // The nearest visible object under a client pixel; distance kNoHit when nothing is hit.
    PICK3DINFO Pick3D(int x, int y, int overlayMode);
    // The ray through a client pixel: from the camera's position along the unit direction through
    // the pixel. False (nothing written) without a device or window, or with an empty client area.
    bool GetPickRay(int x, int y, D3DXVECTOR3 *origin, D3DXVECTOR3 *direction) const;
    // The object Pick3D hits under a client pixel, with the index of the face hit (0 for an
    // entity); null (face untouched) when nothing is hit.
    void *PickObject(int x, int y, int overlayMode, DWORD *face);

    // The entity steps of a frame over a list of entities linked by m_Next. ApplyEntities gives
    // visible light entities their lights (moved to their heads) and takes them from hidden
    // ones, draws the built-in kind B first, and returns the last fog entity of the list.
    CZNEntity *ApplyEntities(CZNEntity *first, int selectedOnly);
    // The fog of a visible fog entity; without one, the view's own fog.
    void ApplyFog(CZNEntity *fog);
    // Every other entity's symbol, as the entities-in-3D and lights-in-3D options say.
    void DrawEntities(CZNEntity *first, int selectedOnly);
    // The entities' picks into a record of their own (option word 26 as the mode); result takes
    // the object, point and distance of a nearer hit, with face 0.
    void PickEntities(CZNEntity *first, const D3DXVECTOR3 &origin, const D3DXVECTOR3 &direction, PICK3DINFO *result);

    // Sorts faces[low..high] farthest from the camera first, moving matrices in step.
    static void SortFacesBackToFront(ZNFACE **faces, int low, int high, const D3DXMATRIX **matrices);
    // 1 when a's centre is nearer the camera than b's, -1 when farther, 0 when as near.
    static int CompareFaceDistance(const ZNFACE *a, const ZNFACE *b, const D3DXMATRIX *ma, const D3DXMATRIX *mb);

    // Mouse and key input in client pixels, with MK_* flags and KF_* key flags. Each does the
    // view's own navigation (capture, camera moves, hiding and warping the cursor, the Space-held
    // flag, redraws) and then hands the same call to the input. A press of one button while the
    // other is held, and its release, are ignored and not handed on.
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);
    // The arrow, then whatever cursor the input sets for the last cursor position.
    void UpdateCursor();
    void OnActivateView(BOOL activate) { m_Active = activate ? 1 : 0; }
    // The colour frames are cleared to (not saved anywhere).
    void SetBackground(D3DCOLOR colour) { m_Background = colour; }
    D3DCOLOR GetBackground() const { return m_Background; }

    void RedrawForDocument(int flag) override { Redraw(0, static_cast<BYTE>(flag), 1); }
    void RefreshForDocument() override { Render(0, 0, 1); }

    // Opaque faces are gathered by state and drawn in few calls; off, each face is its own call.
    void SetBatching(bool on) { m_Batching = on; }
    int GetBrushDrawOption() const { return m_BrushDrawOption; }
    void SetBrushDrawOption(int option) { m_BrushDrawOption = option; }
    DWORD IsFastFrame() const { return m_FastFrame; }
    DWORD BoxesDrawn() const { return m_BoxesDrawn; }
    DWORD IsCursorHidden() const { return m_CursorHidden; }

private:
    // The navigation of a mouse move: the camera follows a drag.
    void TrackMove(UINT flags, CPoint point);
    // One navigation step by the cursor's move since the last position seen.
    void Navigate(UINT flags, LONG dx, LONG dy);
    // The Space-held flag of a first press or a release, with the redraw it asks for.
    void SetSpaceHeld(BYTE down);
    // After a navigation step: every view follows the camera, or this one redraws quickly.
    void FollowCamera();
    // After a drag: the other views catch up with the camera.
    void EndDrag();
    void ShowCursorAgain();

    DWORD m_Active = 0;
    DWORD m_CursorHidden = 0;
    DWORD m_FastFrame = 0;
    DWORD m_BoxesDrawn = 0;
    D3DCOLOR m_Background = kBackground;
    CPoint m_Anchor;
    int m_BrushDrawOption = 1;

    HWND m_Window = nullptr;
    IZNPointerHost *m_Host = nullptr;
    CPoint m_LastCursor;
    bool m_Batching = true;

    // Scratch of the batch passes, kept from frame to frame.
    struct UnlitVertex {
        float x, y, z;
        D3DCOLOR colour;
        float tu, tv, tu2, tv2;
    };
    std::vector<UnlitVertex> m_UnlitVertices;
    std::vector<ZNFACE *> m_SortFaces;
    std::vector<const D3DXMATRIX *> m_SortMatrices;
};
