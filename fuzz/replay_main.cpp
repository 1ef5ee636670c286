// Replays every file of a corpus folder through a fuzz target's entry point, so the seed
// corpora run as an ordinary test without libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(argv[1], ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    if (ec) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], ec.message().c_str());
        return 2;
    }
    std::sort(files.begin(), files.end());
    for (const auto &file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs from %s\n", files.size(), argv[1]);
    return files.empty() ? 1 : 0;
}
