#include "platform/math/d3dx_math.h"

#include <cmath>

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION &q) const
{
    D3DXQUATERNION out;
    D3DXQuaternionMultiply(&out, this, &q);
    return out;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX &other) const
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, this, &other);
    return out;
}

D3DXMATRIX &D3DXMATRIX::operator*=(const D3DXMATRIX &other)
{
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, this, &other);
    *this = out;
    return *this;
}

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX &other) const
{
    D3DXMATRIX out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m[r][c] + other.m[r][c];
    return out;
}

D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX &other) const
{
    D3DXMATRIX out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m[r][c] - other.m[r][c];
    return out;
}

D3DXMATRIX D3DXMATRIX::operator*(float f) const
{
    D3DXMATRIX out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m[r][c] * f;
    return out;
}

float D3DXVec2Length(const D3DXVECTOR2 *v)
{
    return std::sqrt(v->x * v->x + v->y * v->y);
}

float D3DXVec2Dot(const D3DXVECTOR2 *a, const D3DXVECTOR2 *b)
{
    return a->x * b->x + a->y * b->y;
}

D3DXVECTOR2 *D3DXVec2Normalize(D3DXVECTOR2 *out, const D3DXVECTOR2 *v)
{
    float len = D3DXVec2Length(v);
    if (len == 0.0f) {
        *out = D3DXVECTOR2(0.0f, 0.0f);
    } else {
        *out = D3DXVECTOR2(v->x / len, v->y / len);
    }
    return out;
}

D3DXVECTOR2 *D3DXVec2TransformCoord(D3DXVECTOR2 *out, const D3DXVECTOR2 *v, const D3DXMATRIX *m)
{
    float x = v->x * m->_11 + v->y * m->_21 + m->_41;
    float y = v->x * m->_12 + v->y * m->_22 + m->_42;
    float w = v->x * m->_14 + v->y * m->_24 + m->_44;
    float inv = (w != 0.0f) ? 1.0f / w : 0.0f;
    *out = D3DXVECTOR2(x * inv, y * inv);
    return out;
}

float D3DXVec3Length(const D3DXVECTOR3 *v)
{
    return std::sqrt(D3DXVec3LengthSq(v));
}

float D3DXVec3LengthSq(const D3DXVECTOR3 *v)
{
    return v->x * v->x + v->y * v->y + v->z * v->z;
}

