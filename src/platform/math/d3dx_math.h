#pragma once

// Vector, matrix and quaternion values with the conventions the editor's data is written in:
// row vectors transformed as v * M, left-handed coordinates, angles in radians, matrices laid
// out row by row (_11 _12 _13 _14, _21 ...), so that files store them exactly as they are here.
#include <cstring>

#include "platform/export.h"

constexpr float D3DX_PI = 3.141592654f;
constexpr float D3DXToRadian(float degrees)
{
    return degrees * (D3DX_PI / 180.0f);
}
constexpr float D3DXToDegree(float radians)
{
    return radians * (180.0f / D3DX_PI);
}

struct ZN_API D3DXVECTOR2 {
    float x, y;

    D3DXVECTOR2() = default;
    constexpr D3DXVECTOR2(float fx, float fy) : x(fx), y(fy) {}

    operator float *() { return &x; }
    operator const float *() const { return &x; }

    D3DXVECTOR2 &operator+=(const D3DXVECTOR2 &v)
    {
        x += v.x;
        y += v.y;
        return *this;
    }
    D3DXVECTOR2 &operator-=(const D3DXVECTOR2 &v)
    {
        x -= v.x;
        y -= v.y;
        return *this;
    }
    D3DXVECTOR2 &operator*=(float f)
    {
        x *= f;
        y *= f;
        return *this;
    }
    D3DXVECTOR2 &operator/=(float f)
    {
        float inv = 1.0f / f;
        x *= inv;
        y *= inv;
        return *this;
    }
    D3DXVECTOR2 operator+() const { return *this; }
    D3DXVECTOR2 operator-() const { return {-x, -y}; }
    D3DXVECTOR2 operator+(const D3DXVECTOR2 &v) const { return {x + v.x, y + v.y}; }
    D3DXVECTOR2 operator-(const D3DXVECTOR2 &v) const { return {x - v.x, y - v.y}; }
    D3DXVECTOR2 operator*(float f) const { return {x * f, y * f}; }
    D3DXVECTOR2 operator/(float f) const
    {
        float inv = 1.0f / f;
        return {x * inv, y * inv};
    }
    bool operator==(const D3DXVECTOR2 &v) const { return x == v.x && y == v.y; }
    bool operator!=(const D3DXVECTOR2 &v) const { return !(*this == v); }
};
inline D3DXVECTOR2 operator*(float f, const D3DXVECTOR2 &v)
{
    return v * f;
}

struct ZN_API D3DXVECTOR3 {
    float x, y, z;

    D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float fx, float fy, float fz) : x(fx), y(fy), z(fz) {}

    operator float *() { return &x; }
    operator const float *() const { return &x; }

    D3DXVECTOR3 &operator+=(const D3DXVECTOR3 &v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    D3DXVECTOR3 &operator-=(const D3DXVECTOR3 &v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    D3DXVECTOR3 &operator*=(float f)
    {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }
    D3DXVECTOR3 &operator/=(float f)
    {
        float inv = 1.0f / f;
        x *= inv;
        y *= inv;
        z *= inv;
        return *this;
    }
    D3DXVECTOR3 operator+() const { return *this; }
    D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
    D3DXVECTOR3 operator+(const D3DXVECTOR3 &v) const { return {x + v.x, y + v.y, z + v.z}; }
    D3DXVECTOR3 operator-(const D3DXVECTOR3 &v) const { return {x - v.x, y - v.y, z - v.z}; }
    D3DXVECTOR3 operator*(float f) const { return {x * f, y * f, z * f}; }
    D3DXVECTOR3 operator/(float f) const
    {
        float inv = 1.0f / f;
        return {x * inv, y * inv, z * inv};
    }
    bool operator==(const D3DXVECTOR3 &v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const D3DXVECTOR3 &v) const { return !(*this == v); }
};
inline D3DXVECTOR3 operator*(float f, const D3DXVECTOR3 &v)
{
    return v * f;
}

struct ZN_API D3DXVECTOR4 {
    float x, y, z, w;

    D3DXVECTOR4() = default;
    constexpr D3DXVECTOR4(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}

    operator float *() { return &x; }
    operator const float *() const { return &x; }

    D3DXVECTOR4 &operator+=(const D3DXVECTOR4 &v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        w += v.w;
        return *this;
    }
    D3DXVECTOR4 &operator-=(const D3DXVECTOR4 &v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        w -= v.w;
        return *this;
    }
    D3DXVECTOR4 &operator*=(float f)
    {
        x *= f;
        y *= f;
        z *= f;
        w *= f;
        return *this;
    }
    D3DXVECTOR4 operator-() const { return {-x, -y, -z, -w}; }
    D3DXVECTOR4 operator+(const D3DXVECTOR4 &v) const { return {x + v.x, y + v.y, z + v.z, w + v.w}; }
    D3DXVECTOR4 operator-(const D3DXVECTOR4 &v) const { return {x - v.x, y - v.y, z - v.z, w - v.w}; }
    D3DXVECTOR4 operator*(float f) const { return {x * f, y * f, z * f, w * f}; }
    bool operator==(const D3DXVECTOR4 &v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const D3DXVECTOR4 &v) const { return !(*this == v); }
};

struct ZN_API D3DXQUATERNION {
    float x, y, z, w;

    D3DXQUATERNION() = default;
    constexpr D3DXQUATERNION(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}

    bool operator==(const D3DXQUATERNION &q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
    bool operator!=(const D3DXQUATERNION &q) const { return !(*this == q); }
    // Product as D3DX defines it: the rotation of *this followed by the rotation of q.
    D3DXQUATERNION operator*(const D3DXQUATERNION &q) const;
};

struct ZN_API D3DXPLANE {
    float a, b, c, d;

    D3DXPLANE() = default;
    constexpr D3DXPLANE(float fa, float fb, float fc, float fd) : a(fa), b(fb), c(fc), d(fd) {}
    bool operator==(const D3DXPLANE &p) const { return a == p.a && b == p.b && c == p.c && d == p.d; }
};

struct ZN_API D3DXMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };

    D3DXMATRIX() = default;
    constexpr D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
                         float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44)
        : _11(f11), _12(f12), _13(f13), _14(f14), _21(f21), _22(f22), _23(f23), _24(f24), _31(f31), _32(f32), _33(f33),
          _34(f34), _41(f41), _42(f42), _43(f43), _44(f44)
    {
    }

    float &operator()(unsigned row, unsigned col) { return m[row][col]; }
    float operator()(unsigned row, unsigned col) const { return m[row][col]; }
    operator float *() { return &_11; }
    operator const float *() const { return &_11; }

    D3DXMATRIX operator*(const D3DXMATRIX &other) const;
    D3DXMATRIX &operator*=(const D3DXMATRIX &other);
    D3DXMATRIX operator+(const D3DXMATRIX &other) const;
    D3DXMATRIX operator-(const D3DXMATRIX &other) const;
    D3DXMATRIX operator*(float f) const;
    bool operator==(const D3DXMATRIX &other) const { return std::memcmp(m, other.m, sizeof(m)) == 0; }
    bool operator!=(const D3DXMATRIX &other) const { return !(*this == other); }
};

