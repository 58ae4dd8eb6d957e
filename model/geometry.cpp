#include "model/geometry.h"

#include <cmath>
#include <initializer_list>

float SinTable[AngleTableSize];
float CosTable[AngleTableSize];

void FillAngleTables() {
    for (int i = 0; i < AngleTableSize; ++i) {
        // 0.0001220703125 is exactly 1/8192; the constant and the order of the factors are
        // those of the show software, so both tables agree with it bit for bit.
        const double angle = i * 6.283185307179586 * 0.0001220703125;
        SinTable[i] = static_cast<float>(std::sin(angle));
        CosTable[i] = static_cast<float>(std::cos(angle));
    }
}

namespace {

// The window fills the tables at start-up; filling them once more before main() as well means
// that no program linking the model (the command-line tool, the tests) can build a transform
// from empty tables, which would silently give a zero rotation in place of the identity.
[[maybe_unused]] const bool anglesFilledAtLoad = (FillAngleTables(), true);

// a*b + c*d formed in double (each product of two floats is exact there), rounded once.
float SumOfProducts(double a, double b, double c, double d) {
    return static_cast<float>(a * b + c * d);
}

float SumOfProducts(double a, double b, double c, double d, double e, double f) {
    return static_cast<float>(a * b + c * d + e * f);
}

void RotationProduct(const float* a, const float* b, float* out) {
    for (int row = 0; row < 3; ++row) {
        const float* r = a + 3 * row;
        for (int col = 0; col < 3; ++col) {
            out[3 * row + col] = SumOfProducts(r[0], b[col], r[1], b[3 + col], r[2], b[6 + col]);
        }
    }
}

void SetIdentityRotation(float* r) {
    for (int i = 0; i < 9; ++i) {
        r[i] = (i % 4 == 0) ? 1.0f : 0.0f;
    }
}

} // namespace

CVector* VectorZero(CVector* v) {
    v->x = 0.0f;
    v->y = 0.0f;
    v->z = 0.0f;
    return v;
}

void Cross(const CVector* a, const CVector* b, CVector* out) {
    const float x = SumOfProducts(a->y, b->z, -a->z, b->y);
    const float y = SumOfProducts(a->z, b->x, -a->x, b->z);
    const float z = SumOfProducts(a->x, b->y, -a->y, b->x);
    out->x = x;
    out->y = y;
    out->z = z;
}

void Dot(const CVector* a, const CVector* b, float* out) {
    *out = SumOfProducts(a->x, b->x, a->y, b->y, a->z, b->z);
}

void Normalize(CVector* v) {
    const double x = v->x;
    const double y = v->y;
    const double z = v->z;
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) {
        length = 0.000001;
    }
    const float factor = static_cast<float>(1.0 / length);
    v->x *= factor;
    v->y *= factor;
    v->z *= factor;
}

void BuildTransform(float tx, float ty, float tz, int ax, int ay, int az, CMatrix* out) {
    const float ca = CosTable[ax];
    const float sa = SinTable[ax];
    const float cb = CosTable[ay];
    const float sb = SinTable[ay];
    const float cc = CosTable[az];
    const float sc = SinTable[az];
    // The show software keeps these two products in float variables; the rest of each
    // entry is one extended-precision expression.
    const float sasb = sa * sb;
    const float casb = ca * sb;
    float* r = out->rotation;
    r[0] = cb * cc;
    r[1] = -cb * sc;
    r[2] = -sb;
    r[3] = SumOfProducts(-sasb, cc, ca, sc);
    r[4] = SumOfProducts(sasb, sc, ca, cc);
    r[5] = -sa * cb;
    r[6] = SumOfProducts(casb, cc, sa, sc);
    r[7] = SumOfProducts(-casb, sc, sa, cc);
    r[8] = ca * cb;
    out->translation.x = tx;
    out->translation.y = ty;
    out->translation.z = tz;
}

void MatrixIdentity(CMatrix* m) {
    MatrixTranslation(0.0f, 0.0f, 0.0f, m);
}

void MatrixTranslation(float tx, float ty, float tz, CMatrix* out) {
    SetIdentityRotation(out->rotation);
    out->translation.x = tx;
    out->translation.y = ty;
    out->translation.z = tz;
}

void MatrixCopy(const CMatrix* src, CMatrix* dst) {
    RotationCopy(src, dst);
    dst->translation.x = src->translation.x;
    dst->translation.y = src->translation.y;
    dst->translation.z = src->translation.z;
}

void RotationCopy(const CMatrix* src, CMatrix* dst) {
    for (int i = 0; i < 9; ++i) {
        dst->rotation[i] = src->rotation[i];
    }
}

void MatrixMultiply(const CMatrix* a, const CMatrix* b, CMatrix* out) {
    // Formed in locals first, so that `out` may be one of the operands.
    float rotation[9];
    RotationProduct(a->rotation, b->rotation, rotation);
    const CVector& t = a->translation;
    const float* r = b->rotation;
    const float x = static_cast<float>(double(t.x) * r[0] + double(t.y) * r[3] +
                                       double(t.z) * r[6] + double(b->translation.x));
    const float y = static_cast<float>(double(t.x) * r[1] + double(t.y) * r[4] +
                                       double(t.z) * r[7] + double(b->translation.y));
    const float z = static_cast<float>(double(t.x) * r[2] + double(t.y) * r[5] +
                                       double(t.z) * r[8] + double(b->translation.z));
    for (int k = 0; k < 9; ++k) {
        out->rotation[k] = rotation[k];
    }
    out->translation.x = x;
    out->translation.y = y;
    out->translation.z = z;
}

void MatrixPremultiply(const CMatrix* a, CMatrix* b) {
    CMatrix product;
    MatrixMultiply(a, b, &product);
    MatrixCopy(&product, b);
}

void RotationPremultiply(const CMatrix* a, CMatrix* b) {
    CMatrix product;
    RotationProduct(a->rotation, b->rotation, product.rotation);
    RotationCopy(&product, b);
}

void MatrixTranslateLocal(float tx, float ty, float tz, CMatrix* m) {
    CMatrix offset;
    MatrixTranslation(tx, ty, tz, &offset);
    CMatrix product;
    MatrixMultiply(&offset, m, &product);
    MatrixCopy(&product, m);
}

void MatrixInvertRigid(const CMatrix* a, CMatrix* out) {
    const float tx = a->translation.x;
    const float ty = a->translation.y;
    const float tz = a->translation.z;
    float o[9];
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            o[3 * row + col] = a->rotation[3 * col + row];
        }
    }
    for (int i = 0; i < 9; ++i) {
        out->rotation[i] = o[i];
    }
    out->translation.x = -SumOfProducts(tx, o[0], ty, o[3], tz, o[6]);
    out->translation.y = -SumOfProducts(tx, o[1], ty, o[4], tz, o[7]);
    out->translation.z = -SumOfProducts(tx, o[2], ty, o[5], tz, o[8]);
}

void FlipVertical(CMatrix* m) {
    for (int i : {4, 5, 7, 8}) {
        m->rotation[i] = -m->rotation[i];
    }
}

void FlipHorizontal(CMatrix* m) {
    for (int i : {0, 2, 6, 8}) {
        m->rotation[i] = -m->rotation[i];
    }
}
