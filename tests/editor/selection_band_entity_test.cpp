// Entities in the selection band: picked by a click and by the rubber band in a Top view, held
// in the band's box, dragged with brushes and overlays as one undo level, grouped, deleted, cut,
// pasted and selected all, with the undo records that name them restoring them in place and at
// their list positions; and overlays that rebuild themselves after a drag and its undo.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/os/clipboard.h"
#include "platform/os/memory_clipboard.h"
#include "render/direct3d.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "select_drag_fixture.h"
#include "support/entity_plugins.h"

namespace
{

// Top view pixels of a world point (x, z).
CPoint Top(float x, float z)
{
    return CPoint(static_cast<LONG>(x + 200), static_cast<LONG>(200 - z));
}

class EntityBandTest : public SelectDragTest
{
protected:
    CZNEntity *Light(float x, float y, float z)
    {
        CZNEntity *e = doc->NewEntity(ZnEntityPlugins::kLight, x, y, z);
        EXPECT_NE(e, nullptr);
        return e;
    }
    static D3DXVECTOR3 Position(const CZNEntity *e)
    {
        D3DXVECTOR3 p;
        e->GetPosition(&p);
        return p;
    }
    static ZNSELECTIONENTRY EntryOfObject(void *object, BYTE category)
    {
        ZNSELECTIONENTRY e;
        e.Type = category;
        e.Object = reinterpret_cast<uintptr_t>(object);
        return e;
    }
    static void Add(void *object, BYTE category)
    {
        const ZNSELECTIONENTRY e = EntryOfObject(object, category);
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    static bool InBand(void *object, BYTE category)
    {
        const ZNSELECTIONENTRY e = EntryOfObject(object, category);
        return Band()->FindEntry(&e) != 0;
    }
    std::vector<CZNEntity *> Entities() const
    {
        std::vector<CZNEntity *> out;
        for (CZNEntity *e = doc->GetEntityList(); e; e = e->m_Next)
            out.push_back(e);
        return out;
    }
    std::vector<D3DXVECTOR3> EntityPositions() const
    {
        std::vector<D3DXVECTOR3> out;
        for (CZNEntity *e : Entities())
            out.push_back(Position(e));
        return out;
    }
    std::vector<std::string> EntityNames() const
    {
        std::vector<std::string> out;
        for (CZNEntity *e : Entities())
            out.emplace_back(e->GetName() ? e->GetName() : "");
        return out;
    }

    ZnEntityPlugins plugins; // outlives the document
};

} // namespace

TEST_F(EntityBandTest, ClickSelectsAnEntityAndCtrlClickTakesItOut)
{
    CZNEntity *light = Light(50, 0, 30);
    Click(Top(50, 30));
    ASSERT_TRUE(InBand(light, ZNSELECT_ENTITY));
    EXPECT_TRUE(light->IsSelected());
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_OBJECTS);
    // The band's box is the entity's point.
    EXPECT_EQ(Band()->GetCentre(), D3DXVECTOR3(50, 0, 30));
    EXPECT_EQ(Band()->GetHalfExtents(), D3DXVECTOR3(0, 0, 0));

    Click(Top(50, 30), MK_CONTROL);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_FALSE(light->IsSelected());

    // A light is not picked while the view hides lights.
    GetEditorApp()->Options().m_DrawLights2D = 0;
    Click(Top(50, 30));
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
}

TEST_F(EntityBandTest, RubberBandTakesVisibleEntitiesInsideAndCtrlRemovesThem)
{
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    CZNEntity *inside = Light(50, 500, 30); // any height in the Top view
    CZNEntity *hidden = Light(60, 0, 30);
    hidden->m_Flags = 1;
    CZNEntity *outside = Light(150, 0, 150);

    Drag(Top(-30, -30), Top(80, 50));
    EXPECT_TRUE(Selected(b));
    EXPECT_TRUE(InBand(inside, ZNSELECT_ENTITY));
    EXPECT_TRUE(inside->IsSelected());
    EXPECT_FALSE(InBand(hidden, ZNSELECT_ENTITY));
    EXPECT_FALSE(InBand(outside, ZNSELECT_ENTITY));
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    // The box reaches from the brush to the entity.
    EXPECT_EQ(Band()->GetCentre(), D3DXVECTOR3(25, 250, 15));

    // Outside the band, with Ctrl: the covered entity leaves, the brush it does not cover stays.
    Drag(Top(70, 40), Top(40, 25), MK_CONTROL);
    EXPECT_FALSE(InBand(inside, ZNSELECT_ENTITY));
    EXPECT_FALSE(inside->IsSelected());
    EXPECT_TRUE(Selected(b));

    // Face mode takes no entities.
    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    Drag(Top(70, 40), Top(40, 25));
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
}