static_assert(sizeof(D3DXVECTOR2) == 8);
static_assert(sizeof(D3DXVECTOR3) == 12);
static_assert(sizeof(D3DXVECTOR4) == 16);
static_assert(sizeof(D3DXQUATERNION) == 16);
static_assert(sizeof(D3DXMATRIX) == 64);

// Vectors. Each returns its output pointer, as the callers chain them.
ZN_API float D3DXVec2Length(const D3DXVECTOR2 *v);
ZN_API float D3DXVec2Dot(const D3DXVECTOR2 *a, const D3DXVECTOR2 *b);
ZN_API D3DXVECTOR2 *D3DXVec2Normalize(D3DXVECTOR2 *out, const D3DXVECTOR2 *v);
ZN_API D3DXVECTOR2 *D3DXVec2TransformCoord(D3DXVECTOR2 *out, const D3DXVECTOR2 *v, const D3DXMATRIX *m);

ZN_API float D3DXVec3Length(const D3DXVECTOR3 *v);
ZN_API float D3DXVec3LengthSq(const D3DXVECTOR3 *v);
ZN_API float D3DXVec3Dot(const D3DXVECTOR3 *a, const D3DXVECTOR3 *b);
ZN_API D3DXVECTOR3 *D3DXVec3Cross(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b);
ZN_API D3DXVECTOR3 *D3DXVec3Add(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b);
ZN_API D3DXVECTOR3 *D3DXVec3Subtract(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b);
ZN_API D3DXVECTOR3 *D3DXVec3Scale(D3DXVECTOR3 *out, const D3DXVECTOR3 *v, float s);
ZN_API D3DXVECTOR3 *D3DXVec3Lerp(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b, float t);
ZN_API D3DXVECTOR3 *D3DXVec3Minimize(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b);
ZN_API D3DXVECTOR3 *D3DXVec3Maximize(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b);
// A zero vector normalises to zero.
ZN_API D3DXVECTOR3 *D3DXVec3Normalize(D3DXVECTOR3 *out, const D3DXVECTOR3 *v);
// (x, y, z, 1) * M, divided by the resulting w.
ZN_API D3DXVECTOR3 *D3DXVec3TransformCoord(D3DXVECTOR3 *out, const D3DXVECTOR3 *v, const D3DXMATRIX *m);
// (x, y, z, 0) * M: directions, no translation.
ZN_API D3DXVECTOR3 *D3DXVec3TransformNormal(D3DXVECTOR3 *out, const D3DXVECTOR3 *v, const D3DXMATRIX *m);
ZN_API D3DXVECTOR4 *D3DXVec3Transform(D3DXVECTOR4 *out, const D3DXVECTOR3 *v, const D3DXMATRIX *m);
ZN_API D3DXVECTOR4 *D3DXVec4Transform(D3DXVECTOR4 *out, const D3DXVECTOR4 *v, const D3DXMATRIX *m);
ZN_API float D3DXVec4Dot(const D3DXVECTOR4 *a, const D3DXVECTOR4 *b);
ZN_API D3DXVECTOR4 *D3DXVec4Normalize(D3DXVECTOR4 *out, const D3DXVECTOR4 *v);

