#include "platform/d3dx/x_file_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string_view>
#include <strings.h>
#include <zlib.h>

#include "platform/d3dx/d3dx_mesh.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/byte_order.h"

namespace
{

// Thrown inside the reader for a malformed file; Read turns it into its result.
struct Malformed {
};

[[noreturn]] void Fail()
{
    throw Malformed{};
}

constexpr int kMaxDepth = 256;
constexpr size_t kHeaderSize = 16;
constexpr size_t kMaxName = 255;

// ---------------------------------------------------------------------------------------------
// Standard templates

enum XType : int {
    XT_OTHER = -1,
    XT_HEADER,
    XT_FRAME,
    XT_FRAMETRANSFORMMATRIX,
    XT_MESH,
    XT_MESHFACE,
    XT_VECTOR,
    XT_MESHNORMALS,
    XT_MESHTEXTURECOORDS,
    XT_COORDS2D,
    XT_MESHMATERIALLIST,
    XT_MATERIAL,
    XT_COLORRGBA,
    XT_COLORRGB,
    XT_TEXTUREFILENAME,
};

using Guid = std::array<BYTE, 16>;

struct StandardTemplate {
    XType type;
    const char *name;
    const char *guid;
};

constexpr StandardTemplate kStandard[] = {
    {XT_HEADER, "Header", "3D82AB43-62DA-11CF-AB39-0020AF71E433"},
    {XT_FRAME, "Frame", "3D82AB46-62DA-11CF-AB39-0020AF71E433"},
    {XT_FRAMETRANSFORMMATRIX, "FrameTransformMatrix", "F6F23F41-7686-11CF-8F52-0040333594A3"},
    {XT_MESH, "Mesh", "3D82AB44-62DA-11CF-AB39-0020AF71E433"},
    {XT_MESHFACE, "MeshFace", "3D82AB5F-62DA-11CF-AB39-0020AF71E433"},
    {XT_VECTOR, "Vector", "3D82AB5E-62DA-11CF-AB39-0020AF71E433"},
    {XT_MESHNORMALS, "MeshNormals", "F6F23F43-7686-11CF-8F52-0040333594A3"},
    {XT_MESHTEXTURECOORDS, "MeshTextureCoords", "F6F23F40-7686-11CF-8F52-0040333594A3"},
    {XT_COORDS2D, "Coords2d", "F6F23F44-7686-11CF-8F52-0040333594A3"},
    {XT_MESHMATERIALLIST, "MeshMaterialList", "F6F23F42-7686-11CF-8F52-0040333594A3"},
    {XT_MATERIAL, "Material", "3D82AB4D-62DA-11CF-AB39-0020AF71E433"},
    {XT_COLORRGBA, "ColorRGBA", "35FF44E0-6C7C-11CF-8F52-0040333594A3"},
    {XT_COLORRGB, "ColorRGB", "D3E16E81-7835-11CF-8F52-0040333594A3"},
    {XT_TEXTUREFILENAME, "TextureFilename", "A42790E1-7810-11CF-8F52-0040333594A3"},
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A GUID in its text form into the byte layout of the binary form (the first three fields
// little-endian); false when the text is not a GUID.
bool ParseGuidText(std::string_view text, Guid &out)
{
    static constexpr int kGroups[] = {8, 4, 4, 4, 12};
    std::array<BYTE, 16> bytes{};
    size_t at = 0;
    int b = 0;
    for (int g = 0; g < 5; ++g) {
        if (g > 0) {
            if (at >= text.size() || text[at] != '-')
                return false;
            ++at;
        }
        for (int k = 0; k < kGroups[g]; k += 2) {
            if (at + 2 > text.size())
                return false;
            const int hi = HexDigit(text[at]), lo = HexDigit(text[at + 1]);
            if (hi < 0 || lo < 0)
                return false;
            bytes[static_cast<size_t>(b++)] = static_cast<BYTE>(hi * 16 + lo);
            at += 2;
        }
    }
    if (at != text.size())
        return false;
    // Text order is big-endian in every field; the first three fields are stored little-endian.
    out = bytes;
    std::reverse(out.begin(), out.begin() + 4);
    std::reverse(out.begin() + 4, out.begin() + 6);
    std::reverse(out.begin() + 6, out.begin() + 8);
    return true;
}

XType StandardByGuid(const Guid &guid)
{
    for (const StandardTemplate &t : kStandard) {
        Guid known;
        ParseGuidText(t.guid, known);
        if (known == guid)
            return t.type;
    }
    return XT_OTHER;
}

XType StandardByName(std::string_view name)
{
    for (const StandardTemplate &t : kStandard)
        if (name.size() == std::strlen(t.name) && strncasecmp(name.data(), t.name, name.size()) == 0)
            return t.type;
    return XT_OTHER;
}

// ---------------------------------------------------------------------------------------------
// Tokens

enum TokenKind : BYTE {
    TK_NAME,
    TK_STRING,
    TK_NUMBER,
    TK_GUID,
    TK_OBRACE,
    TK_CBRACE,
    TK_SEPARATOR,
    TK_TEMPLATE,
    TK_OTHER, // brackets, dots and type words: only inside templates
};

struct Token {
    TokenKind kind;
    bool binaryGuid; // a GUID's 16 bytes rather than its text
    double number;
    size_t offset; // names, strings and GUIDs: their bytes in the body
    size_t length;
};

class TokenList
{
public:
    explicit TokenList(std::string_view body) : m_Body(body) {}

    void Add(TokenKind kind, size_t offset = 0, size_t length = 0, double number = 0.0, bool binaryGuid = false)
    {
        m_Tokens.push_back({kind, binaryGuid, number, offset, length});
    }
    std::string_view Text(const Token &t) const { return Span(t.offset, t.length); }
    std::string_view Span(size_t offset, size_t length) const { return m_Body.substr(offset, length); }
    bool GuidOf(const Token &t, Guid &out) const
    {
        if (t.binaryGuid) {
            std::memcpy(out.data(), m_Body.data() + t.offset, 16);
            return true;
        }
        return ParseGuidText(Text(t), out);
    }

    std::vector<Token> m_Tokens;

private:
    std::string_view m_Body;
};

void LexText(std::string_view s, TokenList &out)
{
    size_t i = 0;
    const size_t n = s.size();
    auto isNameStart = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < n) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '\0') {
            ++i;
        } else if (c == '#' || (c == '/' && i + 1 < n && s[i + 1] == '/')) {
            while (i < n && s[i] != '\n')
                ++i;
        } else if (c == '{') {
            out.Add(TK_OBRACE);
            ++i;
        } else if (c == '}') {
            out.Add(TK_CBRACE);
            ++i;
        } else if (c == ';' || c == ',') {
            out.Add(TK_SEPARATOR);
            ++i;
        } else if (c == '[' || c == ']') {
            out.Add(TK_OTHER);
            ++i;
        } else if (c == '<') {
            const size_t end = s.find('>', i + 1);
            if (end == std::string_view::npos)
                Fail();
            out.Add(TK_GUID, i + 1, end - i - 1);
            i = end + 1;
        } else if (c == '"') {
            const size_t end = s.find('"', i + 1);
            if (end == std::string_view::npos)
                Fail();
            out.Add(TK_STRING, i + 1, end - i - 1);
            i = end + 1;
        } else if (isDigit(c) || ((c == '-' || c == '+' || c == '.') && i + 1 < n &&
                                  (isDigit(s[i + 1]) || (s[i + 1] == '.' && i + 2 < n && isDigit(s[i + 2]))))) {
            size_t start = i + (c == '+' ? 1 : 0);
            size_t end = i + 1;
            bool integer = c != '.';
            while (end < n && (isDigit(s[end]) || s[end] == '.' || s[end] == 'e' || s[end] == 'E' ||
                               ((s[end] == '-' || s[end] == '+') && (s[end - 1] == 'e' || s[end - 1] == 'E')))) {
                if (!isDigit(s[end]))
                    integer = false;
                ++end;
            }
            double value = 0.0;
            const auto result = std::from_chars(s.data() + start, s.data() + end, value);
            if (result.ec != std::errc() || result.ptr != s.data() + end)
                Fail();
            out.Add(TK_NUMBER, 0, integer ? 1 : 0, value);
            i = end;
        } else if (c == '.') {
            out.Add(TK_OTHER);
            ++i;
        } else if (isNameStart(c)) {
            size_t end = i + 1;
            while (end < n && (isNameStart(s[end]) || isDigit(s[end]) || s[end] == '-' || s[end] == '.'))
                ++end;
            out.Add(s.substr(i, end - i) == "template" ? TK_TEMPLATE : TK_NAME, i, end - i);
            i = end;
        } else {
            Fail();
        }
    }
}