TEST_F(EntityBandTest, DraggedBrushAndEntityMoveTogetherAndOneUndoTakesThemBack)
{
    ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
    CZNEntity *light = Light(32, 10, 32);
    Add(b, ZNSELECT_BRUSH);
    Add(light, ZNSELECT_ENTITY);

    Drag(Top(10, 10), Top(35, 10));
    EXPECT_EQ(b->GetBoundingBox(1).Min, D3DXVECTOR3(25, 0, 0));
    EXPECT_EQ(Position(light), D3DXVECTOR3(57, 10, 32));
    EXPECT_FALSE(light->HasSavedData());
    EXPECT_TRUE(light->IsSelected());
    ASSERT_EQ(RecordCount(), 1u);
    EXPECT_EQ(doc->GetUndoList()->Type, ZNUNDO_MOVE);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Move Objects");

    doc->OnEditUndo();
    EXPECT_EQ(b->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(Position(light), D3DXVECTOR3(32, 10, 32));
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(EntityBandTest, DraggedOverlayIsRecordedFirstAndComesBackWithTheSameUndo)
{
    struct Case {
        const char *name;
        bool withBrush;
    };
    for (const Case &c : {Case{"overlay alone", false}, Case{"overlay and brush", true}}) {
        SCOPED_TRACE(c.name);
        Band()->Clear(1, 0);
        ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
        CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(100, 0, 0));
        ASSERT_NE(overlay, nullptr);
        const ZNBBOX before = overlay->GetBounds(1);
        Add(overlay, ZNSELECT_OVERLAY);
        if (c.withBrush)
            Add(b, ZNSELECT_BRUSH);

        Drag(Top(80, -20), Top(100, -20));
        EXPECT_EQ(overlay->GetBounds(1).Min, before.Min + D3DXVECTOR3(20, 0, 0));
        EXPECT_EQ(overlay->IsCached(), 0);
        // The overlays' record, then the move record continuing its level.
        ASSERT_EQ(RecordCount(), 2u);
        EXPECT_EQ(doc->GetUndoList()->Type, ZNUNDO_MOVE);
        EXPECT_EQ(doc->GetUndoList()->Continuation, 1);
        EXPECT_EQ(doc->GetUndoList()->Next->Type, ZNUNDO_BANDMOVE);
        EXPECT_STREQ(doc->GetUndoList()->Next->Description, "Move Objects");

        ASSERT_EQ(doc->OnEditUndo(), 1);
        EXPECT_EQ(doc->GetUndoList(), nullptr);
        EXPECT_EQ(overlay->GetBounds(1).Min, before.Min);
        EXPECT_EQ(b->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));
        doc->DeleteContents();
    }
}

TEST_F(EntityBandTest, ChangedInPlaceRecordsRestoreEntityBlocksAndOverlayBoxes)
{
    CZNEntity *light = Light(10, 20, 30);
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(100, 0, 0));
    Add(light, ZNSELECT_ENTITY);
    Add(overlay, ZNSELECT_OVERLAY);
    const std::vector<BYTE> block(light->GetData(), light->GetData() + light->GetDataSize());
    D3DXVECTOR3 corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = overlay->GetCorner(i);
    for (DWORD type : {DWORD{ZNUNDO_ROTATE}, DWORD{ZNUNDO_SCALE}, DWORD{ZNUNDO_BANDMOVE}}) {
        SCOPED_TRACE(type);
        ASSERT_EQ(doc->CreateUndoLevel(type, 0, 0), 1);
        light->Rotate(0, 45, 0, nullptr, 0);
        light->GetData()[light->GetDataSize() - 1] ^= 0xFF;
        const D3DXVECTOR3 by(5, 6, 7);
        overlay->Move(&by, 0);
        ASSERT_EQ(doc->OnEditUndo(), 1);
        EXPECT_EQ(std::vector<BYTE>(light->GetData(), light->GetData() + light->GetDataSize()), block);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(overlay->GetCorner(i), corners[i]) << i;
        // The restored objects are still the listed, selected ones.
        EXPECT_EQ(Entities(), std::vector<CZNEntity *>{light});
        EXPECT_TRUE(InBand(light, ZNSELECT_ENTITY));
    }
}

