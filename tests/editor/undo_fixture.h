#pragma once

// A document for the undo, band and command tests, on top of the IWF scene set-up (recording
// reporter, materials and textures put back afterwards): brushes of real shapes appended to the
// document, groups owned through their members, and the IWF image of the whole scene.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "fileio/iwf_document_image.h"
#include "fileio/iwf_scene_fixture.h"

class UndoTest : public IwfSceneTest
{
protected:
    void SetUp() override
    {
        IwfSceneTest::SetUp();
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetSpaceDown(0);
        doc = std::make_unique<CZNEDITORDoc>();
    }

    void TearDown() override
    {
        Band()->Clear(1, 0);
        doc.reset();
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetSpaceDown(0);
        IwfSceneTest::TearDown();
    }

    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }

    ZNBRUSH *Box(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        ZNBRUSH *b = doc->NewBrush();
        ZnBuildBox(*b, lo, hi);
        return b;
    }
    // n boxes, the k-th a unit cube at (k * 3, 0, 0) scaled by k + 1 on y.
    std::vector<ZNBRUSH *> Boxes(int n)
    {
        std::vector<ZNBRUSH *> out;
        for (int k = 0; k < n; ++k)
            out.push_back(Box({k * 3.0f, 0, 0}, {k * 3.0f + 1, k + 1.0f, 1}));
        return out;
    }
    // A group of the document's brushes, owned through its members.
    static CZNGROUP *GroupOf(const std::vector<void *> &members, const char *name)
    {
        auto *g = new CZNGROUP;
        char *copy = new char[std::strlen(name) + 1];
        std::strcpy(copy, name);
        g->SetName(copy);
        for (void *m : members)
            g->AddChild(m);
        return g;
    }
    static ZNSELECTIONENTRY EntryOf(ZNBRUSH *b)
    {
        ZNSELECTIONENTRY e;
        e.Type = ZNSELECT_BRUSH;
        e.Object = reinterpret_cast<uintptr_t>(b);
        return e;
    }
    // The IWF image of the whole document, without thumbnail.
    IwfBytes SceneImage()
    {
        return IwfDocumentImage();
    }
    std::vector<ZNBRUSH *> Listed() const
    {
        std::vector<ZNBRUSH *> out;
        for (ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
            out.push_back(b);
        return out;
    }
    size_t RecordCount() const
    {
        size_t n = 0;
        for (ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            ++n;
        return n;
    }
    IwfBytes NewestBytes() const
    {
        const ZNUNDORECORD *r = doc->GetUndoList();
        return r ? IwfBytes(r->Data, r->Data + r->Size) : IwfBytes();
    }
    // A record holding a copy of bytes.
    static ZNUNDORECORD *MakeRecord(DWORD type, const IwfBytes &bytes, BYTE continuation)
    {
        auto *r = new ZNUNDORECORD;
        r->Data = static_cast<BYTE *>(std::malloc(bytes.size() ? bytes.size() : 1));
        if (!bytes.empty())
            std::memcpy(r->Data, bytes.data(), bytes.size());
        r->Size = static_cast<DWORD>(bytes.size());
        r->Type = type;
        r->Continuation = continuation;
        return r;
    }

    std::unique_ptr<CZNEDITORDoc> doc;
};