void LexBinary(std::string_view s, bool doubles, TokenList &out)
{
    const BYTE *p = reinterpret_cast<const BYTE *>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    auto need = [&](uint64_t count) {
        if (count > n - i)
            Fail();
    };
    auto u32 = [&]() {
        need(4);
        const DWORD v = ZnGetU32LE(p + i);
        i += 4;
        return v;
    };
    while (i < n) {
        need(2);
        const WORD token = ZnGetU16LE(p + i);
        i += 2;
        switch (token) {
        case 1: { // name
            const DWORD length = u32();
            need(length);
            out.Add(TK_NAME, i, length);
            i += length;
            break;
        }
        case 2: { // string, then its terminator as a 16- or 32-bit separator token
            const DWORD length = u32();
            need(length);
            out.Add(TK_STRING, i, length);
            i += length;
            if (n - i >= 4 && (ZnGetU16LE(p + i) == 19 || ZnGetU16LE(p + i) == 20) && ZnGetU16LE(p + i + 2) == 0)
                i += 4;
            break;
        }
        case 3: // integer
            out.Add(TK_NUMBER, 0, 1, static_cast<double>(u32()));
            break;
        case 5: // GUID
            need(16);
            out.Add(TK_GUID, i, 16, 0.0, true);
            i += 16;
            break;
        case 6: { // integer list
            const DWORD count = u32();
            need(static_cast<uint64_t>(count) * 4);
            for (DWORD k = 0; k < count; ++k)
                out.Add(TK_NUMBER, 0, 1, static_cast<double>(u32()));
            break;
        }
        case 7: { // float list
            const DWORD count = u32();
            const uint64_t width = doubles ? 8 : 4;
            need(count * width);
            for (DWORD k = 0; k < count; ++k) {
                double value;
                if (doubles) {
                    std::memcpy(&value, p + i, 8);
                } else {
                    float narrow;
                    std::memcpy(&narrow, p + i, 4);
                    value = narrow;
                }
                i += width;
                out.Add(TK_NUMBER, 0, 0, value);
            }
            break;
        }
        case 10:
            out.Add(TK_OBRACE);
            break;
        case 11:
            out.Add(TK_CBRACE);
            break;
        case 19:
        case 20:
            out.Add(TK_SEPARATOR);
            break;
        case 31:
            out.Add(TK_TEMPLATE);
            break;
        default:
            if ((token >= 12 && token <= 18) || (token >= 40 && token <= 52)) {
                out.Add(TK_OTHER);
                break;
            }
            Fail();
        }
    }
}

