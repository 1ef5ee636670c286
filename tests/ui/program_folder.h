#pragma once

// A program folder like the one the build makes, for tests that start the editor for real: the
// shipped plug-ins, the material preview picture and the artwork, but no textures or prefabs;
// with the executable and the core library when the test runs the built editor.
#include <filesystem>

inline void ZnMakeProgramFolder(const std::filesystem::path &root, bool withExecutable)
{
    namespace fs = std::filesystem;
    const fs::path built(ZN_PROGRAM_DIR);
    fs::create_directories(root / "Debug Logs");
    fs::copy(built / "Plugins", root / "Plugins", fs::copy_options::recursive);
    fs::copy_file(built / "Material.sys", root / "Material.sys");
    fs::copy(built / "Resources", root / "Resources", fs::copy_options::recursive);
    if (withExecutable) {
        fs::copy_file(ZN_EDITOR_EXE, root / "zneditor");
        fs::copy_file(built / "libzncore.so", root / "libzncore.so");
    }
}
