#pragma once

// Shared set-up of the IWF scene tests: a recording reporter, the shared material list and the
// texture manager left as they were found, scenes of real shapes, textures written as picture
// files into a test folder, and saves into memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "iwf_image.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/group.h"
#include "scene/material.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "support/temp_dir.h"

class IwfSceneTest : public ::testing::Test
{
protected:
    void SetUp() override { GetEditorApp()->SetReporter(&reporter); }

    void TearDown() override
    {
        // Scene objects first: their faces hold references on materials and textures.
        for (CZNGROUP *g : groups)
            g->Clear();
        for (ZNBRUSH *b : brushes)
            delete b;
        for (CZNGROUP *g : groups)
            delete g;
        GetEditorApp()->Get3D()->TrimMaterialList();
        CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
        for (CZNTexture *t : textures) {
            manager->DetachTexture(t);
            delete t;
        }
        GetEditorApp()->SetReporter(nullptr);
    }

    CZNCONTAINER *Materials() { return GetEditorApp()->Get3D()->GetMaterialList(); }

    // A material of the shared list; its index.
    LONG AddMaterial(const std::string &name, float red, float power = 1.0f)
    {
        int index = GetEditorApp()->Get3D()->AddMaterial();
        CZNMATERIAL *m = GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index));
        m->SetName(name.c_str());
        D3DMATERIAL9 value{};
        value.Diffuse = {red, 0.5f, 0.25f, 1.0f};
        value.Ambient = {0.1f, 0.2f, 0.3f, 0.4f};
        value.Specular = {0.5f, 0.6f, 0.7f, 0.8f};
        value.Emissive = {0.9f, 0.0f, 0.125f, 1.0f};
        value.Power = power;
        m->SetD3DMaterial(&value);
        return index;
    }

    // A texture loaded from a picture file written into the test folder and handed to the
    // texture manager; the picture's colours come from seed.
    CZNTexture *AddTexture(const std::string &file, int seed)
    {
        CZNImage image;
        image.AllocImageMem(8, 8, 24, false);
        for (DWORD i = 0; i < 64; ++i) {
            image.GetRedPlane()[i] = static_cast<BYTE>(seed * 37 + i);
            image.GetGreenPlane()[i] = static_cast<BYTE>(seed * 11 + 3 * i);
            image.GetBluePlane()[i] = static_cast<BYTE>(seed * 5 + 7 * i);
        }
        std::string path = dir.File(file);
        EXPECT_TRUE(image.SaveBMP(path.c_str()));
        auto *texture = new CZNTexture(path.c_str(), nullptr);
        EXPECT_TRUE(texture->IsLoaded());
        GetEditorApp()->GetTextureManager()->AddTexture(texture);
        textures.push_back(texture);
        return texture;
    }

    ZNBRUSH *Cube(const D3DXVECTOR3 &lo = {0, 0, 0}, const D3DXVECTOR3 &hi = {1, 1, 1})
    {
        auto *b = new ZNBRUSH;
        ZnBuildBox(*b, lo, hi);
        brushes.push_back(b);
        return b;
    }
    ZNBRUSH *Own(ZNBRUSH *b)
    {
        brushes.push_back(b);
        return b;
    }
    CZNGROUP *Group(const char *name = nullptr)
    {
        auto *g = new CZNGROUP;
        if (name) {
            char *copy = new char[strlen(name) + 1];
            std::strcpy(copy, name);
            g->SetName(copy);
        }
        groups.push_back(g);
        return g;
    }

    static std::vector<ZNSELECTIONENTRY> Entries(const std::vector<ZNBRUSH *> &list)
    {
        std::vector<ZNSELECTIONENTRY> entries;
        for (ZNBRUSH *b : list) {
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_BRUSH;
            e.Object = reinterpret_cast<uintptr_t>(b);
            entries.push_back(e);
        }
        return entries;
    }

    static IwfBytes SaveObjects(const std::vector<ZNBRUSH *> &list, DWORD flags, CZNImage *thumbnail = nullptr)
    {
        CZNMemoryStreamIO stream;
        stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
        CZNIWFScene scene;
        scene.SaveObjects(stream, Entries(list), flags, thumbnail);
        return IwfStreamBytes(stream);
    }

    // Loads into scene; the code thrown, or 0.
    static LONG Load(CZNIWFScene &scene, const IwfBytes &bytes, bool silent)
    {
        CZNMemoryStreamIO stream;
        IwfOpenRead(stream, bytes);
        try {
            scene.Load(stream, silent);
        } catch (LONG code) {
            return code;
        }
        return 0;
    }

    CZNRecordingReporter reporter;
    ZnTempDir dir;
    std::vector<ZNBRUSH *> brushes;
    std::vector<CZNGROUP *> groups;
    std::vector<CZNTexture *> textures;
};