// The body of a compressed file: a u32 total (16 + the inflated size), then blocks of {u16
// inflated size, u16 compressed size counting "CK", "CK", raw deflate}, each using the previous
// block's output as its dictionary.
std::string Inflate(const BYTE *p, size_t n)
{
    if (n < 4)
        Fail();
    const DWORD total = ZnGetU32LE(p);
    if (total < kHeaderSize)
        Fail();
    const size_t expected = total - kHeaderSize;
    std::string out;
    size_t i = 4;
    size_t previous = 0; // start of the previous block's output
    while (i < n) {
        if (n - i < 6)
            Fail();
        const WORD inflated = ZnGetU16LE(p + i);
        const WORD compressed = ZnGetU16LE(p + i + 2);
        i += 4;
        if (compressed < 2 || compressed > n - i || p[i] != 'C' || p[i + 1] != 'K')
            Fail();
        if (inflated > expected - out.size())
            Fail();
        const size_t start = out.size();
        out.resize(start + inflated);
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            throw std::bad_alloc();
        struct End {
            z_stream &z;
            ~End() { inflateEnd(&z); }
        } end{z};
        if (start > previous && inflateSetDictionary(&z, reinterpret_cast<const Bytef *>(out.data() + previous),
                                                     static_cast<uInt>(start - previous)) != Z_OK)
            Fail();
        z.next_in = const_cast<Bytef *>(p + i + 2);
        z.avail_in = compressed - 2u;
        z.next_out = reinterpret_cast<Bytef *>(out.data() + start);
        z.avail_out = inflated;
        const int result = inflate(&z, Z_FINISH);
        if (result != Z_STREAM_END || z.avail_out != 0)
            Fail();
        previous = start;
        i += compressed;
    }
    if (out.size() != expected)
        Fail();
    return out;
}

