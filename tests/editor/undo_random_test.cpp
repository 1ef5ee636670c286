// Random edits recorded as their commands record them, and random Undos: after every Undo the
// IWF image of the whole scene equals the image before the undone edit, and undoing everything
// gives the start image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "undo_fixture.h"

namespace
{

// The chunk path and data offset of the first difference of two images.
std::string ChunkDifference(const std::vector<IwfNode> &a, const std::vector<IwfNode> &b, const std::string &path)
{
    if (a.size() != b.size())
        return path + ": " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + " chunks";
    for (size_t i = 0; i < a.size(); ++i) {
        const std::string at = path + "/" + std::to_string(a[i].id) + "[" + std::to_string(i) + "]";
        if (a[i].data != b[i].data) {
            size_t k = 0;
            while (k < a[i].data.size() && k < b[i].data.size() && a[i].data[k] == b[i].data[k])
                ++k;
            std::string bytes;
            for (size_t j = k; j < k + 4 && j < a[i].data.size() && j < b[i].data.size(); ++j)
                bytes += " " + std::to_string(a[i].data[j]) + "/" + std::to_string(b[i].data[j]);
            return at + " data at " + std::to_string(k) + " of " + std::to_string(a[i].data.size()) + ":" + bytes;
        }
        const std::string inner = ChunkDifference(a[i].children, b[i].children, at);
        if (!inner.empty())
            return inner;
    }
    return "";
}

std::string FirstDifference(const IwfBytes &a, const IwfBytes &b)
{
    return ", first difference " + ChunkDifference(IwfParse(a), IwfParse(b), "");
}

class UndoRandomTest : public UndoTest
{
protected:
    void Build()
    {
        for (int k = 0; k < 4; ++k)
            tex.push_back(AddTexture("random" + std::to_string(k) + ".bmp", k + 1));
        for (int k = 0; k < 30; ++k) {
            const float x = (k % 6) * 40.0f, z = (k / 6) * 40.0f;
            ZNBRUSH *b = doc->NewBrush();
            if (k % 5 == 4)
                ZnBuildWedge(*b, {x, 0, z}, {x + 8 + static_cast<float>(k % 3), 10, z + 6});
            else
                ZnBuildBox(*b, {x, 0, z}, {x + 4 + static_cast<float>(k % 4), 6.0f + static_cast<float>(k % 2), z + 5});
            Texture(b, k);
        }
        std::vector<ZNBRUSH *> b = Listed();
        CZNGROUP *inner = GroupOf({b[3], b[4]}, "Inner");
        GroupOf({b[2], inner, b[9]}, "Outer");
        GroupOf({b[12], b[13], b[14]}, "Row");
        GroupOf({b[21], b[20]}, "Pair");
    }

    void Texture(ZNBRUSH *b, int seed)
    {
        for (DWORD i = 0; i < b->GetFaceCount(); ++i) {
            b->SetTexture(i, tex[(seed + i) % tex.size()], 0);
            const BYTE mode = static_cast<BYTE>(1 + (seed + i) % 7);
            b->GetFace(i)->m_MappingMode = mode;
            if (mode == 7) {
                // Coordinates set by hand, kept by mode 7.
                ZNFACE *f = b->GetFace(i);
                for (short v = 0; v < f->GetVertexCount(); ++v) {
                    f->GetVertices()[v].tu = 0.25f * v;
                    f->GetVertices()[v].tv = 0.5f * seed;
                }
            }
        }
        Refresh(b);
    }

    // After any change of positions, as the commands do (a loaded brush gets its vertex normals
    // and triangle lists computed the same way).
    static void Refresh(ZNBRUSH *b)
    {
        b->UpdateBoundingBox();
        b->CalculateFaceNormals();
        b->UpdateSharedFaceInfo();
        b->CalculateVertexNormals(1);
        b->CalculateWorldTextureCoords();
        b->CalculateFaceCenterPoints();
        b->BuildTriIndices();
    }

