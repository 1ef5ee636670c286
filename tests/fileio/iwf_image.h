#pragma once

// IWF images for the scene tests, independent of the classes under test: a parser that splits
// saved bytes into their chunk tree, and a builder that frames hand-made chunk bodies (also the
// chunk features this system's writer never produces).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fileio/memory_stream_io.h"

using IwfBytes = std::vector<uint8_t>;

struct IwfNode {
    uint16_t id = 0;
    std::string author;
    IwfBytes data;                 // own data
    std::vector<IwfNode> children;
    uint32_t total = 0;            // as parsed: the total length field
    uint16_t endCode = 0;          // as parsed: the footer's end code
};

// Little-endian field appenders for building bodies.
struct IwfBody {
    IwfBytes bytes;
    IwfBody &U8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    IwfBody &U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    IwfBody &U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    IwfBody &F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return U32(v);
    }
    IwfBody &Str(const std::string &s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    IwfBody &Zeros(size_t n)
    {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
};

inline uint32_t IwfGet32(const IwfBytes &b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
inline uint16_t IwfGet16(const IwfBytes &b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline float IwfGetF(const IwfBytes &b, size_t at)
{
    uint32_t v = IwfGet32(b, at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

// Parses the chunks between begin and end; a malformed image gives what was parsed so far.
inline std::vector<IwfNode> IwfParseLevel(const IwfBytes &b, size_t begin, size_t end)
{
    std::vector<IwfNode> level;
    size_t at = begin;
    while (at + 15 <= end && std::memcmp(&b[at], "HEAD", 4) == 0) {
        IwfNode node;
        node.id = IwfGet16(b, at + 4);
        node.total = IwfGet32(b, at + 6);
        uint32_t own = IwfGet32(b, at + 10);
        uint8_t n = b[at + 14];
        node.author.assign(reinterpret_cast<const char *>(&b[at + 15]), n);
        size_t body = at + 15 + n;
        node.data.assign(b.begin() + body, b.begin() + body + own);
        node.children = IwfParseLevel(b, body + own, body + node.total);
        size_t footer = body + node.total;
        node.endCode = IwfGet16(b, footer + 4);
        level.push_back(node);
        at = footer + 6;
        if (node.endCode == 0xF001)
            break;
    }
    return level;
}

inline std::vector<IwfNode> IwfParse(const IwfBytes &b)
{
    return IwfParseLevel(b, 24, b.size());
}

inline std::vector<uint16_t> IwfIds(const std::vector<IwfNode> &level)
{
    std::vector<uint16_t> ids;
    for (const IwfNode &n : level)
        ids.push_back(n.id);
    return ids;
}

inline void IwfAppendLevel(IwfBytes &out, const std::vector<IwfNode> &level)
{
    for (size_t i = 0; i < level.size(); ++i) {
        const IwfNode &node = level[i];
        IwfBytes kids;
        IwfAppendLevel(kids, node.children);
        IwfBody h;
        h.Str("HEAD").U16(node.id).U32(static_cast<uint32_t>(node.data.size() + kids.size()));
        h.U32(static_cast<uint32_t>(node.data.size())).U8(static_cast<uint8_t>(node.author.size())).Str(node.author);
        out.insert(out.end(), h.bytes.begin(), h.bytes.end());
        out.insert(out.end(), node.data.begin(), node.data.end());
        out.insert(out.end(), kids.begin(), kids.end());
        IwfBody f;
        f.Str("FOOT").U16(i + 1 == level.size() ? 0xF001 : 0xF000);
        out.insert(out.end(), f.bytes.begin(), f.bytes.end());
    }
}

// A whole image: the 24-byte header and the top level.
inline IwfBytes IwfBuild(const std::vector<IwfNode> &top)
{
    IwfBody h;
    h.Str("IIWF").U32(0x02000000).Zeros(16);
    IwfBytes out = h.bytes;
    IwfAppendLevel(out, top);
    return out;
}

inline IwfNode IwfChunk(uint16_t id, const IwfBytes &data, std::vector<IwfNode> children = {}, std::string author = "")
{
    IwfNode n;
    n.id = id;
    n.data = data;
    n.children = std::move(children);
    n.author = std::move(author);
    return n;
}

// The signature chunk every scene carries.
inline IwfNode IwfSignature()
{
    return IwfChunk(0x2000, IwfBody().Str("-ZN_SIG-").bytes, {}, "TOVRA");
}

// A memory stream reading a copy of the bytes.
inline void IwfOpenRead(CZNMemoryStreamIO &stream, const IwfBytes &bytes)
{
    static uint8_t empty = 0;
    stream.Open(bytes.empty() ? &empty : const_cast<uint8_t *>(bytes.data()), static_cast<DWORD>(bytes.size()),
                ZNSTREAM_READ, true);
}

inline IwfBytes IwfStreamBytes(CZNMemoryStreamIO &stream)
{
    return IwfBytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetLength());
}

// A mesh whose surface has the given number of faces, each with a vertex block that claims 32767
// vertices under a mask naming no vertex field: 7 bytes that describe vertices without data.
inline IwfNode IwfMeshOfFieldlessVertices(uint32_t faces)
{
    IwfBody surface;
    surface.U32(faces);
    IwfBody vertices;
    vertices.U8(1).U32(faces * 0x7FFFu).U32(faces);
    for (uint32_t i = 0; i < faces; ++i) {
        surface.U32(0);
        vertices.U8(16).U16(0x7FFF).U32(0);
    }
    const IwfNode surfaceChunk = IwfChunk(0x30, surface.bytes, {IwfChunk(0x50, vertices.bytes)});
    return IwfChunk(0x20, IwfBody().Zeros(13).bytes, {surfaceChunk});
}
