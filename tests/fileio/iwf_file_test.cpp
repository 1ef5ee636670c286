// The IWF chunk container: exact bytes of the header and the framing, the author filter, the
// walk through file and memory streams, and hostile images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fileio/file_stream_io.h"
#include "fileio/iwf_file.h"
#include "fileio/memory_stream_io.h"
#include "support/temp_dir.h"

namespace
{

using Bytes = std::vector<BYTE>;

struct Visit {
    WORD id;
    int depth;
    std::string author;
    std::string data;
    bool operator==(const Visit &o) const
    {
        return id == o.id && depth == o.depth && author == o.author && data == o.data;
    }
};

// A reader that records every chunk it is handed, with its own data, and walks every child.
class Walker : public CZNIWFFile
{
public:
    bool m_Descend = true;

    void Load(CZNStreamIO &, bool) override {}
    void Clear(DWORD) override {}
    void ProcessChunk(IWFCHUNK *chunk, void *context) override
    {
        CZNIWFFile::ProcessChunk(chunk, context);
        int depth = 0;
        for (IWFCHUNK *c = chunk; c->Outer; c = c->Outer)
            ++depth;
        std::string data(static_cast<size_t>(GetChunkDataLeft()), '\0');
        ReadChunkData(data.data(), static_cast<DWORD>(data.size()));
        static_cast<std::vector<Visit> *>(context)->push_back(
            {chunk->ChunkId, depth, std::string(reinterpret_cast<char *>(chunk->AuthorId), chunk->AuthorIdLength),
             data});
        if (m_Descend)
            ReadChunks(context);
    }
};

// A writer with nothing of its own but the container.
class Writer : public CZNIWFFile
{
public:
    void Load(CZNStreamIO &, bool) override {}
    void Clear(DWORD) override {}
    void Chunk(WORD id, const std::string &data)
    {
        BeginChunk(id);
        Data(data);
    }
    void Data(const std::string &data)
    {
        ASSERT_TRUE(GetStream()->Write(data.data(), static_cast<DWORD>(data.size())));
    }
};

Bytes MemoryBytes(CZNMemoryStreamIO &s)
{
    return Bytes(s.GetBuffer(), s.GetBuffer() + s.GetLength());
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Str(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

Bytes U16(WORD v)
{
    return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)};
}

Bytes U32(DWORD v)
{
    return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
}

WORD GetU16ForTest(const Bytes &b, size_t at)
{
    return static_cast<WORD>(b[at] | (b[at + 1] << 8));
}

const Bytes kFileHeader = Concat({Str("IIWF"), U32(0x02000000), Bytes(16, 0)});

Bytes Header(WORD id, DWORD total, DWORD own, const std::string &author = "")
{
    return Concat({Str("HEAD"), U16(id), U32(total), U32(own), Bytes{static_cast<BYTE>(author.size())}, Str(author)});
}

Bytes Footer(WORD code)
{
    return Concat({Str("FOOT"), U16(code)});
}

DWORD CodeOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (LONG code) {
        return static_cast<DWORD>(code);
    }
    return 0;
}

// A sample holding what the framing has: nested levels, own data before children, author ids
// of the reader, of another producer and of an entity, and a skipped subtree.
void WriteSample(CZNStreamIO &stream)
{
    Writer w;
    w.Open(stream, IWF_MODE_WRITE);
    w.SetAuthorId("TOVRA", 5);
    w.Chunk(CHUNK_THUMBNAIL, "thumb");
    w.EndChunk();
    w.Chunk(CHUNK_SIGNATURE, "-ZN_SIG-");
    w.EndChunk();
    w.Chunk(CHUNK_GROUP, "group-own-12");
    {
        w.Chunk(CHUNK_MESH, "mesh");
        {
            w.Chunk(CHUNK_SURFACE, "s1");
            w.Chunk(CHUNK_VERTEXCOMPONENTS, "v");
            w.EndChunk();
            w.EndChunk();
            w.Chunk(CHUNK_SURFACE, "s2");
            w.EndChunk();
        }
        w.EndChunk();
        w.SetAuthorId("PLUGX", 5);
        w.Chunk(CHUNK_ENTITY, "entity");
        w.EndChunk();
    }
    w.EndChunk();
    w.SetAuthorId("OTHER", 5);
    w.Chunk(0x3000, "foreign");
    w.Chunk(CHUNK_MESH, "hidden");
    w.EndChunk();
    w.EndChunk();
    w.SetAuthorId(nullptr, 0);
    w.Chunk(0x3001, "anonymous");
    w.EndChunk();
    w.SetAuthorId("TOVRA", 5);
    w.Chunk(CHUNK_EDITOR_OPTIONS, "");
    w.EndChunk();
    w.Close();
}