TEST_F(EntityBandTest, DeletedEntitiesComeBackAtTheirPlacesWithTheirGroup)
{
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    std::vector<CZNEntity *> lights;
    for (int k = 0; k < 4; ++k)
        lights.push_back(Light(k * 10.0f, 0, 0));
    GroupOf({b, lights[1]}, "Pair");
    const std::vector<D3DXVECTOR3> positions = EntityPositions();
    const std::vector<std::string> names = EntityNames();

    Add(b, ZNSELECT_BRUSH); // brings the grouped light
    Add(lights[3], ZNSELECT_ENTITY);
    EXPECT_TRUE(InBand(lights[1], ZNSELECT_ENTITY));
    ASSERT_EQ(doc->CreateUndoLevel(ZNUNDO_REMOVE, 0, 1), 1);
    ASSERT_EQ(Band()->DeleteSelected(), 1);
    EXPECT_EQ(Entities(), (std::vector<CZNEntity *>{lights[0], lights[2]}));
    EXPECT_EQ(doc->GetBrushList(), nullptr);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(EntityPositions(), positions);
    EXPECT_EQ(EntityNames(), names);
    ZNBRUSH *brush = doc->GetBrushList();
    ASSERT_NE(brush, nullptr);
    CZNEntity *member = Entities()[1];
    ASSERT_NE(member->GetGroup(), nullptr);
    EXPECT_EQ(member->GetGroup(), brush->GetParent());
    EXPECT_STREQ(member->GetGroup()->GetName(), "Pair");
    EXPECT_EQ(Entities()[3]->GetGroup(), nullptr);
}

TEST_F(EntityBandTest, GroupedEntityComesAndGoesWithItsGroup)
{
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    CZNEntity *light = Light(60, 0, 10);
    CZNEntity *loose = Light(90, 0, 10);
    Add(b, ZNSELECT_BRUSH);
    Add(light, ZNSELECT_ENTITY);
    ASSERT_EQ(Band()->GroupSelection(), 1);
    ASSERT_NE(light->GetGroup(), nullptr);
    EXPECT_EQ(light->GetGroup(), b->GetParent());
    EXPECT_STREQ(doc->GetUndoList()->Description, "Group Objects");

    // A click on the brush brings the grouped light; Ctrl on the light takes both out.
    Band()->Clear(1, 0);
    Click(Top(0, 10)); // the brush's edge
    EXPECT_TRUE(InBand(light, ZNSELECT_ENTITY));
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    Add(loose, ZNSELECT_ENTITY);
    Click(Top(60, 10), MK_CONTROL);
    EXPECT_FALSE(light->IsSelected());
    EXPECT_FALSE(Selected(b));
    EXPECT_TRUE(InBand(loose, ZNSELECT_ENTITY));

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(light->GetGroup(), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
}

TEST_F(EntityBandTest, SelectAllTakesEntitiesInObjectsModeOnly)
{
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    CZNEntity *light = Light(60, 0, 10);
    EXPECT_TRUE(doc->IsClipboardCommandEnabled(57642));
    doc->OnEditSelectAll();
    EXPECT_TRUE(Selected(b));
    EXPECT_TRUE(InBand(light, ZNSELECT_ENTITY));
    EXPECT_EQ(doc->GetUndoList(), nullptr);

    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    doc->OnEditSelectAll();
    EXPECT_FALSE(light->IsSelected());
    EXPECT_EQ(Band()->GetEntryCount(), 6u);

    // Entities alone enable the command in objects mode.
    GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
    Band()->Clear(1, 0);
    doc->DeleteBrush(b);
    EXPECT_TRUE(doc->IsClipboardCommandEnabled(57642));
}

TEST_F(EntityBandTest, CopiedEntityPastesCentredSelectedAndUndoable)
{
    CZNMemoryClipboard clipboard;
    SetClipboard(&clipboard);
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    CZNEntity *light = Light(50, 0, 30);
    Add(b, ZNSELECT_BRUSH);
    Add(light, ZNSELECT_ENTITY);
    ASSERT_EQ(doc->OnEditCopy(), 1);

    // No active view: the pasted set is centred on the origin.
    ASSERT_EQ(doc->OnEditPaste(), 1);
    const std::vector<CZNEntity *> entities = Entities();
    ASSERT_EQ(entities.size(), 2u);
    CZNEntity *pasted = entities[1];
    EXPECT_EQ(Position(pasted), D3DXVECTOR3(25, -10, 15));
    EXPECT_EQ(pasted->GetType(), light->GetType());
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_TRUE(InBand(pasted, ZNSELECT_ENTITY));
    EXPECT_FALSE(InBand(light, ZNSELECT_ENTITY));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Paste Objects");

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(Entities(), std::vector<CZNEntity *>{light});
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{b});

    // Cut takes the entity away and Undo brings it back where it was.
    Add(light, ZNSELECT_ENTITY);
    ASSERT_EQ(doc->OnEditCut(), 1);
    EXPECT_EQ(doc->GetEntityList(), nullptr);
    ASSERT_EQ(doc->OnEditUndo(), 1);
    ASSERT_EQ(Entities().size(), 1u);
    EXPECT_EQ(Position(Entities()[0]), D3DXVECTOR3(50, 0, 30));
    SetClipboard(nullptr);
}