float D3DXVec3Dot(const D3DXVECTOR3 *a, const D3DXVECTOR3 *b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3 *D3DXVec3Cross(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b)
{
    D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3 *D3DXVec3Add(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b)
{
    *out = *a + *b;
    return out;
}

D3DXVECTOR3 *D3DXVec3Subtract(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b)
{
    *out = *a - *b;
    return out;
}

D3DXVECTOR3 *D3DXVec3Scale(D3DXVECTOR3 *out, const D3DXVECTOR3 *v, float s)
{
    *out = *v * s;
    return out;
}

D3DXVECTOR3 *D3DXVec3Lerp(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b, float t)
{
    *out = D3DXVECTOR3(a->x + t * (b->x - a->x), a->y + t * (b->y - a->y), a->z + t * (b->z - a->z));
    return out;
}

D3DXVECTOR3 *D3DXVec3Minimize(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b)
{
    *out = D3DXVECTOR3(std::fmin(a->x, b->x), std::fmin(a->y, b->y), std::fmin(a->z, b->z));
    return out;
}

D3DXVECTOR3 *D3DXVec3Maximize(D3DXVECTOR3 *out, const D3DXVECTOR3 *a, const D3DXVECTOR3 *b)
{
    *out = D3DXVECTOR3(std::fmax(a->x, b->x), std::fmax(a->y, b->y), std::fmax(a->z, b->z));
    return out;
}

D3DXVECTOR3 *D3DXVec3Normalize(D3DXVECTOR3 *out, const D3DXVECTOR3 *v)
{
    float len = D3DXVec3Length(v);
    if (len == 0.0f) {
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    } else {
        *out = D3DXVECTOR3(v->x / len, v->y / len, v->z / len);
    }
    return out;
}

D3DXVECTOR3 *D3DXVec3TransformCoord(D3DXVECTOR3 *out, const D3DXVECTOR3 *v, const D3DXMATRIX *m)
{
    float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41;
    float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42;
    float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43;
    float w = v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44;
    if (w == 1.0f) {
        *out = D3DXVECTOR3(x, y, z);
    } else {
        float inv = (w != 0.0f) ? 1.0f / w : 0.0f;
        *out = D3DXVECTOR3(x * inv, y * inv, z * inv);
    }
    return out;
}

D3DXVECTOR3 *D3DXVec3TransformNormal(D3DXVECTOR3 *out, const D3DXVECTOR3 *v, const D3DXMATRIX *m)
{
    D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                  v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
    *out = r;
    return out;
}

D3DXVECTOR4 *D3DXVec3Transform(D3DXVECTOR4 *out, const D3DXVECTOR3 *v, const D3DXMATRIX *m)
{
    D3DXVECTOR4 in(v->x, v->y, v->z, 1.0f);
    return D3DXVec4Transform(out, &in, m);
}

D3DXVECTOR4 *D3DXVec4Transform(D3DXVECTOR4 *out, const D3DXVECTOR4 *v, const D3DXMATRIX *m)
{
    D3DXVECTOR4 r;
    for (int c = 0; c < 4; ++c)
        (&r.x)[c] = v->x * m->m[0][c] + v->y * m->m[1][c] + v->z * m->m[2][c] + v->w * m->m[3][c];
    *out = r;
    return out;
}

float D3DXVec4Dot(const D3DXVECTOR4 *a, const D3DXVECTOR4 *b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

D3DXVECTOR4 *D3DXVec4Normalize(D3DXVECTOR4 *out, const D3DXVECTOR4 *v)
{
    float len = std::sqrt(D3DXVec4Dot(v, v));
    if (len == 0.0f)
        *out = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    else
        *out = D3DXVECTOR4(v->x / len, v->y / len, v->z / len, v->w / len);
    return out;
}

D3DXPLANE *D3DXPlaneFromPointNormal(D3DXPLANE *out, const D3DXVECTOR3 *point, const D3DXVECTOR3 *normal)
{
    *out = D3DXPLANE(normal->x, normal->y, normal->z, -D3DXVec3Dot(point, normal));
    return out;
}

float D3DXPlaneDotCoord(const D3DXPLANE *p, const D3DXVECTOR3 *v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z + p->d;
}

float D3DXPlaneDotNormal(const D3DXPLANE *p, const D3DXVECTOR3 *v)
{
    return p->a * v->x + p->b * v->y + p->c * v->z;
}

D3DXPLANE *D3DXPlaneNormalize(D3DXPLANE *out, const D3DXPLANE *p)
{
    float len = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (len == 0.0f)
        *out = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    else
        *out = D3DXPLANE(p->a / len, p->b / len, p->c / len, p->d / len);
    return out;
}

D3DXMATRIX *D3DXMatrixIdentity(D3DXMATRIX *out)
{
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX *m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m->m[r][c] != (r == c ? 1.0f : 0.0f))
                return false;
    return true;
}

D3DXMATRIX *D3DXMatrixMultiply(D3DXMATRIX *out, const D3DXMATRIX *a, const D3DXMATRIX *b)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] =
                a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] + a->m[i][3] * b->m[3][j];
    *out = r;
    return out;
}

D3DXMATRIX *D3DXMatrixTranspose(D3DXMATRIX *out, const D3DXMATRIX *m)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