// ---------------------------------------------------------------------------------------------
// Objects

struct XValue {
    double number;
    bool isString;
    bool isInteger;
    size_t offset, length; // strings
};

struct XObject {
    XType type = XT_OTHER;
    std::vector<XValue> values;
    std::vector<XObject *> children; // nested objects and resolved references, in file order
    bool walked = false;
};

class Parser
{
public:
    Parser(const TokenList &tokens) : m_List(tokens), m_T(tokens.m_Tokens) {}

    void ParseFile()
    {
        while (m_At < m_T.size()) {
            const Token &t = m_T[m_At];
            if (t.kind == TK_TEMPLATE) {
                ParseTemplate();
            } else if (t.kind == TK_NAME) {
                if (XObject *object = ParseObject(1))
                    m_Top.push_back(object);
            } else if (t.kind == TK_OBRACE) {
                if (XObject *object = ParseReference())
                    m_Top.push_back(object);
            } else if (t.kind == TK_SEPARATOR) {
                ++m_At;
            } else {
                Fail();
            }
        }
    }

    std::vector<XObject *> m_Top;

private:
    const Token &Next()
    {
        if (m_At >= m_T.size())
            Fail();
        return m_T[m_At++];
    }
    const Token *Peek() const { return m_At < m_T.size() ? &m_T[m_At] : nullptr; }

    // Skips to the brace closing one just passed.
    void SkipBraces(int depth)
    {
        int open = 1;
        while (open) {
            const Token &t = Next();
            if (t.kind == TK_OBRACE && ++open + depth > kMaxDepth)
                Fail();
            if (t.kind == TK_CBRACE)
                --open;
        }
    }

    void ParseTemplate()
    {
        ++m_At;
        const Token &name = Next();
        if (name.kind != TK_NAME || Next().kind != TK_OBRACE)
            Fail();
        Guid guid{};
        bool hasGuid = false;
        if (Peek() && Peek()->kind == TK_GUID)
            hasGuid = m_List.GuidOf(Next(), guid);
        m_Declared[std::string(m_List.Text(name))] = hasGuid ? StandardByGuid(guid) : StandardByName(m_List.Text(name));
        SkipBraces(1);
    }

    XType TypeOf(std::string_view name) const
    {
        const auto declared = m_Declared.find(std::string(name));
        return declared != m_Declared.end() ? declared->second : StandardByName(name);
    }

