// Walks an arbitrary byte image as a 3DS chunk tree, descending into every chunk that has room
// for children. A hostile image may only end in a thrown code.
#include <cstddef>
#include <cstdint>

#include "fileio/3ds_file.h"
#include "fileio/memory_stream_io.h"

namespace
{

class FuzzWalker : public CZN3DSFile
{
public:
    void Load(CZNStreamIO &, bool) override {}
    void Clear(DWORD) override {}
    void ProcessChunk(CHUNK3DS *chunk, void *context) override
    {
        CZN3DSFile::ProcessChunk(chunk, context);
        // Some chunks carry a few bytes of data before their children.
        if (chunk->ChunkId & 1) {
            BYTE data[2];
            GetStream()->Read(data, chunk->DataLength < 2 ? chunk->DataLength : 2);
        }
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
        walker.Open(stream, 1);
        walker.ReadFile(nullptr);
    } catch (LONG) {
    }
    return 0;
}
