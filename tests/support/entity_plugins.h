#pragma once

// The application's entity plug-ins for one test: the shipped ones from the program folder, in
// file-name order (fog 0, light 1, reference 2), then the named test-built ones in the order
// given. They are unloaded when the object goes, so scenes holding entities must go first.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"

class ZnEntityPlugins
{
public:
    static constexpr int kFog = 0;
    static constexpr int kLight = 1;
    static constexpr int kReference = 2;

    explicit ZnEntityPlugins(const std::vector<std::string> &testBuilt = {})
    {
        // The manager's log goes nowhere: no test shares a log file.
        const std::string saved = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_TEST_TMP_DIR) + "/no such folder/");
        CZNEntityPluginManager *manager = Manager();
        manager->UnloadPlugins();
        manager->LoadPlugins(nullptr, (std::string(ZN_SHIPPED_PLUGIN_DIR) + "/Entities/").c_str(), "*.so");
        for (const std::string &name : testBuilt)
            manager->LoadPlugins(nullptr, (std::string(ZN_TEST_PLUGIN_DIR) + "/").c_str(), (name + ".so").c_str());
        GetEditorApp()->SetProgramDirectory(saved);
        EXPECT_EQ(manager->GetPluginCount(), 3 + static_cast<int>(testBuilt.size()));
    }
    ~ZnEntityPlugins() { Manager()->UnloadPlugins(); }
    ZnEntityPlugins(const ZnEntityPlugins &) = delete;
    ZnEntityPlugins &operator=(const ZnEntityPlugins &) = delete;

    static CZNEntityPluginManager *Manager() { return GetEditorApp()->GetEntityPluginManager(); }
    static ENTITYPLUGINRECORD *Record(int index) { return Manager()->GetPlugin(index); }
    // The path a test-built plug-in was loaded from, for a test's own handle on it.
    static std::string TestBuiltPath(const std::string &name) { return std::string(ZN_TEST_PLUGIN_DIR) + "/" + name + ".so"; }
    // A variable of a loaded test-built plug-in (what it recorded); null when it is not loaded.
    template <typename T> static T *Variable(const std::string &plugin, const char *name)
    {
        void *handle = dlopen(TestBuiltPath(plugin).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (!handle)
            return nullptr;
        void *symbol = dlsym(handle, name);
        dlclose(handle); // the manager still holds the library
        return static_cast<T *>(symbol);
    }
};