TEST_F(EntityBandTest, SelectingAnAmbientLightShowsItsColour)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const D3DCOLOR saved = d3d->GetAmbientLight();
    d3d->SetAmbientLight(0xFF000000);
    CZNEntity *ambient = Light(0, 0, 0);
    CZNEntity *point = Light(10, 0, 0);
    const int32_t kind = 3;
    const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f}; // r, g, b, a
    std::memcpy(ambient->GetData() + 64, &kind, sizeof kind);
    std::memcpy(ambient->GetData() + 100, colour, sizeof colour);

    Add(point, ZNSELECT_ENTITY);
    EXPECT_EQ(d3d->GetAmbientLight(), 0xFF000000u);
    Add(ambient, ZNSELECT_ENTITY);
    EXPECT_EQ(d3d->GetAmbientLight(), 0xFFFF7F3Fu);
    d3d->SetAmbientLight(saved);
}

TEST_F(EntityBandTest, SelfBuildingOverlayFollowsTheBrushesAfterADragAndItsUndo)
{
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(10, 10, 10));
    CZNOverlay *locked = doc->NewOverlay(D3DXVECTOR3(10, 10, 10));
    overlay->SetAutoRebuildFlag(1);
    locked->Rebuild();
    const DWORD faces = overlay->GetFaceCount();
    ASSERT_GT(faces, 0u);
    ASSERT_EQ(locked->GetFaceCount(), faces);

    Add(b, ZNSELECT_BRUSH);
    Drag(Top(5, 5), Top(155, 5));
    EXPECT_EQ(b->GetBoundingBox(1).Min.x, 150.0f);
    EXPECT_EQ(overlay->GetFaceCount(), 0u);
    EXPECT_EQ(locked->GetFaceCount(), faces); // a locked overlay keeps its surfaces

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b->GetBoundingBox(1).Min.x, 0.0f);
    EXPECT_EQ(overlay->GetFaceCount(), faces);
}

