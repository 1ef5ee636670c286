#pragma once

// The band's transform tools driven as the drag handlers drive them: a press records the start
// state, each step runs the tool and clears the first-step flag, the release ends the drag
// (snapshots cleared, the picture back on the world axes, the band recomputed). A 200 x 200 2D
// view at zoom 1 centred on the world origin: pixel (100, 100) is the origin.
#include <cmath>
#include <vector>

#include "render/view/2d_view.h"
#include "scene/object_type.h"
#include "undo_fixture.h"

class BandDragTest : public UndoTest
{
protected:
    void SetUp() override
    {
        UndoTest::SetUp();
        GetEditorApp()->Options().m_SnapToGrid = 0;
        GetEditorApp()->Options().m_SnapRotation = 0;
        GetEditorApp()->SetGridSize(10.0f);
        UseView(ZN2DVIEW_FRONT);
    }

    void UseView(WORD type)
    {
        view.SetViewType(type);
        view.SetClientSize(200, 200);
        view.SetCentre(0, 0);
        view.SetZoom(1);
    }

    static ZNSELECTIONENTRY FaceEntry(ZNBRUSH *b, DWORD face)
    {
        ZNSELECTIONENTRY e;
        e.Type = ZNSELECT_FACE;
        e.Object = reinterpret_cast<uintptr_t>(b);
        e.Face = face;
        return e;
    }
    static ZNSELECTIONENTRY VertexEntry(ZNBRUSH *b, DWORD face, DWORD vertex)
    {
        ZNSELECTIONENTRY e = FaceEntry(b, face);
        e.Type = ZNSELECT_VERTEX;
        e.Vertex = vertex;
        return e;
    }

    void Press(DWORD handle, DWORD handleMode, POINT at)
    {
        CZNSelectionBand *band = Band();
        band->SetHandleMode(handleMode);
        band->SetHandle(handle);
        band->SetLastMouse(at);
        band->SetPivotStart(band->GetPivot());
        band->SetPlacementOriginStart(band->GetPlacementOrigin());
        band->SetFirstStep(1);
        band->SetStartBox({band->GetCentre() - band->GetHalfExtents(), band->GetCentre() + band->GetHalfExtents()});
        band->SetStartAngle(band->GetCursorAngle(&view, at.x, at.y));
        band->SetBoxLocked(1);
    }
    void ScaleStep(UINT flags, int x, int y)
    {
        Band()->ScaleDragStep(&view, flags, x, y);
        Band()->SetFirstStep(0);
    }
    void RotateStep(int x, int y)
    {
        Band()->RotateDragStep(&view, x, y);
        Band()->SetFirstStep(0);
    }
    void Release()
    {
        CZNSelectionBand *band = Band();
        band->SetBoxLocked(0);
        for (ZNBRUSH *b : Listed()) {
            b->ClearCache();
            b->CalculateFaceNormals();
        }
        band->ResetRotationPicture();
        band->Update();
    }

    POINT PixelOf(const D3DXVECTOR3 &p) const
    {
        POINT out;
        view.WorldToScreen(&out, &p);
        return out;
    }
    static std::vector<D3DXVECTOR3> Positions(ZNBRUSH *b)
    {
        std::vector<D3DXVECTOR3> out;
        for (DWORD i = 0; i < b->GetFaceCount(); ++i)
            for (int j = 0; j < b->GetFace(i)->GetVertexCount(); ++j)
                out.push_back(b->GetFace(i)->GetVector(j));
        return out;
    }
    static bool AllFinite(ZNBRUSH *b)
    {
        for (const D3DXVECTOR3 &p : Positions(b))
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                return false;
        return true;
    }
    // Undo levels: records that begin one.
    size_t LevelCount() const
    {
        size_t n = 0;
        for (ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            n += r->Continuation == 0;
        return n;
    }

    CZN2DView view;
};

inline void ExpectNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float eps = 1e-3f)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}