namespace
{

// Cofactor expansion in double precision; the inverse is the adjugate over the determinant.
void Adjugate(const D3DXMATRIX &m, double adj[4][4], double &det)
{
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = (&m._11)[i];
    double inv[16];
    inv[0] = a[5] * a[10] * a[15] - a[5] * a[11] * a[14] - a[9] * a[6] * a[15] + a[9] * a[7] * a[14] +
             a[13] * a[6] * a[11] - a[13] * a[7] * a[10];
    inv[4] = -a[4] * a[10] * a[15] + a[4] * a[11] * a[14] + a[8] * a[6] * a[15] - a[8] * a[7] * a[14] -
             a[12] * a[6] * a[11] + a[12] * a[7] * a[10];
    inv[8] = a[4] * a[9] * a[15] - a[4] * a[11] * a[13] - a[8] * a[5] * a[15] + a[8] * a[7] * a[13] +
             a[12] * a[5] * a[11] - a[12] * a[7] * a[9];
    inv[12] = -a[4] * a[9] * a[14] + a[4] * a[10] * a[13] + a[8] * a[5] * a[14] - a[8] * a[6] * a[13] -
              a[12] * a[5] * a[10] + a[12] * a[6] * a[9];
    inv[1] = -a[1] * a[10] * a[15] + a[1] * a[11] * a[14] + a[9] * a[2] * a[15] - a[9] * a[3] * a[14] -
             a[13] * a[2] * a[11] + a[13] * a[3] * a[10];
    inv[5] = a[0] * a[10] * a[15] - a[0] * a[11] * a[14] - a[8] * a[2] * a[15] + a[8] * a[3] * a[14] +
             a[12] * a[2] * a[11] - a[12] * a[3] * a[10];
    inv[9] = -a[0] * a[9] * a[15] + a[0] * a[11] * a[13] + a[8] * a[1] * a[15] - a[8] * a[3] * a[13] -
             a[12] * a[1] * a[11] + a[12] * a[3] * a[9];
    inv[13] = a[0] * a[9] * a[14] - a[0] * a[10] * a[13] - a[8] * a[1] * a[14] + a[8] * a[2] * a[13] +
              a[12] * a[1] * a[10] - a[12] * a[2] * a[9];
    inv[2] = a[1] * a[6] * a[15] - a[1] * a[7] * a[14] - a[5] * a[2] * a[15] + a[5] * a[3] * a[14] +
             a[13] * a[2] * a[7] - a[13] * a[3] * a[6];
    inv[6] = -a[0] * a[6] * a[15] + a[0] * a[7] * a[14] + a[4] * a[2] * a[15] - a[4] * a[3] * a[14] -
             a[12] * a[2] * a[7] + a[12] * a[3] * a[6];
    inv[10] = a[0] * a[5] * a[15] - a[0] * a[7] * a[13] - a[4] * a[1] * a[15] + a[4] * a[3] * a[13] +
              a[12] * a[1] * a[7] - a[12] * a[3] * a[5];
    inv[14] = -a[0] * a[5] * a[14] + a[0] * a[6] * a[13] + a[4] * a[1] * a[14] - a[4] * a[2] * a[13] -
              a[12] * a[1] * a[6] + a[12] * a[2] * a[5];
    inv[3] = -a[1] * a[6] * a[11] + a[1] * a[7] * a[10] + a[5] * a[2] * a[11] - a[5] * a[3] * a[10] -
             a[9] * a[2] * a[7] + a[9] * a[3] * a[6];
    inv[7] = a[0] * a[6] * a[11] - a[0] * a[7] * a[10] - a[4] * a[2] * a[11] + a[4] * a[3] * a[10] +
             a[8] * a[2] * a[7] - a[8] * a[3] * a[6];
    inv[11] = -a[0] * a[5] * a[11] + a[0] * a[7] * a[9] + a[4] * a[1] * a[11] - a[4] * a[3] * a[9] -
              a[8] * a[1] * a[7] + a[8] * a[3] * a[5];
    inv[15] = a[0] * a[5] * a[10] - a[0] * a[6] * a[9] - a[4] * a[1] * a[10] + a[4] * a[2] * a[9] + a[8] * a[1] * a[6] -
              a[8] * a[2] * a[5];
    det = a[0] * inv[0] + a[1] * inv[4] + a[2] * inv[8] + a[3] * inv[12];
    for (int i = 0; i < 16; ++i)
        adj[i / 4][i % 4] = inv[i];
}

} // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX *m)
{
    double adj[4][4];
    double det;
    Adjugate(*m, adj, det);
    return static_cast<float>(det);
}