    // "{ Name }", "{ <GUID> }" or "{ Name <GUID> }": the earlier object of that name, or null.
    XObject *ParseReference()
    {
        ++m_At;
        XObject *found = nullptr;
        for (;;) {
            const Token &t = Next();
            if (t.kind == TK_CBRACE)
                return found;
            if (t.kind == TK_NAME) {
                const auto named = m_Named.find(std::string(m_List.Text(t)));
                if (named != m_Named.end())
                    found = named->second;
            } else if (t.kind != TK_GUID && t.kind != TK_SEPARATOR) {
                Fail();
            }
        }
    }

    XObject *ParseObject(int depth)
    {
        if (depth > kMaxDepth)
            Fail();
        const Token &typeName = Next();
        const Token *name = nullptr;
        if (Peek() && Peek()->kind == TK_NAME)
            name = &Next();
        if (Next().kind != TK_OBRACE)
            Fail();
        if (Peek() && Peek()->kind == TK_GUID)
            ++m_At;
        const XType type = TypeOf(m_List.Text(typeName));
        if (type == XT_OTHER) {
            SkipBraces(depth);
            return nullptr;
        }
        m_Pool.push_back(std::make_unique<XObject>());
        XObject *object = m_Pool.back().get();
        object->type = type;
        for (;;) {
            if (!Peek())
                Fail();
            const Token &t = *Peek();
            switch (t.kind) {
            case TK_NUMBER:
                object->values.push_back({t.number, false, t.length != 0, 0, 0});
                ++m_At;
                break;
            case TK_STRING:
                object->values.push_back({0.0, true, false, t.offset, t.length});
                ++m_At;
                break;
            case TK_SEPARATOR:
                ++m_At;
                break;
            case TK_NAME:
                if (XObject *child = ParseObject(depth + 1))
                    object->children.push_back(child);
                break;
            case TK_OBRACE:
                if (XObject *child = ParseReference())
                    object->children.push_back(child);
                break;
            case TK_CBRACE:
                ++m_At;
                if (name)
                    m_Named[std::string(m_List.Text(*name))] = object;
                return object;
            default:
                Fail();
            }
        }
    }

    const TokenList &m_List;
    const std::vector<Token> &m_T;
    size_t m_At = 0;
    std::map<std::string, XType> m_Declared;
    std::map<std::string, XObject *> m_Named;
    std::vector<std::unique_ptr<XObject>> m_Pool;
};

// The values of one object, taken in order.
class Values
{
public:
    explicit Values(const XObject &object) : m_V(object.values) {}

    size_t Left() const { return m_V.size() - m_At; }
    // A count of items of perItem values each that must all follow.
    DWORD Count(size_t perItem)
    {
        const DWORD count = Integer();
        if (perItem && count > Left() / perItem)
            Fail();
        return count;
    }
    DWORD Integer()
    {
        const XValue &v = Take();
        if (v.isString || !(v.number >= 0.0) || v.number > 4294967295.0 || v.number != std::floor(v.number))
            Fail();
        return static_cast<DWORD>(v.number);
    }
    float Float()
    {
        const XValue &v = Take();
        if (v.isString)
            Fail();
        return static_cast<float>(v.number);
    }

private:
    const XValue &Take()
    {
        if (m_At >= m_V.size())
            Fail();
        return m_V[m_At++];
    }

    const std::vector<XValue> &m_V;
    size_t m_At = 0;
};

class Builder
{
public:
    Builder(const TokenList &tokens, CZNXFileReader &out) : m_List(tokens), m_Out(out) {}