    // Positions a whole-unit move takes back exactly.
    static bool Integral(ZNBRUSH *b)
    {
        for (DWORD i = 0; i < b->GetFaceCount(); ++i)
            for (short v = 0; v < b->GetFace(i)->GetVertexCount(); ++v) {
                const D3DXVECTOR3 p = b->GetFace(i)->GetVector(v);
                for (float c : {p.x, p.y, p.z})
                    if (c != std::floor(c) || std::fabs(c) > 1e5f)
                        return false;
            }
        return true;
    }

    std::vector<ZNBRUSH *> Selected() const
    {
        std::vector<ZNBRUSH *> out;
        for (const ZNSELECTIONENTRY &e : Band()->Entries())
            out.push_back(reinterpret_cast<ZNBRUSH *>(e.Object));
        return out;
    }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    float Unit() { return static_cast<float>(Pick(7) - 3); }

    // One edit; false when it changed nothing and recorded nothing.
    bool Edit()
    {
        std::vector<ZNBRUSH *> list = Listed();
        if (list.empty())
            return false;
        ZNBRUSH *target = list[Pick(static_cast<int>(list.size()))];
        ZNSELECTIONENTRY e = EntryOf(target);
        Band()->AddToSelection(&e, 0, 0);
        std::vector<ZNBRUSH *> chosen = Selected();
        std::vector<ZNSELECTIONENTRY> entries;
        for (ZNBRUSH *b : chosen)
            entries.push_back(EntryOf(b));
        const int kind = Pick(14);
        switch (kind) {
        case 0: { // move, recorded with the band's vector
            for (ZNBRUSH *b : chosen)
                if (!Integral(b))
                    return false;
            D3DXVECTOR3 v(Unit(), Unit(), Unit());
            Band()->SetMoveTotal(v);
            if (!doc->CreateUndoLevel(ZNUNDO_MOVE, 0, 0))
                return false;
            doc->SetUndoDescription("Move Objects");
            // A translation keeps normals and triangles; box, mapping and centres follow.
            for (ZNBRUSH *b : chosen) {
                b->MoveBrush(&v, 0);
                b->UpdateBoundingBox();
                b->CalculateWorldTextureCoords();
                b->CalculateFaceCenterPoints();
            }
            return true;
        }
        case 1: { // rotate about the band's pivot
            if (!doc->CreateUndoLevel(ZNUNDO_ROTATE, 0, 1))
                return false;
            D3DXVECTOR3 pivot = Band()->GetPivot();
            const float angle = 15.0f * (1 + Pick(6));
            for (ZNBRUSH *b : chosen) {
                b->Rotate(Pick(2) ? angle : 0, Pick(2) ? angle : 0, angle, &pivot, 0);
                Refresh(b);
            }
            return true;
        }
        case 2: { // scale into a larger box
            if (!doc->CreateUndoLevel(ZNUNDO_SCALE, 0, 1))
                return false;
            for (ZNBRUSH *b : chosen) {
                ZNBBOX old = b->GetBoundingBox(1), grown = old;
                grown.Max += D3DXVECTOR3(1.0f + static_cast<float>(Pick(3)), 1, 2);
                b->ScaleBrushToBounding(&grown, &old, 0);
                Refresh(b);
            }
            return true;
        }
        case 3: { // a face and a vertex moved, one level of two records
            std::vector<ZNSELECTIONENTRY> one = {EntryOf(target)};
            if (!doc->WriteUndoData(ZNUNDO_MOVEFACES, one, 0, 1))
                return false;
            D3DXVECTOR3 v(Unit(), Unit(), Unit());
            target->MoveFace(&v, static_cast<DWORD>(Pick(static_cast<int>(target->GetFaceCount()))), 0);
            Refresh(target);
            std::vector<ZNSELECTIONENTRY> again = {EntryOf(target)};
            if (!doc->WriteUndoData(ZNUNDO_MOVEVERTICES, again, 1, 1))
                return true;
            ZNFACE *face = target->GetFace(0);
            target->MoveVertex(&v, 0, static_cast<DWORD>(Pick(face->GetVertexCount())), 0);
            Refresh(target);
            return true;
        }
        case 4: { // a new brush
            ZNBRUSH *b = doc->NewBrush();
            const float x = Unit() * 10;
            ZnBuildBox(*b, {x, 50, 0}, {x + 3, 53, 3});
            Texture(b, Pick(9));
            std::vector<ZNSELECTIONENTRY> added = {EntryOf(b)};
            EXPECT_EQ(doc->WriteUndoData(ZNUNDO_ADD, added, 0, 1), 1);
            doc->SetUndoDescription("Add Primitive");
            return true;
        }
        case 5: { // the selection deleted, groups and all
            if (!doc->WriteUndoData(ZNUNDO_REMOVE, entries, 0, 1))
                return false;
            doc->SetUndoDescription("Delete Objects");
            Band()->Clear(1, 0);
            for (ZNBRUSH *b : chosen)
                doc->DeleteBrush(b);
            return true;
        }
        case 6:
            doc->OnHideSelected();
            return true;
        case 7:
            if (Pick(2))
                doc->OnUnhideAll();
            else
                doc->OnHideAll();
            return true;
        case 8:
            doc->OnSanitizeSelectedBrushes();
            return true;
        default:
            return Properties(kind, target);
        }
    }

