#pragma once

// The shipped entity plug-ins (light, fog, reference) and the protocol test plug-ins loaded into
// the application's entity plug-in manager from the test's own program folder (the application's
// program directory while the test runs), and entities
// made from their templates as the document makes them: the template's data, then the head set
// to the identity at the given place (a fog entity's head is left alone).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "app/plugin_fixture.h"
#include "scene/entity.h"

// Base is the test fixture the entity tests stand on (a plain test, or one with a device).
template <class Base> class ZnEntityTest : public Base
{
protected:
    void SetUp() override
    {
        Base::SetUp();
        if (this->HasFatalFailure())
            return;
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char &c : name)
            if (c == '/')
                c = '_';
        m_Root = fs::path(ZN_TEST_TMP_DIR) / "entities" / name;
        fs::remove_all(m_Root);
        fs::create_directories(m_Root / "Debug Logs");
        fs::create_directories(Entities());
        m_SavedDirectory = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(m_Root.string());
        const fs::path shipped = fs::path(ZN_SHIPPED_PLUGIN_DIR) / "Entities";
        for (const char *plugin : {"light", "fog", "reference"})
            fs::copy_file(shipped / (std::string(plugin) + ".so"), Entities() / (std::string(plugin) + ".so"));
        for (const char *built : {"ent_protocol", "ent_light_other_vendor", "ent_fog_other_vendor", "ent_kind_b"})
            fs::copy_file(fs::path(ZN_TEST_PLUGIN_DIR) / (std::string(built) + ".so"),
                          Entities() / (std::string(built) + ".so"));
        ASSERT_EQ(Manager()->LoadPlugins(nullptr, (Entities().string() + "/").c_str(), "*.so"), 1);
    }
    void TearDown() override
    {
        entities.clear();
        Manager()->UnloadPlugins();
        if (!m_Root.empty())
            GetEditorApp()->SetProgramDirectory(m_SavedDirectory);
        Base::TearDown();
    }
    fs::path Entities() const { return m_Root / "Plugins" / "Entities"; }

    static CZNEntityPluginManager *Manager() { return GetEditorApp()->GetEntityPluginManager(); }

    // The index of the plug-in loaded from the file of this name (without ".so").
    int Plugin(const std::string &name) const
    {
        const std::string file = "/" + name + ".so";
        for (int i = 0; i < Manager()->GetPluginCount(); ++i) {
            const std::string loaded = Manager()->GetPlugin(i)->FileName;
            if (loaded.size() >= file.size() && loaded.compare(loaded.size() - file.size(), file.size(), file) == 0)
                return i;
        }
        ADD_FAILURE() << name << " is not loaded";
        return -1;
    }

    // A new entity of the named plug-in at position, owned by the test.
    CZNEntity *Make(const std::string &plugin, const D3DXVECTOR3 &position = D3DXVECTOR3(0, 0, 0))
    {
        const int index = Plugin(plugin);
        ENTITYPLUGINRECORD *record = Manager()->GetPlugin(index);
        entities.push_back(std::make_unique<CZNEntity>());
        CZNEntity *entity = entities.back().get();
        if (!record)
            return entity;
        entity->SetType(index);
        BYTE *block = entity->AllocData(std::max<DWORD>(record->Info.BlockSize, 64));
        std::memcpy(block, record->TemplateEntity.GetData(), std::min(record->Info.DataSize, record->Info.BlockSize));
        entity->SetDataSize(record->Info.DataSize);
        if (!entity->IsBuiltInKindC()) {
            D3DXMATRIX head;
            D3DXMatrixIdentity(&head);
            head._41 = position.x;
            head._42 = position.y;
            head._43 = position.z;
            std::memcpy(block, &head, sizeof(head));
        }
        return entity;
    }
    // The entity's head.
    static D3DXMATRIX Head(const CZNEntity *entity)
    {
        D3DXMATRIX head;
        std::memcpy(&head, entity->GetData(), sizeof(head));
        return head;
    }
    static void SetHead(CZNEntity *entity, const D3DXMATRIX &head) { std::memcpy(entity->GetData(), &head, sizeof(head)); }
    template <typename T> static void Put(CZNEntity *entity, size_t offset, T value)
    {
        std::memcpy(entity->GetData() + offset, &value, sizeof(value));
    }
    // The test's own handle on a plug-in copied into the folder, for its recorded calls.
    std::unique_ptr<LibraryProbe> Probe(const std::string &name) const
    {
        return std::make_unique<LibraryProbe>(Entities() / (name + ".so"));
    }

    std::vector<std::unique_ptr<CZNEntity>> entities;
    fs::path m_Root;
    std::string m_SavedDirectory;
};

using ZnEntityPluginTest = ZnEntityTest<::testing::Test>;
