#include "render/texture_package.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <unzip.h>

namespace
{

constexpr size_t kNameBuffer = 1024;
constexpr DWORD kReadStep = 1u << 20;

// Copies at most size - 1 characters of text (length bytes) and terminates.
template <size_t N> void CopyField(char (&field)[N], const char *text, size_t length)
{
    length = std::min(length, N - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

DWORD Clamp32(ZPOS64_T value)
{
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(value);
}

} // namespace

CZNTexturePackage::CZNTexturePackage() : m_Path(nullptr), m_Archive(nullptr) {}

CZNTexturePackage::~CZNTexturePackage()
{
    Close();
    m_Entries.clear();
    std::free(m_Path);
    m_Path = nullptr;
}

int CZNTexturePackage::IsPackage(const char *path)
{
    if (!path)
        return 0;
    unzFile archive = unzOpen64(path);
    if (!archive)
        return 0;
    unzClose(archive);
    return 1;
}

int CZNTexturePackage::Open(const char *path)
{
    Close();
    if (!path)
        return 0;
    unzFile archive = unzOpen64(path);
    if (!archive)
        return 0;
    char *copy = strdup(path);
    if (!copy) {
        unzClose(archive);
        return 0;
    }
    m_Archive = archive;
    m_Path = copy;
    return 1;
}

void CZNTexturePackage::Close()
{
    if (!m_Archive)
        return;
    unzClose(static_cast<unzFile>(m_Archive));
    m_Archive = nullptr;
    std::free(m_Path);
    m_Path = nullptr;
}

int CZNTexturePackage::ReadEntries()
{
    if (!m_Archive)
        return 0;
    unzFile archive = static_cast<unzFile>(m_Archive);
    m_Entries.clear();
    if (unzGoToFirstFile(archive) != UNZ_OK)
        return 0;
    char name[kNameBuffer + 1];
    char extra[kNameBuffer];
    do {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(archive, &info, name, kNameBuffer, extra, sizeof(extra), nullptr, 0) != UNZ_OK)
            return 0;
        // The library does not terminate a name that fills the buffer.
        size_t length = std::min<size_t>(info.size_filename, kNameBuffer);
        name[length] = '\0';
        length = std::strlen(name);

        CZNTexturePackageEntry entry;
        std::memset(&entry, 0, sizeof(entry));
        CopyField(entry.FullName, name, length);
        const char *slash = std::strrchr(name, '/');
        const char *fileName = slash ? slash + 1 : name;
        CopyField(entry.FileName, fileName, std::strlen(fileName));
        CopyField(entry.Folder, name, static_cast<size_t>(fileName - name));
        if (const char *dot = std::strrchr(fileName, '.')) {
            CopyField(entry.Extension, dot + 1, std::strlen(dot + 1));
            for (char *c = entry.Extension; *c; ++c)
                *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
        }
        entry.Directory = length > 0 && name[length - 1] == '/' ? 1 : 0;
        if (!entry.Directory) {
            entry.CompressedSize = Clamp32(info.compressed_size);
            entry.UncompressedSize = Clamp32(info.uncompressed_size);
            entry.CRC32 = static_cast<DWORD>(info.crc);
        }
        try {
            m_Entries.push_back(entry);
        } catch (const std::bad_alloc &) {
            return 0;
        }
    } while (unzGoToNextFile(archive) == UNZ_OK);
    return 1;
}

const CZNTexturePackageEntry *CZNTexturePackage::GetEntry(int index) const
{
    if (index < 0 || index >= GetEntryCount())
        return nullptr;
    return &m_Entries[static_cast<size_t>(index)];
}

int CZNTexturePackage::Contains(const char *name)
{
    if (!m_Archive || !name)
        return 0;
    return unzLocateFile(static_cast<unzFile>(m_Archive), name, 0) == UNZ_OK ? 1 : 0;
}

unsigned char *CZNTexturePackage::ExtractToMemory(const char *name, DWORD *size)
{
    if (size)
        *size = 0;
    if (!m_Archive || !name)
        return nullptr;
    unzFile archive = static_cast<unzFile>(m_Archive);
    if (unzLocateFile(archive, name, 0) != UNZ_OK)
        return nullptr;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return nullptr;
    if (info.uncompressed_size == 0 || info.uncompressed_size > kMaxEntrySize)
        return nullptr;
    if (unzOpenCurrentFile(archive) != UNZ_OK)
        return nullptr;

    // Read in steps, so that memory follows the data that is really there rather than the
    // size the archive declares.
    const DWORD declared = static_cast<DWORD>(info.uncompressed_size);
    std::vector<unsigned char> data;
    DWORD got = 0;
    bool failed = false;
    try {
        while (got < declared) {
            DWORD step = std::min(declared - got, kReadStep);
            data.resize(static_cast<size_t>(got) + step);
            int read = unzReadCurrentFile(archive, data.data() + got, step);
            if (read < 0) {
                failed = true;
                break;
            }
            if (read == 0)
                break;
            got += static_cast<DWORD>(read);
        }
    } catch (const std::bad_alloc &) {
        failed = true;
    }
    // Closing checks the CRC once the whole entry was read; data that ends before the size the
    // archive declares is damaged as well.
    if (unzCloseCurrentFile(archive) != UNZ_OK)
        failed = true;
    if (failed || got == 0 || got != declared)
        return nullptr;

    unsigned char *buffer = new (std::nothrow) unsigned char[got];
    if (!buffer)
        return nullptr;
    std::memcpy(buffer, data.data(), got);
    if (size)
        *size = got;
    return buffer;
}

int CZNTexturePackage::ExtractToFile(const char *name, const char *path)
{
    if (!path)
        return 0;
    DWORD size = 0;
    unsigned char *buffer = ExtractToMemory(name, &size);
    if (!buffer)
        return 0;
    int result = 0;
    if (std::FILE *file = std::fopen(path, "wb")) {
        result = std::fwrite(buffer, 1, size, file) == size ? 1 : 0;
        if (std::fclose(file) != 0)
            result = 0;
    }
    delete[] buffer;
    return result;
}