    // Face properties of one brush or one face, as the options panel records them; some as a
    // level of two records.
    bool Properties(int kind, ZNBRUSH *b)
    {
        const DWORD faceIndex = static_cast<DWORD>(Pick(static_cast<int>(b->GetFaceCount())));
        ZNFACE *face = b->GetFace(faceIndex);
        ZNSELECTIONENTRY faceEntry;
        faceEntry.Type = ZNSELECT_FACE;
        faceEntry.Object = reinterpret_cast<uintptr_t>(b);
        faceEntry.Face = faceIndex;
        std::vector<ZNSELECTIONENTRY> entries = {Pick(2) ? faceEntry : EntryOf(b)};
        auto record = [&](DWORD type, BYTE continuation) {
            std::vector<ZNSELECTIONENTRY> copy = entries;
            return doc->WriteUndoData(type, copy, continuation, 0) == 1;
        };
        std::vector<DWORD> faces;
        if (entries[0].Type == ZNSELECT_FACE)
            faces.push_back(faceIndex);
        else
            for (DWORD i = 0; i < b->GetFaceCount(); ++i)
                faces.push_back(i);
        switch (kind) {
        case 9: // texture, then its offset, one level
            if (!record(ZNUNDO_TEXTURE, 0))
                return false;
            for (DWORD i : faces)
                b->SetTexture(i, tex[Pick(static_cast<int>(tex.size()))], 1);
            if (record(ZNUNDO_TEXTUREPOS, 1))
                for (DWORD i : faces)
                    b->SetFaceTextureUPos(i, 0.125f * Pick(8));
            return true;
        case 10: // wrap and rotation, one level
            if (!record(ZNUNDO_TEXTUREWRAP, 0))
                return false;
            for (DWORD i : faces)
                b->SetFaceTextureVWrap(i, 1.0f + Pick(3));
            if (record(ZNUNDO_TEXTUREROTATION, 1))
                for (DWORD i : faces)
                    b->SetFaceTextureRotate(i, D3DXVECTOR4(0.5f * Pick(4), 0, 0, 0));
            return true;
        case 11: // mapping mode and origin; mode-7 faces keep theirs
            if (!record(ZNUNDO_TEXTUREMODE, 0))
                return false;
            for (DWORD i : faces)
                if (b->GetFace(i)->m_MappingMode != 7)
                    b->SetFaceMappingMode(i, static_cast<BYTE>(1 + Pick(6)));
            if (record(ZNUNDO_MAPPINGORIGIN, 1)) {
                for (DWORD i : faces)
                    b->GetFace(i)->m_MappingOrigin = D3DXVECTOR3(Unit(), Unit(), Unit());
                b->CalculateWorldTextureCoords();
            }
            return true;
        case 12: // hand-set coordinates on a mode-7 face
            if (face->m_MappingMode != 7 || entries[0].Type != ZNSELECT_FACE)
                return false;
            if (!record(ZNUNDO_TEXTURECOORDS, 0))
                return false;
            for (short v = 0; v < face->GetVertexCount(); ++v)
                face->GetVertices()[v].tu += 0.5f;
            return true;
        default: // material, style and blending
            if (!record(ZNUNDO_MATERIAL, 0))
                return false;
            for (DWORD i : faces)
                b->GetFace(i)->SetMaterial(materials[Pick(static_cast<int>(materials.size()))]);
            if (record(ZNUNDO_FACESTYLE, 1))
                for (DWORD i : faces)
                    b->GetFace(i)->m_Style ^= ZNFACESTYLE_FULLBRIGHT;
            if (record(ZNUNDO_ALPHAMODES, 1))
                for (DWORD i : faces)
                    b->SetFaceAlphaBlend(i, static_cast<int8_t>(Pick(10)), static_cast<int8_t>(Pick(10)));
            return true;
        }
    }

