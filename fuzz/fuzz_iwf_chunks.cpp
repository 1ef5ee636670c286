// Walks an arbitrary byte image as an IWF chunk tree: every chunk is handed over, part of its
// own data is read and its children are walked. A hostile image may only end in a thrown code.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fileio/iwf_file.h"
#include "fileio/memory_stream_io.h"

namespace
{

class FuzzWalker : public CZNIWFFile
{
public:
    void Load(CZNStreamIO &, bool) override {}
    void Clear(DWORD) override {}
    void ProcessChunk(IWFCHUNK *chunk, void *context) override
    {
        CZNIWFFile::ProcessChunk(chunk, context);
        BYTE data[64];
        int64_t left = GetChunkDataLeft();
        DWORD take = left < static_cast<int64_t>(sizeof data) ? static_cast<DWORD>(left) : sizeof data;
        if (take >= 4) {
            // A count taken from the data, checked as a body reader would before allocating.
            ReadChunkData(data, 4);
            DWORD count;
            std::memcpy(&count, data, 4);
            try {
                CheckChunkDataCount(count, 8);
            } catch (LONG) {
            }
            take -= 4;
        }
        ReadChunkData(data, take);
        ReadChunks(context);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    static uint8_t empty = 0;
    void *block = size ? const_cast<uint8_t *>(data) : &empty;
    CZNMemoryStreamIO stream(block, static_cast<DWORD>(size), ZNSTREAM_READ, false);
    FuzzWalker walker;
    try {
        walker.Open(stream, IWF_MODE_READ);
        walker.SetAuthorId("TOVRA", 5);
        walker.ReadFile(nullptr);
    } catch (LONG) {
    }
    return 0;
}