D3DXMATRIX *D3DXMatrixInverse(D3DXMATRIX *out, float *determinant, const D3DXMATRIX *m)
{
    double adj[4][4];
    double det;
    Adjugate(*m, adj, det);
    if (determinant)
        *determinant = static_cast<float>(det);
    if (det == 0.0 || !std::isfinite(det))
        return nullptr;
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = static_cast<float>(adj[i][j] / det);
    *out = r;
    return out;
}

D3DXMATRIX *D3DXMatrixTranslation(D3DXMATRIX *out, float x, float y, float z)
{
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixScaling(D3DXMATRIX *out, float sx, float sy, float sz)
{
    *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixRotationX(D3DXMATRIX *out, float angle)
{
    float s = std::sin(angle), c = std::cos(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixRotationY(D3DXMATRIX *out, float angle)
{
    float s = std::sin(angle), c = std::cos(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixRotationZ(D3DXMATRIX *out, float angle)
{
    float s = std::sin(angle), c = std::cos(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixRotationAxis(D3DXMATRIX *out, const D3DXVECTOR3 *axis, float angle)
{
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    float s = std::sin(angle), c = std::cos(angle), t = 1.0f - c;
    *out = D3DXMATRIX(t * v.x * v.x + c, t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0, t * v.x * v.y - s * v.z,
                      t * v.y * v.y + c, t * v.y * v.z + s * v.x, 0, t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x,
                      t * v.z * v.z + c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixRotationYawPitchRoll(D3DXMATRIX *out, float yaw, float pitch, float roll)
{
    D3DXMATRIX rz, rx, ry;
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    *out = rz * rx * ry;
    return out;
}

D3DXMATRIX *D3DXMatrixRotationQuaternion(D3DXMATRIX *out, const D3DXQUATERNION *q)
{
    float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0, 2 * (x * y - z * w),
                      1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0, 2 * (x * z + y * w), 2 * (y * z - x * w),
                      1 - 2 * (x * x + y * y), 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX *D3DXMatrixPerspectiveFovLH(D3DXMATRIX *out, float fovy, float aspect, float zn, float zf)
{
    float yscale = 1.0f / std::tan(fovy / 2.0f);
    float xscale = yscale / aspect;
    float q = zf / (zf - zn);
    *out = D3DXMATRIX(xscale, 0, 0, 0, 0, yscale, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return out;
}

D3DXMATRIX *D3DXMatrixPerspectiveLH(D3DXMATRIX *out, float w, float h, float zn, float zf)
{
    float q = zf / (zf - zn);
    *out = D3DXMATRIX(2 * zn / w, 0, 0, 0, 0, 2 * zn / h, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
    return out;
}

D3DXMATRIX *D3DXMatrixOrthoLH(D3DXMATRIX *out, float w, float h, float zn, float zf)
{
    *out = D3DXMATRIX(2 / w, 0, 0, 0, 0, 2 / h, 0, 0, 0, 0, 1 / (zf - zn), 0, 0, 0, zn / (zn - zf), 1);
    return out;
}

D3DXMATRIX *D3DXMatrixOrthoOffCenterLH(D3DXMATRIX *out, float l, float r, float b, float t, float zn, float zf)
{
    *out = D3DXMATRIX(2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, 1 / (zf - zn), 0, (l + r) / (l - r),
                      (t + b) / (b - t), zn / (zn - zf), 1);
    return out;
}

D3DXMATRIX *D3DXMatrixLookAtLH(D3DXMATRIX *out, const D3DXVECTOR3 *eye, const D3DXVECTOR3 *at, const D3DXVECTOR3 *up)
{
    D3DXVECTOR3 zaxis = *at - *eye, xaxis, yaxis;
    D3DXVec3Normalize(&zaxis, &zaxis);
    D3DXVec3Cross(&xaxis, up, &zaxis);
    D3DXVec3Normalize(&xaxis, &xaxis);
    D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
    *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0, xaxis.y, yaxis.y, zaxis.y, 0, xaxis.z, yaxis.z, zaxis.z, 0,
                      -D3DXVec3Dot(&xaxis, eye), -D3DXVec3Dot(&yaxis, eye), -D3DXVec3Dot(&zaxis, eye), 1);
    return out;
}

D3DXQUATERNION *D3DXQuaternionIdentity(D3DXQUATERNION *out)
{
    *out = D3DXQUATERNION(0, 0, 0, 1);
    return out;
}

D3DXQUATERNION *D3DXQuaternionMultiply(D3DXQUATERNION *out, const D3DXQUATERNION *a, const D3DXQUATERNION *b)
{
    // q1 * q2 here means "rotate by q1, then by q2", the order matrices compose in.
    D3DXQUATERNION r(
        b->w * a->x + b->x * a->w + b->y * a->z - b->z * a->y, b->w * a->y - b->x * a->z + b->y * a->w + b->z * a->x,
        b->w * a->z + b->x * a->y - b->y * a->x + b->z * a->w, b->w * a->w - b->x * a->x - b->y * a->y - b->z * a->z);
    *out = r;
    return out;
}

D3DXQUATERNION *D3DXQuaternionNormalize(D3DXQUATERNION *out, const D3DXQUATERNION *q)
{
    float len = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
    if (len == 0.0f)
        *out = D3DXQUATERNION(0, 0, 0, 0);
    else
        *out = D3DXQUATERNION(q->x / len, q->y / len, q->z / len, q->w / len);
    return out;
}

D3DXQUATERNION *D3DXQuaternionRotationAxis(D3DXQUATERNION *out, const D3DXVECTOR3 *axis, float angle)
{
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    float s = std::sin(angle / 2.0f);
    *out = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, std::cos(angle / 2.0f));
    return out;
}

D3DXQUATERNION *D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION *out, float yaw, float pitch, float roll)
{
    float sy = std::sin(yaw / 2), cy = std::cos(yaw / 2);
    float sp = std::sin(pitch / 2), cp = std::cos(pitch / 2);
    float sr = std::sin(roll / 2), cr = std::cos(roll / 2);
    *out = D3DXQUATERNION(cy * sp * cr + sy * cp * sr, sy * cp * cr - cy * sp * sr, cy * cp * sr - sy * sp * cr,
                          cy * cp * cr + sy * sp * sr);
    return out;
}

D3DXQUATERNION *D3DXQuaternionRotationMatrix(D3DXQUATERNION *out, const D3DXMATRIX *m)
{
    float trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        q = D3DXQUATERNION((m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s);
    } else if (m->_11 > m->_22 && m->_11 > m->_33) {
        float s = std::sqrt(1.0f + m->_11 - m->_22 - m->_33) * 2.0f;
        q = D3DXQUATERNION(0.25f * s, (m->_12 + m->_21) / s, (m->_31 + m->_13) / s, (m->_23 - m->_32) / s);
    } else if (m->_22 > m->_33) {
        float s = std::sqrt(1.0f + m->_22 - m->_11 - m->_33) * 2.0f;
        q = D3DXQUATERNION((m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s);
    } else {
        float s = std::sqrt(1.0f + m->_33 - m->_11 - m->_22) * 2.0f;
        q = D3DXQUATERNION((m->_31 + m->_13) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s);
    }
    *out = q;
    return out;
}
