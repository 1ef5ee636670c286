// The 3DS chunk reader base: the file test, moving to children and siblings, and hostile
// lengths.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fileio/3ds_file.h"
#include "fileio/memory_stream_io.h"
#include "support/temp_dir.h"

namespace
{

using Bytes = std::vector<BYTE>;

Bytes Chunk(WORD id, const Bytes &body, DWORD lengthDelta = 0)
{
    DWORD length = static_cast<DWORD>(body.size() + 6) + lengthDelta;
    Bytes out = {static_cast<BYTE>(id),          static_cast<BYTE>(id >> 8),      static_cast<BYTE>(length),
                 static_cast<BYTE>(length >> 8), static_cast<BYTE>(length >> 16), static_cast<BYTE>(length >> 24)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A main chunk with a version chunk and an editor chunk holding two objects.
Bytes Sample()
{
    Bytes version = Chunk(0x0002, {3, 0, 0, 0});
    Bytes object1 = Chunk(0x4000, {'a', 0});
    Bytes object2 = Chunk(0x4000, {'b', 0});
    Bytes editor = Chunk(0x3D3D, Cat({object1, object2}));
    return Chunk(0x4D4D, Cat({version, editor}));
}

// Records every chunk as "id@depth" and walks the children of every chunk.
class Walker : public CZN3DSFile
{
public:
    void Load(CZNStreamIO &, bool) override {}
    void Clear(DWORD) override {}
    void ProcessChunk(CHUNK3DS *chunk, void *context) override
    {
        CZN3DSFile::ProcessChunk(chunk, context);
        int depth = 0;
        for (CHUNK3DS *c = chunk; c->Outer; c = c->Outer)
            ++depth;
        char text[32];
        std::snprintf(text, sizeof text, "%04X@%d ", chunk->ChunkId, depth);
        *static_cast<std::string *>(context) += text;
        // Chunks known to hold children; the others are data.
        if (chunk->ChunkId == 0x4D4D || chunk->ChunkId == 0x3D3D || chunk->ChunkId == 0x0202)
            ReadChunks(context);
    }
};

DWORD CodeOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (LONG code) {
        return static_cast<DWORD>(code);
    }
    return 0;
}

DWORD WalkCode(const Bytes &image, std::string *walk = nullptr)
{
    Bytes block(image);
    block.reserve(1);
    CZNMemoryStreamIO stream(block.data(), static_cast<DWORD>(block.size()), ZNSTREAM_READ, false);
    std::string seen;
    Walker w;
    return CodeOf([&] {
        w.Open(stream, 1);
        w.ReadFile(walk ? walk : &seen);
    });
}

TEST(ThreeDSFile, FileTest)
{
    Walker w;
    Bytes tiny = {0x4D, 0x4D, 6, 0, 0};
    CZNMemoryStreamIO shortStream(tiny.data(), 5, ZNSTREAM_READ, false);
    EXPECT_FALSE(w.IsValidFile(shortStream));
    EXPECT_EQ(shortStream.Tell(), 0);

    // Only the id decides, also when the length is shorter than the file.
    Bytes loose = Cat({Chunk(0x4D4D, {}), Bytes(20, 0)});
    CZNMemoryStreamIO looseStream(loose.data(), static_cast<DWORD>(loose.size()), ZNSTREAM_READ, false);
    EXPECT_TRUE(w.IsValidFile(looseStream));
    EXPECT_EQ(looseStream.Tell(), 0);

    Bytes other = Chunk(0x4D4E, {});
    CZNMemoryStreamIO otherStream(other.data(), static_cast<DWORD>(other.size()), ZNSTREAM_READ, false);
    EXPECT_EQ(CodeOf([&] { w.Open(otherStream, 1); }), 0x89671F40u);
    EXPECT_EQ(CodeOf([&] { w.Open(otherStream, 2); }), 0x896703EAu);
    CZNMemoryStreamIO closed;
    EXPECT_EQ(CodeOf([&] { w.Open(closed, 1); }), 0x89670BB9u);

    Walker unopened;
    EXPECT_EQ(CodeOf([&] { unopened.NextChunk(nullptr, true); }), 0x89671F41u);
    EXPECT_EQ(CodeOf([&] { unopened.ProcessChunk(nullptr, nullptr); }), 0x89671F41u);
}

TEST(ThreeDSFile, ChildrenAndSiblings)
{
    Bytes image = Sample();
    CZNMemoryStreamIO stream(image.data(), static_cast<DWORD>(image.size()), ZNSTREAM_READ, false);
    Walker w;
    w.Open(stream, 1);
    EXPECT_EQ(CodeOf([&] { w.NextChunk(nullptr, false); }), 0x89671F42u) << "no chunk open";

    CHUNK3DS header;
    ASSERT_TRUE(w.NextChunk(&header, true));
    EXPECT_EQ(header.ChunkId, 0x4D4D);
    EXPECT_EQ(header.DataLength, image.size() - 6);
    ASSERT_TRUE(w.NextChunk(&header, true));
    EXPECT_EQ(header.ChunkId, 0x0002);
    EXPECT_EQ(header.DataLength, 4u);
    ASSERT_TRUE(w.NextChunk(&header, false));
    EXPECT_EQ(header.ChunkId, 0x3D3D);
    EXPECT_EQ(w.GetCurrentChunk()->Position, 6 + 10);
    EXPECT_EQ(w.GetLastChunk()->ChunkId, 0x4D4D);
    EXPECT_FALSE(w.NextChunk(nullptr, false)) << "the last child of the main chunk";
    EXPECT_EQ(w.GetCurrentChunk()->ChunkId, 0x4D4D);
    EXPECT_FALSE(w.NextChunk(nullptr, false)) << "the end of the file";
    EXPECT_EQ(w.GetCurrentChunk(), nullptr);
    w.Close();
    EXPECT_EQ(w.GetMode(), 0u);

    std::string walk;
    EXPECT_EQ(WalkCode(image, &walk), 0u);
    EXPECT_EQ(walk, "4D4D@0 0002@1 3D3D@1 4000@2 4000@2 ");

    // A few trailing bytes after the main chunk end the file.
    walk.clear();
    EXPECT_EQ(WalkCode(Cat({image, Bytes{0, 0, 0}}), &walk), 0u);
    EXPECT_EQ(walk, "4D4D@0 0002@1 3D3D@1 4000@2 4000@2 ");
}

TEST(ThreeDSFile, HostileLengths)
{
    // A length below the header's own size is refused.
    Bytes tooShort = Chunk(0x4D4D, Chunk(0x0002, {}, static_cast<DWORD>(-3)));
    EXPECT_EQ(WalkCode(tooShort), 0x89671F40u);

    // A child longer than its parent is cut to the parent: the walk goes on with the parent's
    // next sibling and never back.
    Bytes overrun = Chunk(0x4D4D, Cat({Chunk(0x3D3D, Chunk(0x4000, {'x', 0}, 1000)), Chunk(0x0002, {1, 0, 0, 0})}));
    std::string walk;
    EXPECT_EQ(WalkCode(overrun, &walk), 0u);
    EXPECT_EQ(walk, "4D4D@0 3D3D@1 4000@2 0002@1 ");

    // A main chunk longer than the file is cut to the file.
    walk.clear();
    EXPECT_EQ(WalkCode(Chunk(0x4D4D, Chunk(0x0002, {1, 0, 0, 0}), 5000), &walk), 0u);
    EXPECT_EQ(walk, "4D4D@0 0002@1 ");

    // Nesting deeper than 256 levels is refused.
    Bytes deep = Chunk(0x0202, {});
    for (int i = 0; i < 300; ++i)
        deep = Chunk(0x0202, deep);
    EXPECT_EQ(WalkCode(Chunk(0x4D4D, deep)), 0x89671F40u);

    // Cut at every offset: a code or a shorter walk, never a crash or a read outside the block.
    Bytes sample = Sample();
    for (size_t cut = 0; cut < sample.size(); ++cut) {
        DWORD code = WalkCode(Bytes(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(cut)));
        if (cut < 6)
            EXPECT_EQ(code, 0x89671F40u) << cut;
        else
            EXPECT_TRUE(code == 0 || code == 0x89671F40u) << cut << " gave " << std::hex << code;
    }
}

} // namespace