    // One Undo; the scene must look as before the level's edit.
    void UndoOne(std::vector<IwfBytes> &images, const std::string &where)
    {
        Band()->Clear(1, 0);
        std::string types;
        for (const ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next) {
            types += std::to_string(r->Type) + " ";
            if (!r->Continuation)
                break;
        }
        ASSERT_EQ(doc->OnEditUndo(), 1) << where;
        const IwfBytes now = SceneImage();
        ASSERT_TRUE(now == images.back()) << where << ", records " << types << FirstDifference(now, images.back());
        images.pop_back();
    }

    std::mt19937 rng;
    std::vector<CZNTexture *> tex;
    std::vector<LONG> materials;
};

TEST_F(UndoRandomTest, EveryUndoGivesBackTheImageBeforeTheEdit)
{
    const unsigned seed = std::getenv("ZN_UNDO_SEED") ? static_cast<unsigned>(std::atoi(std::getenv("ZN_UNDO_SEED")))
                                                      : 20261210u;
    SCOPED_TRACE("seed " + std::to_string(seed));
    rng.seed(seed);
    materials = {AddMaterial("Random A", 0.3f), AddMaterial("Random B", 0.6f), 0};
    Build();
    const IwfBytes start = SceneImage();
    std::vector<IwfBytes> images; // before each level still in the list
    int undos = 0;
    for (int step = 0; step < 2500; ++step) {
        if (!images.empty() && Pick(3) == 0) {
            ASSERT_NO_FATAL_FAILURE(UndoOne(images, "step " + std::to_string(step)));
            ++undos;
            continue;
        }
        const IwfBytes before = SceneImage();
        const ZNUNDORECORD *head = doc->GetUndoList();
        if (!Edit()) {
            ASSERT_EQ(doc->GetUndoList(), head) << "step " << step;
            continue;
        }
        if (doc->GetUndoList() != head)
            images.push_back(before);
        else
            ASSERT_EQ(SceneImage(), before) << "an edit without a record changed the scene, step " << step;
    }
    EXPECT_GT(undos, 500);
    EXPECT_TRUE(reporter.Entries().empty() ||
                reporter.Entries().back().text == "Sanitization process completed successfully.");
    while (!images.empty())
        ASSERT_NO_FATAL_FAILURE(UndoOne(images, "unwinding, " + std::to_string(images.size()) + " left"));
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    EXPECT_EQ(SceneImage(), start) << "seed " << seed;
}

} // namespace