    void Walk(const std::vector<XObject *> &top)
    {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        for (XObject *object : top)
            WalkObject(*object, identity, 1);
    }

private:
    // Each object is walked once; references can chain frames kept elsewhere, so the depth is
    // bounded here as well as in the parse.
    void WalkObject(XObject &object, const D3DXMATRIX &parent, int depth)
    {
        if (object.walked || (object.type != XT_FRAME && object.type != XT_MESH))
            return;
        if (depth > kMaxDepth)
            Fail();
        object.walked = true;
        if (object.type == XT_MESH) {
            AddMesh(object, parent);
            return;
        }
        D3DXMATRIX local;
        D3DXMatrixIdentity(&local);
        for (XObject *child : object.children) {
            if (child->type == XT_FRAMETRANSFORMMATRIX && child->values.size() >= 16) {
                Values v(*child);
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 4; ++c)
                        local.m[r][c] = v.Float();
                break;
            }
        }
        D3DXMATRIX world;
        D3DXMatrixMultiply(&world, &local, &parent);
        for (XObject *child : object.children)
            WalkObject(*child, world, depth + 1);
    }

    static XObject *FirstChild(const XObject &object, XType type)
    {
        for (XObject *child : object.children)
            if (child->type == type)
                return child;
        return nullptr;
    }

    void AddMesh(const XObject &mesh, const D3DXMATRIX &world)
    {
        Values v(mesh);
        const DWORD vertexCount = v.Count(3);
        std::vector<D3DXVECTOR3> positions(vertexCount);
        for (D3DXVECTOR3 &p : positions) {
            D3DXVECTOR3 raw;
            raw.x = v.Float();
            raw.y = v.Float();
            raw.z = v.Float();
            D3DXVec3TransformCoord(&p, &raw, &world);
        }
        const DWORD faceCount = v.Count(1);
        std::vector<std::vector<DWORD>> faces(faceCount);
        for (std::vector<DWORD> &face : faces) {
            const DWORD n = v.Count(1);
            if (n < 3)
                Fail();
            face.resize(n);
            for (DWORD &index : face) {
                index = v.Integer();
                if (index >= vertexCount)
                    Fail();
            }
        }

        // Normals: a list of directions and, for each face, the normal index of each corner.
        std::vector<D3DXVECTOR3> normals;
        std::vector<std::vector<DWORD>> normalFaces;
        if (const XObject *child = FirstChild(mesh, XT_MESHNORMALS)) {
            Values n(*child);
            normals.resize(n.Count(3));
            for (D3DXVECTOR3 &d : normals) {
                D3DXVECTOR3 raw;
                raw.x = n.Float();
                raw.y = n.Float();
                raw.z = n.Float();
                D3DXVec3TransformNormal(&d, &raw, &world);
                const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
                if (length > 0.0f && std::isfinite(length))
                    d = D3DXVECTOR3(d.x / length, d.y / length, d.z / length);
            }
            normalFaces.resize(n.Count(1));
            for (std::vector<DWORD> &face : normalFaces) {
                face.resize(n.Count(1));
                for (DWORD &index : face)
                    index = n.Integer();
            }
        }

        std::vector<float> uvs;
        if (const XObject *child = FirstChild(mesh, XT_MESHTEXTURECOORDS)) {
            Values t(*child);
            uvs.resize(2 * static_cast<size_t>(t.Count(2)));
            for (float &f : uvs)
                f = t.Float();
        }

        // Materials: this list's ids are offset by the materials already joined.
        std::vector<DWORD> faceMaterials;
        const DWORD offset = static_cast<DWORD>(m_Out.m_Materials.size());
        DWORD listed = 0;
        if (const XObject *child = FirstChild(mesh, XT_MESHMATERIALLIST)) {
            Values m(*child);
            const DWORD declared = m.Integer();
            faceMaterials.resize(m.Count(1));
            for (DWORD &id : faceMaterials)
                id = m.Integer();
            for (const XObject *material : child->children) {
                if (material->type != XT_MATERIAL || listed >= declared)
                    continue;
                AddMaterial(*material);
                ++listed;
            }
        }

        for (DWORD f = 0; f < faceCount; ++f) {
            DWORD attribute = ZNX_NO_MATERIAL;
            if (!faceMaterials.empty()) {
                const DWORD id = faceMaterials[std::min<size_t>(f, faceMaterials.size() - 1)];
                if (id < listed)
                    attribute = offset + id;
            }
            const std::vector<DWORD> &face = faces[f];
            const std::vector<DWORD> *normalFace =
                f < normalFaces.size() && normalFaces[f].size() == face.size() ? &normalFaces[f] : nullptr;
            auto corner = [&](size_t c) {
                ZNXCORNER out{};
                const DWORD index = face[c];
                out.x = positions[index].x;
                out.y = positions[index].y;
                out.z = positions[index].z;
                if (normalFace && (*normalFace)[c] < normals.size()) {
                    const D3DXVECTOR3 &d = normals[(*normalFace)[c]];
                    out.nx = d.x;
                    out.ny = d.y;
                    out.nz = d.z;
                }
                if (2 * static_cast<size_t>(index) + 1 < uvs.size()) {
                    out.tu = uvs[2 * static_cast<size_t>(index)];
                    out.tv = uvs[2 * static_cast<size_t>(index) + 1];
                }
                return out;
            };
            for (size_t k = 1; k + 1 < face.size(); ++k) {
                m_Out.m_Corners.push_back(corner(0));
                m_Out.m_Corners.push_back(corner(k));
                m_Out.m_Corners.push_back(corner(k + 1));
                m_Out.m_Attributes.push_back(attribute);
            }
        }
    }

    void AddMaterial(const XObject &object)
    {
        Values v(object);
        ZNXMATERIAL m;
        D3DMATERIAL9 &d = m.Material;
        d.Diffuse = {v.Float(), v.Float(), v.Float(), v.Float()};
        d.Power = v.Float();
        d.Specular = {v.Float(), v.Float(), v.Float(), 1.0f};
        d.Emissive = {v.Float(), v.Float(), v.Float(), 1.0f};
        d.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
        if (const XObject *texture = FirstChild(object, XT_TEXTUREFILENAME)) {
            for (const XValue &value : texture->values) {
                if (!value.isString)
                    continue;
                std::string_view name = m_List.Span(value.offset, value.length);
                name = name.substr(0, std::min(name.find('\0'), kMaxName));
                m.HasTexture = true;
                m.TextureFile.assign(name);
                break;
            }
        }
        m_Out.m_Materials.push_back(std::move(m));
    }

    const TokenList &m_List;
    CZNXFileReader &m_Out;
};

} // namespace