const std::vector<Visit> kSampleWalk = {
    {CHUNK_THUMBNAIL, 0, "", "thumb"},    {CHUNK_SIGNATURE, 0, "TOVRA", "-ZN_SIG-"},
    {CHUNK_GROUP, 0, "", "group-own-12"}, {CHUNK_MESH, 1, "", "mesh"},
    {CHUNK_SURFACE, 2, "", "s1"},         {CHUNK_VERTEXCOMPONENTS, 3, "", "v"},
    {CHUNK_SURFACE, 2, "", "s2"},         {CHUNK_ENTITY, 1, "PLUGX", "entity"},
    {0x3001, 0, "", "anonymous"},         {CHUNK_EDITOR_OPTIONS, 0, "TOVRA", ""},
};

std::vector<Visit> Walk(CZNStreamIO &stream, const char *author, bool descend = true)
{
    std::vector<Visit> visits;
    Walker r;
    r.m_Descend = descend;
    r.Open(stream, IWF_MODE_READ);
    r.SetAuthorId(author, author ? static_cast<BYTE>(std::strlen(author)) : 0);
    r.ReadFile(&visits);
    EXPECT_EQ(r.GetCurrentChunk(), nullptr) << "a finished walk leaves no chunk open";
    return visits;
}

// Walks an image held in a block of exactly its size (so ASan sees any over-read) and returns
// the thrown code, 0 when the walk succeeded.
DWORD WalkCode(const Bytes &image, std::vector<Visit> *visits = nullptr)
{
    Bytes block(image);
    block.reserve(1); // an empty image still has a block to borrow
    CZNMemoryStreamIO stream(block.data(), static_cast<DWORD>(block.size()), ZNSTREAM_READ, false);
    std::vector<Visit> seen;
    Walker r;
    return CodeOf([&] {
        r.Open(stream, IWF_MODE_READ);
        r.SetAuthorId("TOVRA", 5);
        r.ReadFile(visits ? visits : &seen);
    });
}

Bytes WriteToMemory(const std::function<void(Writer &)> &body)
{
    CZNMemoryStreamIO stream(nullptr, 0, ZNSTREAM_WRITE, false);
    Writer w;
    w.Open(stream, IWF_MODE_WRITE);
    body(w);
    w.Close();
    return MemoryBytes(stream);
}

TEST(IWFFile, EmptyImageIsTheFileHeader)
{
    EXPECT_EQ(WriteToMemory([](Writer &) {}), kFileHeader);
    std::vector<Visit> visits;
    EXPECT_EQ(WalkCode(kFileHeader, &visits), 0u);
    EXPECT_TRUE(visits.empty());
}

TEST(IWFFile, LoneChunkIs29Bytes)
{
    Bytes image = WriteToMemory([](Writer &w) {
        w.Chunk(CHUNK_GROUP, "12345678");
        w.EndChunk();
    });
    EXPECT_EQ(image.size(), 24u + 29u);
    EXPECT_EQ(image, Concat({kFileHeader, Header(0x10, 8, 8), Str("12345678"), Footer(0xF001)}));
}