TEST_F(EntityBandTest, PropertyRecordsOfEntitiesAndOverlaysRestoreTheirValues)
{
    Box({0, 0, 0}, {20, 20, 20});
    CZNEntity *light = Light(60, 0, 10);
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(10, 10, 10));
    overlay->Rebuild();
    ASSERT_GT(overlay->GetFaceCount(), 1u);
    ZNFACE *first = overlay->GetFace(0);
    ZNFACE *second = overlay->GetFace(1);
    const float upos = first->m_UPos;

    struct Case {
        const char *name;
        DWORD type;
        BYTE overlayCategory; // the whole overlay, or its first face
    };
    for (const Case &c : {Case{"flags", ZNUNDO_FLAGS, ZNSELECT_OVERLAY}, Case{"locked", ZNUNDO_OVERLAYLOCKED, ZNSELECT_OVERLAY},
                          Case{"z-bias of every face", ZNUNDO_ZBIAS, ZNSELECT_OVERLAY},
                          Case{"z-bias of one face", ZNUNDO_ZBIAS, ZNSELECT_OVERLAYFACE},
                          Case{"texture position", ZNUNDO_TEXTUREPOS, ZNSELECT_OVERLAYFACE}}) {
        SCOPED_TRACE(c.name);
        std::vector<ZNSELECTIONENTRY> entries{EntryOfObject(light, ZNSELECT_ENTITY),
                                              EntryOfObject(overlay, c.overlayCategory)};
        ASSERT_EQ(doc->WriteUndoData(c.type, entries, 0, 0), 1);
        light->m_Flags = overlay->m_Flags = 1;
        overlay->m_AutoRebuild = 1;
        first->m_FaceFlag = second->m_FaceFlag = 9;
        first->m_UPos = upos + 7;
        ASSERT_EQ(doc->OnEditUndo(), 1);
        EXPECT_EQ(light->m_Flags, c.type == ZNUNDO_FLAGS ? 0u : 1u);
        EXPECT_EQ(overlay->m_Flags, c.type == ZNUNDO_FLAGS ? 0u : 1u);
        EXPECT_EQ(overlay->m_AutoRebuild, c.type == ZNUNDO_OVERLAYLOCKED ? 0 : 1);
        EXPECT_EQ(first->m_FaceFlag, c.type == ZNUNDO_ZBIAS ? 0 : 9);
        EXPECT_EQ(second->m_FaceFlag, c.type == ZNUNDO_ZBIAS && c.overlayCategory == ZNSELECT_OVERLAY ? 0 : 9);
        EXPECT_EQ(first->m_UPos, c.type == ZNUNDO_TEXTUREPOS ? upos : upos + 7);
        light->m_Flags = overlay->m_Flags = 0;
        overlay->m_AutoRebuild = 0;
        first->m_FaceFlag = second->m_FaceFlag = 0;
        first->m_UPos = upos;
    }
}

TEST_F(EntityBandTest, FaceDragMovesAWholeOverlayWithTheFacesAndOneUndoTakesBoth)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(100, 0, 0));
    const ZNBBOX before = overlay->GetBounds(1);
    DWORD right = 0;
    for (DWORD f = 0; f < b->m_FaceCount; ++f)
        if (b->m_Faces[f]->m_Normal == D3DXVECTOR3(1, 0, 0))
            right = f;
    const ZNSELECTIONENTRY face = FaceEntry(b, right);
    ASSERT_EQ(Band()->AddToSelection(&face, 0, 0), 1);
    Add(overlay, ZNSELECT_OVERLAY);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_FACES);

    Drag(Top(60, -10), Top(80, -10));
    EXPECT_EQ(b->GetBoundingBox(1).Max.x, 40.0f);
    EXPECT_EQ(b->GetBoundingBox(1).Min.x, 0.0f);
    EXPECT_EQ(overlay->GetBounds(1).Min, before.Min + D3DXVECTOR3(20, 0, 0));
    EXPECT_EQ(overlay->IsCached(), 0);
    // Listed again after the release, with the overlay in its second word too.
    ZNSELECTIONENTRY listed = EntryOfObject(overlay, ZNSELECT_OVERLAY);
    listed.Face = listed.Object;
    EXPECT_EQ(Band()->FindEntry(&listed), 1);
    EXPECT_EQ(overlay->IsSelected(), 1);
    ASSERT_EQ(RecordCount(), 1u);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Move Faces");

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b->GetBoundingBox(1).Max.x, 20.0f);
    EXPECT_EQ(overlay->GetBounds(1).Min, before.Min);
    EXPECT_EQ(Band()->GetEntryCount(), 0u); // the face band is cleared by the undo
}
