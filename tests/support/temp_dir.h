#pragma once

// A fresh folder below the build's test folder for one test, removed afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class ZnTempDir {
public:
    ZnTempDir()
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
        for (char &c : name)
            if (c == '/')
                c = '_';
        m_Path = std::filesystem::path(ZN_TEST_TMP_DIR) / name;
        std::filesystem::remove_all(m_Path);
        std::filesystem::create_directories(m_Path);
    }
    ~ZnTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_Path, ec);
    }
    const std::filesystem::path &Path() const { return m_Path; }
    std::string File(const std::string &name) const { return (m_Path / name).string(); }

private:
    std::filesystem::path m_Path;
};

inline std::string ZnReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void ZnWriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