HRESULT CZNXFileReader::Read(const BYTE *data, size_t size)
{
    m_Corners.clear();
    m_Attributes.clear();
    m_Materials.clear();
    try {
        if (!data || size < kHeaderSize)
            Fail();
        const std::string_view header(reinterpret_cast<const char *>(data), kHeaderSize);
        const std::string_view version = header.substr(4, 4), format = header.substr(8, 4),
                               floats = header.substr(12, 4);
        if (header.substr(0, 4) != "xof " || (version != "0302" && version != "0303") ||
            (floats != "0032" && floats != "0064"))
            Fail();
        const bool doubles = floats == "0064";
        const bool text = format == "txt " || format == "tzip";
        const bool compressed = format == "tzip" || format == "bzip";
        if (!text && format != "bin " && format != "bzip")
            Fail();

        std::string inflated;
        std::string_view body(reinterpret_cast<const char *>(data) + kHeaderSize, size - kHeaderSize);
        if (compressed) {
            inflated = Inflate(data + kHeaderSize, size - kHeaderSize);
            body = inflated;
        }
        TokenList tokens(body);
        if (text)
            LexText(body, tokens);
        else
            LexBinary(body, doubles, tokens);
        Parser parser(tokens);
        parser.ParseFile();
        Builder builder(tokens, *this);
        builder.Walk(parser.m_Top);
        if (m_Attributes.empty())
            Fail();
        return D3D_OK;
    } catch (const Malformed &) {
        m_Corners.clear();
        m_Attributes.clear();
        m_Materials.clear();
        return D3DERR_INVALIDCALL;
    } catch (const std::bad_alloc &) {
        m_Corners.clear();
        m_Attributes.clear();
        m_Materials.clear();
        return E_OUTOFMEMORY;
    } catch (const std::length_error &) {
        m_Corners.clear();
        m_Attributes.clear();
        m_Materials.clear();
        return E_OUTOFMEMORY;
    }
}

