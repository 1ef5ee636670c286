#pragma once

// A temporary program folder for the plug-in tests: its own Debug Logs and plug-in folders, made
// the application's program directory for the test, filled with copies of shipped or test-built
// plug-ins.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "platform/os/recording_reporter.h"

namespace fs = std::filesystem;

class PluginFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char &c : name)
            if (c == '/')
                c = '_';
        m_Root = fs::path(ZN_TEST_TMP_DIR) / "plugins" / name;
        fs::remove_all(m_Root);
        fs::create_directories(m_Root / "Debug Logs");
        fs::create_directories(Primitives());
        fs::create_directories(Entities());
        m_SavedDirectory = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(m_Root.string());
        GetEditorApp()->SetReporter(&m_Reporter);
    }
    void TearDown() override
    {
        GetEditorApp()->SetReporter(nullptr);
        GetEditorApp()->SetProgramDirectory(m_SavedDirectory);
    }

    fs::path Primitives() const { return m_Root / "Plugins" / "Primitives"; }
    fs::path Entities() const { return m_Root / "Plugins" / "Entities"; }
    std::string Folder(const fs::path &p) const { return p.string() + "/"; }

    static fs::path Shipped(const char *kind, const char *file) { return fs::path(ZN_SHIPPED_PLUGIN_DIR) / kind / file; }
    static fs::path TestBuilt(const std::string &name) { return fs::path(ZN_TEST_PLUGIN_DIR) / (name + ".so"); }
    static void Copy(const fs::path &from, const fs::path &to) { fs::copy_file(from, to, fs::copy_options::overwrite_existing); }

    // The lines of a log under Debug Logs/, without their line ends.
    std::vector<std::string> LogLines(const char *file) const
    {
        std::ifstream in(m_Root / "Debug Logs" / file, std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
                line.pop_back();
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }
    static bool HasLine(const std::vector<std::string> &lines, const std::string &wanted)
    {
        for (const std::string &l : lines)
            if (l == wanted)
                return true;
        return false;
    }
    static bool HasLineStarting(const std::vector<std::string> &lines, const std::string &prefix)
    {
        for (const std::string &l : lines)
            if (l.rfind(prefix, 0) == 0)
                return true;
        return false;
    }

    fs::path m_Root;
    std::string m_SavedDirectory;
    CZNRecordingReporter m_Reporter;
};

// The test's own handle on a library, so that its recorded calls can be read after the manager
// has let it go.
class LibraryProbe
{
public:
    explicit LibraryProbe(const fs::path &path) : m_Handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~LibraryProbe()
    {
        if (m_Handle)
            dlclose(m_Handle);
    }
    template <typename T> T *Symbol(const char *name) const
    {
        return m_Handle ? static_cast<T *>(dlsym(m_Handle, name)) : nullptr;
    }
    bool Loaded() const { return m_Handle != nullptr; }

private:
    void *m_Handle;
};