TEST(IWFFile, AuthorIdGoesWithCustomAndEntityChunksOnly)
{
    Bytes image = WriteToMemory([](Writer &w) {
        w.SetAuthorId("TOVRA", 5);
        w.Chunk(CHUNK_EDITOR_OPTIONS, "ab");
        w.EndChunk();
        w.Chunk(CHUNK_MATERIALS, "c");
        w.EndChunk();
        w.Chunk(CHUNK_ENTITY, "");
        w.EndChunk();
    });
    Bytes custom = Header(0x2004, 2, 2, "TOVRA");
    EXPECT_EQ(custom.size(), 20u);
    EXPECT_EQ(image, Concat({kFileHeader, custom, Str("ab"), Footer(0xF000), Header(0x90, 1, 1), Str("c"),
                             Footer(0xF000), Header(0x80, 0, 0, "TOVRA"), Footer(0xF001)}));
}

TEST(IWFFile, NestedChunksArePatchedAfterwards)
{
    Bytes image = WriteToMemory([](Writer &w) {
        w.Chunk(CHUNK_GROUP, "twelve bytes");
        w.Chunk(CHUNK_MESH, "abc");
        w.EndChunk();
        w.Chunk(CHUNK_MESH, "defgh");
        w.EndChunk();
        w.Chunk(CHUNK_MESH, "");
        w.EndChunk();
        w.EndChunk();
        w.Chunk(CHUNK_GROUP, "z");
        w.EndChunk();
    });
    Bytes child1 = Concat({Header(0x20, 3, 3), Str("abc"), Footer(0xF000)});
    Bytes child2 = Concat({Header(0x20, 5, 5), Str("defgh"), Footer(0xF000)});
    Bytes child3 = Concat({Header(0x20, 0, 0), Footer(0xF001)});
    DWORD total = static_cast<DWORD>(12 + child1.size() + child2.size() + child3.size());
    EXPECT_EQ(image, Concat({kFileHeader, Header(0x10, total, 12), Str("twelve bytes"), child1, child2, child3,
                             Footer(0xF000), Header(0x10, 1, 1), Str("z"), Footer(0xF001)}));
}

TEST(IWFFile, AuthorFilter)
{
    CZNMemoryStreamIO stream(nullptr, 0, ZNSTREAM_WRITE, false);
    WriteSample(stream);
    ASSERT_TRUE(stream.SeekTo(0));
    EXPECT_EQ(Walk(stream, "TOVRA"), kSampleWalk);

    // A reader without author id takes only chunks without one, and entity chunks.
    ASSERT_TRUE(stream.SeekTo(0));
    std::vector<Visit> anonymous = Walk(stream, nullptr);
    std::vector<Visit> expected;
    for (const Visit &v : kSampleWalk)
        if (v.author.empty() || v.id == CHUNK_ENTITY)
            expected.push_back(v);
    EXPECT_EQ(anonymous, expected);

    // Same bytes, different length: no match.
    Writer w;
    w.SetAuthorId("TOVRA", 5);
    EXPECT_TRUE(w.MatchAuthorId(nullptr, 0));
    EXPECT_TRUE(w.MatchAuthorId(reinterpret_cast<const BYTE *>("TOVRA"), 5));
    EXPECT_FALSE(w.MatchAuthorId(reinterpret_cast<const BYTE *>("TOVR"), 4));
    EXPECT_FALSE(w.MatchAuthorId(reinterpret_cast<const BYTE *>("TOVRB"), 5));
}