HRESULT D3DXLoadMeshFromXInMemory(const void *data, DWORD size, DWORD options, void *, ID3DXBuffer **adjacency,
                                  ID3DXBuffer **materials, ID3DXBuffer **effectInstances, DWORD *numMaterials,
                                  ID3DXMesh **mesh)
{
    for (ID3DXBuffer **out : {adjacency, materials, effectInstances})
        if (out)
            *out = nullptr;
    if (numMaterials)
        *numMaterials = 0;
    if (!mesh)
        return D3DERR_INVALIDCALL;
    *mesh = nullptr;

    CZNXFileReader reader;
    HRESULT hr = reader.Read(static_cast<const BYTE *>(data), size);
    if (FAILED(hr))
        return hr;
    const size_t triangles = reader.m_Attributes.size();
    if (triangles > 0xFFFFFFFFu / 3)
        return E_OUTOFMEMORY;
    ID3DXMesh *made = nullptr;
    hr = D3DXCreateMeshFVF(static_cast<DWORD>(triangles), static_cast<DWORD>(3 * triangles), options,
                           D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, nullptr, &made);
    if (FAILED(hr))
        return hr;
    std::unique_ptr<ID3DXMesh, void (*)(ID3DXMesh *)> owned(made, [](ID3DXMesh *m) { m->Release(); });
    void *vertices = nullptr;
    DWORD *attributes = nullptr;
    made->LockVertexBuffer(0, &vertices);
    std::memcpy(vertices, reader.m_Corners.data(), reader.m_Corners.size() * sizeof(ZNXCORNER));
    made->UnlockVertexBuffer();
    for (DWORD i = 0; i < 3 * triangles; ++i)
        made->SetIndex(i, i);
    made->LockAttributeBuffer(0, &attributes);
    std::copy(reader.m_Attributes.begin(), reader.m_Attributes.end(), attributes);
    made->UnlockAttributeBuffer();

    ID3DXBuffer *materialBlock = nullptr;
    if (materials && !reader.m_Materials.empty()) {
        size_t bytes = reader.m_Materials.size() * sizeof(D3DXMATERIAL);
        for (const ZNXMATERIAL &m : reader.m_Materials)
            bytes += m.TextureFile.size() + 1;
        materialBlock = ID3DXBuffer::Create(bytes);
        if (!materialBlock)
            return E_OUTOFMEMORY;
        auto *records = static_cast<D3DXMATERIAL *>(materialBlock->GetBufferPointer());
        char *names = reinterpret_cast<char *>(records + reader.m_Materials.size());
        for (size_t i = 0; i < reader.m_Materials.size(); ++i) {
            const ZNXMATERIAL &m = reader.m_Materials[i];
            records[i].MatD3D = m.Material;
            records[i].pTextureFilename = nullptr;
            if (m.HasTexture) {
                std::memcpy(names, m.TextureFile.c_str(), m.TextureFile.size() + 1);
                records[i].pTextureFilename = names;
                names += m.TextureFile.size() + 1;
            }
        }
    }
    if (adjacency) {
        *adjacency = ID3DXBuffer::Create(3 * triangles * sizeof(DWORD));
        if (!*adjacency) {
            if (materialBlock)
                materialBlock->Release();
            return E_OUTOFMEMORY;
        }
        std::memset((*adjacency)->GetBufferPointer(), 0xFF, 3 * triangles * sizeof(DWORD));
    }
    if (materials)
        *materials = materialBlock;
    if (numMaterials)
        *numMaterials = static_cast<DWORD>(reader.m_Materials.size());
    *mesh = owned.release();
    return D3D_OK;
}