// Planes: a*x + b*y + c*z + d.
ZN_API D3DXPLANE *D3DXPlaneFromPointNormal(D3DXPLANE *out, const D3DXVECTOR3 *point, const D3DXVECTOR3 *normal);
ZN_API float D3DXPlaneDotCoord(const D3DXPLANE *p, const D3DXVECTOR3 *v);
ZN_API float D3DXPlaneDotNormal(const D3DXPLANE *p, const D3DXVECTOR3 *v);
ZN_API D3DXPLANE *D3DXPlaneNormalize(D3DXPLANE *out, const D3DXPLANE *p);

// Matrices.
ZN_API D3DXMATRIX *D3DXMatrixIdentity(D3DXMATRIX *out);
ZN_API bool D3DXMatrixIsIdentity(const D3DXMATRIX *m);
ZN_API D3DXMATRIX *D3DXMatrixMultiply(D3DXMATRIX *out, const D3DXMATRIX *a, const D3DXMATRIX *b);
ZN_API D3DXMATRIX *D3DXMatrixTranspose(D3DXMATRIX *out, const D3DXMATRIX *m);
ZN_API float D3DXMatrixDeterminant(const D3DXMATRIX *m);
// Null (and out untouched) when the matrix has no inverse; determinant may be null.
ZN_API D3DXMATRIX *D3DXMatrixInverse(D3DXMATRIX *out, float *determinant, const D3DXMATRIX *m);
ZN_API D3DXMATRIX *D3DXMatrixTranslation(D3DXMATRIX *out, float x, float y, float z);
ZN_API D3DXMATRIX *D3DXMatrixScaling(D3DXMATRIX *out, float sx, float sy, float sz);
ZN_API D3DXMATRIX *D3DXMatrixRotationX(D3DXMATRIX *out, float angle);
ZN_API D3DXMATRIX *D3DXMatrixRotationY(D3DXMATRIX *out, float angle);
ZN_API D3DXMATRIX *D3DXMatrixRotationZ(D3DXMATRIX *out, float angle);
// The axis need not be unit length.
ZN_API D3DXMATRIX *D3DXMatrixRotationAxis(D3DXMATRIX *out, const D3DXVECTOR3 *axis, float angle);
// Roll about z, then pitch about x, then yaw about y.
ZN_API D3DXMATRIX *D3DXMatrixRotationYawPitchRoll(D3DXMATRIX *out, float yaw, float pitch, float roll);
ZN_API D3DXMATRIX *D3DXMatrixRotationQuaternion(D3DXMATRIX *out, const D3DXQUATERNION *q);
ZN_API D3DXMATRIX *D3DXMatrixPerspectiveFovLH(D3DXMATRIX *out, float fovy, float aspect, float zn, float zf);
ZN_API D3DXMATRIX *D3DXMatrixPerspectiveLH(D3DXMATRIX *out, float w, float h, float zn, float zf);
ZN_API D3DXMATRIX *D3DXMatrixOrthoLH(D3DXMATRIX *out, float w, float h, float zn, float zf);
ZN_API D3DXMATRIX *D3DXMatrixOrthoOffCenterLH(D3DXMATRIX *out, float l, float r, float b, float t, float zn, float zf);
ZN_API D3DXMATRIX *D3DXMatrixLookAtLH(D3DXMATRIX *out, const D3DXVECTOR3 *eye, const D3DXVECTOR3 *at,
                                      const D3DXVECTOR3 *up);

// Quaternions.
ZN_API D3DXQUATERNION *D3DXQuaternionIdentity(D3DXQUATERNION *out);
ZN_API D3DXQUATERNION *D3DXQuaternionMultiply(D3DXQUATERNION *out, const D3DXQUATERNION *a, const D3DXQUATERNION *b);
ZN_API D3DXQUATERNION *D3DXQuaternionNormalize(D3DXQUATERNION *out, const D3DXQUATERNION *q);
ZN_API D3DXQUATERNION *D3DXQuaternionRotationAxis(D3DXQUATERNION *out, const D3DXVECTOR3 *axis, float angle);
ZN_API D3DXQUATERNION *D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION *out, float yaw, float pitch, float roll);
ZN_API D3DXQUATERNION *D3DXQuaternionRotationMatrix(D3DXQUATERNION *out, const D3DXMATRIX *m);

// Value forms of the vector functions, for expressions.
inline D3DXVECTOR3 ZnCross(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    D3DXVECTOR3 out;
    return *D3DXVec3Cross(&out, &a, &b);
}
inline float ZnDot(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    return D3DXVec3Dot(&a, &b);
}
inline float ZnLength(const D3DXVECTOR3 &v)
{
    return D3DXVec3Length(&v);
}
// A zero vector stays zero.
inline D3DXVECTOR3 ZnNormalized(const D3DXVECTOR3 &v)
{
    D3DXVECTOR3 out;
    return *D3DXVec3Normalize(&out, &v);
}