TEST(IWFFile, FileAndMemoryStreamsGiveTheSameBytesAndWalk)
{
    ZnTempDir dir;
    std::string path = dir.File("sample.iwf");
    {
        CZNFileStreamIO file(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        ASSERT_TRUE(file.IsOpen());
        WriteSample(file);
    }
    CZNMemoryStreamIO memory(nullptr, 0, ZNSTREAM_WRITE, false);
    WriteSample(memory);
    Bytes fileBytes = Str(ZnReadFile(path));
    EXPECT_EQ(fileBytes, MemoryBytes(memory));

    CZNFileStreamIO in(path.c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(Walk(in, "TOVRA"), kSampleWalk);
    ASSERT_TRUE(memory.SeekTo(0));
    EXPECT_EQ(Walk(memory, "TOVRA"), kSampleWalk);

    // Without descending, only the top level is handed over; children are skipped whole.
    ASSERT_TRUE(in.SeekTo(0));
    std::vector<Visit> top;
    for (const Visit &v : kSampleWalk)
        if (v.depth == 0)
            top.push_back(v);
    EXPECT_EQ(Walk(in, "TOVRA", false), top);
}

TEST(IWFFile, ImageMayStartInsideALargerStream)
{
    CZNMemoryStreamIO stream(nullptr, 0, ZNSTREAM_WRITE, false);
    ASSERT_TRUE(stream.Write("prefix!", 7));
    WriteSample(stream);
    ASSERT_TRUE(stream.SeekTo(7));
    EXPECT_EQ(Walk(stream, "TOVRA"), kSampleWalk);
}

TEST(IWFFile, HeaderTest)
{
    Walker r;
    Bytes oldVersion = Concat({Str("IIWF"), U32(0x01000000), Bytes(16, 0)});
    CZNMemoryStreamIO old(oldVersion.data(), static_cast<DWORD>(oldVersion.size()), ZNSTREAM_READ, false);
    EXPECT_FALSE(r.IsValidFile(old));
    EXPECT_EQ(CodeOf([&] { r.Open(old, IWF_MODE_READ); }), 0x89671B58u);

    ZnTempDir dir;
    std::string path = dir.File("short.iwf");
    ZnWriteFile(path, "IIWF\x00\x00\x00\x02zz");
    CZNFileStreamIO shortFile(path.c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(shortFile.SeekTo(2));
    EXPECT_FALSE(r.IsValidFile(shortFile));
    EXPECT_EQ(shortFile.Tell(), 2) << "the test consumes nothing";

    Bytes good = kFileHeader;
    CZNMemoryStreamIO ok(good.data(), static_cast<DWORD>(good.size()), ZNSTREAM_READ, false);
    EXPECT_TRUE(r.IsValidFile(ok));
    EXPECT_EQ(ok.Tell(), 0);
    CZNMemoryStreamIO closed;
    EXPECT_FALSE(r.IsValidFile(closed));
}

TEST(IWFFile, WrongUseThrowsItsCode)
{
    CZNMemoryStreamIO out(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNMemoryStreamIO closed;
    Writer w;
    EXPECT_EQ(CodeOf([&] { w.Open(out, 3); }), 0x896703EAu);
    EXPECT_EQ(CodeOf([&] { w.Open(closed, IWF_MODE_WRITE); }), 0x89670BB9u);
    EXPECT_EQ(CodeOf([&] { w.BeginChunk(0x10); }), 0x89671B59u) << "not open for writing";
    w.Open(out, IWF_MODE_WRITE);
    EXPECT_EQ(CodeOf([&] { w.BeginChunk(0); }), 0x89671B5Eu);
    EXPECT_EQ(CodeOf([&] { w.BeginChunk(1); }), 0x89671B5Eu);
    EXPECT_EQ(CodeOf([&] { w.EndChunk(); }), 0x89671B5Du) << "no chunk open";
    EXPECT_EQ(CodeOf([&] { w.ReadFile(nullptr); }), 0x89671B59u);
    EXPECT_EQ(CodeOf([&] { w.ProcessChunk(nullptr, nullptr); }), 0x89671B59u);
    w.Close();

    Bytes image = kFileHeader;
    CZNMemoryStreamIO in(image.data(), static_cast<DWORD>(image.size()), ZNSTREAM_READ, false);
    Walker r;
    r.Open(in, IWF_MODE_READ);
    EXPECT_EQ(CodeOf([&] { r.EndChunk(); }), 0x89671B59u);
    EXPECT_EQ(CodeOf([&] { r.BeginChunk(0x10); }), 0x89671B59u);
    EXPECT_EQ(CodeOf([&] { r.ReadChunkHeader(nullptr, false); }), 0x89671B5Du);

    // A failed stream write is thrown as the stream's own code.
    CZNFileStreamIO full("/dev/full", ZNSTREAM_WRITE | ZNSTREAM_CREATE);
    ASSERT_TRUE(full.IsOpen());
    Writer f;
    f.Open(full, IWF_MODE_WRITE);
    f.BeginChunk(0x10);
    EXPECT_EQ(CodeOf([&] { f.EndChunk(); }), 0x89670BBCu) << "seeking back flushes onto a full device";
}

TEST(IWFFile, ChildlessChunksAndForeignBytes)
{
    // Asking for the children of a chunk without any is an empty level; the position stays.
    Bytes image = WriteToMemory([](Writer &w) {
        w.Chunk(CHUNK_MESH, "data");
        w.EndChunk();
    });
    CZNMemoryStreamIO in(image.data(), static_cast<DWORD>(image.size()), ZNSTREAM_READ, false);
    Walker r;
    r.Open(in, IWF_MODE_READ);
    IWFCHUNK header;
    ASSERT_TRUE(r.ReadChunkHeader(&header, true));
    EXPECT_EQ(header.ChunkId, CHUNK_MESH);
    EXPECT_EQ(header.Length, 4u);
    EXPECT_EQ(header.DataLength, 4u);
    EXPECT_EQ(header.StartPos, 24);
    EXPECT_EQ(CZNIWFFile::GetChunkHeaderSize(&header), 15);
    int64_t at = in.Tell();
    EXPECT_FALSE(r.ReadChunkHeader(nullptr, true));
    EXPECT_EQ(in.Tell(), at);
    EXPECT_EQ(r.GetCurrentChunk()->ChunkId, CHUNK_MESH);
    EXPECT_FALSE(r.ReadChunkHeader(nullptr, false)) << "the only chunk of its level";
    EXPECT_EQ(r.GetCurrentChunk(), nullptr);

    // Bytes after the file header that are not a chunk make an empty image, however few.
    for (const char *junk : {"", "j", "ju", "jun", "junk that is no chunk"}) {
        std::vector<Visit> visits;
        EXPECT_EQ(WalkCode(Concat({kFileHeader, Str(junk)}), &visits), 0u) << '"' << junk << '"';
        EXPECT_TRUE(visits.empty());
    }
}

TEST(IWFFile, ChunkIdCatalogue)
{
    const WORD standard[] = {0x00, 0x01, 0x02, 0x03, 0x10, 0x20, 0x21, 0x30, 0x40, 0x50,
                             0x61, 0x62, 0x63, 0x64, 0x80, 0x90, 0xA0, 0xB0, 0xC0};
    int count = 0;
    for (DWORD id = 0; id <= 0xFFFF; ++id)
        count += CZNIWFFile::IsStandardChunkId(static_cast<WORD>(id));
    EXPECT_EQ(count, 19);
    for (WORD id : standard)
        EXPECT_TRUE(CZNIWFFile::IsStandardChunkId(id)) << id;
    EXPECT_TRUE(CZNIWFFile::IsReservedChunkId(0));
    EXPECT_TRUE(CZNIWFFile::IsReservedChunkId(1));
    EXPECT_FALSE(CZNIWFFile::IsReservedChunkId(2));
    EXPECT_EQ(CZNIWFFile::GetChunkHeaderSize(nullptr), 0);
}

// Nested chunks of one id, each with one byte of own data.
Bytes Nest(int levels)
{
    return WriteToMemory([levels](Writer &w) {
        for (int i = 0; i < levels; ++i)
            w.Chunk(0x02, "n");
        for (int i = 0; i < levels; ++i)
            w.EndChunk();
    });
}

void PatchU32(Bytes &image, size_t at, DWORD value)
{
    Bytes v = U32(value);
    std::copy(v.begin(), v.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

TEST(IWFFile, DeepNesting)
{
    std::vector<Visit> visits;
    EXPECT_EQ(WalkCode(Nest(256), &visits), 0u);
    EXPECT_EQ(visits.size(), 256u);
    EXPECT_EQ(WalkCode(Nest(300)), 0x89671B5Cu);
}

TEST(IWFFile, MalformedImagesFailWithACode)
{
    Bytes sample;
    {
        CZNMemoryStreamIO stream(nullptr, 0, ZNSTREAM_WRITE, false);
        WriteSample(stream);
        sample = MemoryBytes(stream);
    }
    ASSERT_EQ(WalkCode(sample), 0u);
    const DWORD framingCodes[] = {0x89671B58, 0x89671B5A, 0x89671B5B};
    auto isFramingCode = [&](DWORD code) {
        return std::find(std::begin(framingCodes), std::end(framingCodes), code) != std::end(framingCodes);
    };

    // Cut at every offset: only the file header with less than a tag after it (no chunks at all)
    // is still an image.
    for (size_t cut = 0; cut < sample.size(); ++cut) {
        DWORD code = WalkCode(Bytes(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(cut)));
        if (cut >= 24 && cut < 28)
            EXPECT_EQ(code, 0u);
        else
            EXPECT_TRUE(isFramingCode(code)) << "cut at " << cut << " gave " << std::hex << code;
    }

    // Offsets of the sample's first chunk (thumbnail, 5 bytes) and of the group with children.
    const size_t first = 24;
    const size_t group = first + (15 + 5 + 6) + (20 + 8 + 6);
    ASSERT_EQ(GetU16ForTest(sample, group + 4), CHUNK_GROUP);

    struct Case {
        const char *what;
        size_t at;
        DWORD value;
        DWORD code;
    };
    const Case cases[] = {
        {"own data longer than total", first + 10, 6, 0x89671B5A},
        {"total past the end of the stream", first + 6, 0x7FFFFFFF, 0x89671B5A},
        {"total of 4 GiB - 1", first + 6, 0xFFFFFFFF, 0x89671B5A},
        {"child past its parent", group + 15 + 12 + 6, 0x400, 0x89671B5A},
        {"parent shorter than its children", group + 6, 40, 0x89671B5A},
        {"own data pointing back at the header", group + 10, 0xFFFFFFF1, 0x89671B5A},
        {"wrong magic", 0, 0x46574948, 0x89671B58},
        {"wrong version", 4, 0x02000001, 0x89671B58},
        {"head tag of a sibling broken", first + 26, 0x44414546, 0x89671B5B},
    };
    for (const Case &c : cases) {
        Bytes bad = sample;
        PatchU32(bad, c.at, c.value);
        EXPECT_EQ(WalkCode(bad), c.code) << c.what;
    }

    // A footer that promises a sibling where the level ends.
    Bytes promise = sample;
    promise[promise.size() - 2] = 0x00;
    EXPECT_EQ(WalkCode(promise), 0x89671B5Bu);
    // A broken footer tag.
    Bytes foot = sample;
    foot[first + 15 + 5] = 'X';
    EXPECT_EQ(WalkCode(foot), 0x89671B5Bu);
}

TEST(IWFFile, SelfNestingContainers)
{
    // Forty nested containers walk cleanly.
    Bytes chain = Nest(40);
    std::vector<Visit> visits;
    ASSERT_EQ(WalkCode(chain, &visits), 0u);
    ASSERT_EQ(visits.size(), 40u);
    EXPECT_EQ(visits.back().depth, 39);

    // The innermost one's own-data length made to point back at the outermost header (a
    // negative distance taken as a signed number) is refused, not followed round in a loop.
    size_t innermost = 24 + 39 * (15 + 1);
    Bytes loop = chain;
    int64_t back = 24 - static_cast<int64_t>(innermost + 15);
    PatchU32(loop, innermost + 10, static_cast<DWORD>(back));
    EXPECT_EQ(WalkCode(loop), 0x89671B5Au);
}

} // namespace
