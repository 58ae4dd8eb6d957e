#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/cmatrix.h"
#include "model/cvector.h"
#include "model/geometry.h"

namespace {

class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override { FillAngleTables(); }
};

struct Point {
    float x, y, z;
};

// p * R + T, written out independently of the library.
Point Apply(const CMatrix& m, Point p) {
    const float* r = m.rotation;
    return {p.x * r[0] + p.y * r[3] + p.z * r[6] + m.translation.x,
            p.x * r[1] + p.y * r[4] + p.z * r[7] + m.translation.y,
            p.x * r[2] + p.y * r[5] + p.z * r[8] + m.translation.z};
}

void ExpectRotationNear(const CMatrix& m, const std::vector<float>& expected, float tolerance) {
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(m.rotation[i], expected[i], tolerance) << "entry " << i;
    }
}

const std::vector<float> kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

TEST_F(GeometryTest, AngleTablesHoldRoundedDoubleSineAndCosine) {
    EXPECT_EQ(SinTable[0], 0.0f);
    EXPECT_EQ(CosTable[0], 1.0f);
    EXPECT_EQ(SinTable[2048], 1.0f);
    EXPECT_NEAR(CosTable[2048], 0.0f, 1e-7f);
    EXPECT_EQ(CosTable[4096], -1.0f);
    EXPECT_EQ(SinTable[6144], -1.0f);
    EXPECT_NEAR(SinTable[1024], 0.70710678f, 1e-7f);
    EXPECT_NEAR(SinTable[8191], -7.669903e-4f, 1e-9f);
    // Every entry is the double-precision value of its angle rounded to float once.
    for (int i = 0; i < AngleTableSize; ++i) {
        const double angle = i * 6.283185307179586 * 0.0001220703125;
        ASSERT_EQ(SinTable[i], static_cast<float>(std::sin(angle))) << "sin " << i;
        ASSERT_EQ(CosTable[i], static_cast<float>(std::cos(angle))) << "cos " << i;
    }
}

struct TransformCase {
    std::string name;
    float tx, ty, tz;
    int ax, ay, az;
    std::vector<float> rotation;
};

TEST_F(GeometryTest, BuildTransformGivesHandComputedRotations) {
    const float h = 0.70710678f;
    const float a = 0.5f - 0.5f * h; // 0.146447
    const float b = 0.5f + 0.5f * h; // 0.853553
    const std::vector<TransformCase> cases = {
        {"all zero", 0, 0, 0, 0, 0, 0, kIdentity},
        {"channel default", 0, 0, -3900.0f, 0, 0, 0, kIdentity},
        {"quarter turn about x", 1, 2, 3, 2048, 0, 0, {1, 0, 0, 0, 0, -1, 0, 1, 0}},
        {"quarter turn about y", 0, 0, 0, 0, 2048, 0, {0, 0, -1, 0, 1, 0, 1, 0, 0}},
        {"quarter turn about z", 0, 0, 0, 0, 0, 2048, {0, -1, 0, 1, 0, 0, 0, 0, 1}},
        {"half turn about x", 0, 0, 0, 4096, 0, 0, {1, 0, 0, 0, -1, 0, 0, 0, -1}},
        {"eighth turn about all",
         0,
         0,
         0,
         1024,
         1024,
         1024,
         {0.5f, -0.5f, -h, a, b, -0.5f, b, a, 0.5f}},
    };
    for (const TransformCase& c : cases) {
        SCOPED_TRACE(c.name);
        CMatrix m;
        BuildTransform(c.tx, c.ty, c.tz, c.ax, c.ay, c.az, &m);
        ExpectRotationNear(m, c.rotation, 1e-6f);
        EXPECT_EQ(m.translation.x, c.tx);
        EXPECT_EQ(m.translation.y, c.ty);
        EXPECT_EQ(m.translation.z, c.tz);
    }
}

TEST_F(GeometryTest, BuildTransformWithZeroAnglesIsExactIdentity) {
    CMatrix m;
    BuildTransform(0, 0, -3900.0f, 0, 0, 0, &m);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(m.rotation[i], kIdentity[i]) << "entry " << i;
    }
    const Point p = Apply(m, {0, 0, 0});
    EXPECT_EQ(p.z, -3900.0f);
}

TEST_F(GeometryTest, BuildTransformRoundsTheSharedProductsToFloat) {
    // Entries 3, 4, 6 and 7 use sa*sb and ca*sb rounded to float; over a grid of angles
    // this differs from carrying the products exactly, and the result must follow the
    // rounded form throughout.
    int differing = 0;
    for (int ax = 0; ax < AngleTableSize; ax += 97) {
        for (int ay = 0; ay < AngleTableSize; ay += 89) {
            const int az = (ax * 3 + ay) % AngleTableSize;
            CMatrix m;
            BuildTransform(0, 0, 0, ax, ay, az, &m);
            const double sa = SinTable[ax], ca = CosTable[ax];
            const double sb = SinTable[ay];
            const double sc = SinTable[az], cc = CosTable[az];
            const double sasb = static_cast<float>(sa * sb);
            const double casb = static_cast<float>(ca * sb);
            const float rounded[4] = {
                static_cast<float>(-sasb * cc + ca * sc), static_cast<float>(sasb * sc + ca * cc),
                static_cast<float>(casb * cc + sa * sc), static_cast<float>(-casb * sc + sa * cc)};
            const float exact[4] = {static_cast<float>(-(sa * sb) * cc + ca * sc),
                                    static_cast<float>((sa * sb) * sc + ca * cc),
                                    static_cast<float>((ca * sb) * cc + sa * sc),
                                    static_cast<float>(-(ca * sb) * sc + sa * cc)};
            const int entries[4] = {3, 4, 6, 7};
            for (int k = 0; k < 4; ++k) {
                ASSERT_EQ(m.rotation[entries[k]], rounded[k])
                    << "ax " << ax << " ay " << ay << " az " << az << " entry " << entries[k];
                differing += rounded[k] != exact[k];
            }
        }
    }
    EXPECT_GT(differing, 0) << "the grid does not tell the two roundings apart";
}

TEST_F(GeometryTest, BuildTransformRotationsAreOrthonormal) {
    for (int ax : {0, 300, 2048, 5000, 8191}) {
        for (int ay : {0, 777, 4096, 7000}) {
            for (int az : {0, 123, 3000, 6144}) {
                CMatrix m;
                BuildTransform(0, 0, 0, ax, ay, az, &m);
                for (int i = 0; i < 3; ++i) {
                    for (int j = 0; j < 3; ++j) {
                        const float* r = m.rotation;
                        const float dot = r[3 * i] * r[3 * j] + r[3 * i + 1] * r[3 * j + 1] +
                                          r[3 * i + 2] * r[3 * j + 2];
                        ASSERT_NEAR(dot, i == j ? 1.0f : 0.0f, 1e-5f)
                            << ax << "," << ay << "," << az << " rows " << i << "," << j;
                    }
                }
            }
        }
    }
}

TEST_F(GeometryTest, MatrixMultiplyAppliesTheFirstMatrixFirst) {
    CMatrix a;
    BuildTransform(10, 0, 0, 0, 0, 2048, &a); // quarter turn about z, then x += 10
    CMatrix b;
    BuildTransform(0, 5, 0, 2048, 0, 0, &b); // quarter turn about x, then y += 5
    CMatrix ab;
    MatrixMultiply(&a, &b, &ab);
    for (Point p : {Point{1, 0, 0}, Point{0, 1, 0}, Point{3, -2, 7}}) {
        const Point expected = Apply(b, Apply(a, p));
        const Point got = Apply(ab, p);
        EXPECT_NEAR(got.x, expected.x, 1e-4f);
        EXPECT_NEAR(got.y, expected.y, 1e-4f);
        EXPECT_NEAR(got.z, expected.z, 1e-4f);
    }

    CMatrix intoFirst;
    MatrixCopy(&a, &intoFirst);
    MatrixMultiply(&intoFirst, &b, &intoFirst); // the result may overwrite an operand
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(intoFirst.rotation[i], ab.rotation[i]);
    }
    EXPECT_EQ(intoFirst.translation.x, ab.translation.x);
    EXPECT_EQ(intoFirst.translation.y, ab.translation.y);
    EXPECT_EQ(intoFirst.translation.z, ab.translation.z);

    CMatrix premultiplied;
    MatrixCopy(&b, &premultiplied);
    MatrixPremultiply(&a, &premultiplied);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(premultiplied.rotation[i], ab.rotation[i]);
    }
    EXPECT_EQ(premultiplied.translation.x, ab.translation.x);
    EXPECT_EQ(premultiplied.translation.y, ab.translation.y);
    EXPECT_EQ(premultiplied.translation.z, ab.translation.z);

    CMatrix rotated;
    MatrixCopy(&b, &rotated);
    RotationPremultiply(&a, &rotated);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(rotated.rotation[i], ab.rotation[i]);
    }
    EXPECT_EQ(rotated.translation.y, 5.0f);
    EXPECT_EQ(rotated.translation.x, 0.0f);
}

TEST_F(GeometryTest, ProductWithRigidInverseIsIdentity) {
    struct Case {
        std::string name;
        float tx, ty, tz;
        int ax, ay, az;
    };
    const std::vector<Case> cases = {
        {"identity", 0, 0, 0, 0, 0, 0},
        {"channel default", 0, 0, -3900.0f, 0, 0, 0},
        {"turned and moved", 120.5f, -2048.0f, -3900.0f, 1000, 2500, 7000},
        {"every axis", -7.0f, 3.25f, 11.0f, 8191, 4097, 123},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMatrix m;
        BuildTransform(c.tx, c.ty, c.tz, c.ax, c.ay, c.az, &m);
        CMatrix inverse;
        MatrixInvertRigid(&m, &inverse);
        CMatrix forward;
        MatrixMultiply(&m, &inverse, &forward);
        CMatrix backward;
        MatrixMultiply(&inverse, &m, &backward);
        for (const CMatrix* product : {&forward, &backward}) {
            ExpectRotationNear(*product, kIdentity, 1e-5f);
            EXPECT_NEAR(product->translation.x, 0.0f, 1e-3f);
            EXPECT_NEAR(product->translation.y, 0.0f, 1e-3f);
            EXPECT_NEAR(product->translation.z, 0.0f, 1e-3f);
        }
        CMatrix inPlace;
        MatrixCopy(&m, &inPlace);
        MatrixInvertRigid(&inPlace, &inPlace);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(inPlace.rotation[i], inverse.rotation[i]);
        }
        EXPECT_EQ(inPlace.translation.x, inverse.translation.x);
        EXPECT_EQ(inPlace.translation.y, inverse.translation.y);
        EXPECT_EQ(inPlace.translation.z, inverse.translation.z);
    }
}

TEST_F(GeometryTest, TranslateLocalMovesAlongTheMatrixAxes) {
    CMatrix m;
    BuildTransform(10, 20, 30, 0, 0, 2048, &m); // x axis turned onto -y
    CMatrix before;
    MatrixCopy(&m, &before);
    MatrixTranslateLocal(1, 0, 0, &m);
    EXPECT_NEAR(m.translation.x, 10.0f, 1e-5f);
    EXPECT_NEAR(m.translation.y, 19.0f, 1e-5f);
    EXPECT_NEAR(m.translation.z, 30.0f, 1e-5f);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(m.rotation[i], before.rotation[i]);
    }
    // Same as translating the point first and then applying the old matrix.
    const Point p{4, -5, 6};
    const Point expected = Apply(before, {p.x + 1, p.y, p.z});
    const Point got = Apply(m, p);
    EXPECT_NEAR(got.x, expected.x, 1e-4f);
    EXPECT_NEAR(got.y, expected.y, 1e-4f);
    EXPECT_NEAR(got.z, expected.z, 1e-4f);
}

TEST_F(GeometryTest, FlipsNegateTheirEntries) {
    CMatrix v;
    MatrixIdentity(&v);
    FlipVertical(&v);
    ExpectRotationNear(v, {1, 0, 0, 0, -1, 0, 0, 0, -1}, 0.0f);
    CMatrix h;
    MatrixIdentity(&h);
    FlipHorizontal(&h);
    ExpectRotationNear(h, {-1, 0, 0, 0, 1, 0, 0, 0, -1}, 0.0f);

    CMatrix m;
    BuildTransform(1, 2, 3, 700, 1400, 2100, &m);
    CMatrix original;
    MatrixCopy(&m, &original);
    FlipVertical(&m);
    const int vertical[] = {4, 5, 7, 8};
    for (int i : vertical) {
        EXPECT_EQ(m.rotation[i], -original.rotation[i]);
    }
    EXPECT_EQ(m.rotation[0], original.rotation[0]);
    FlipVertical(&m);
    FlipHorizontal(&m);
    const int horizontal[] = {0, 2, 6, 8};
    for (int i : horizontal) {
        EXPECT_EQ(m.rotation[i], -original.rotation[i]);
    }
    EXPECT_EQ(m.rotation[4], original.rotation[4]);
    FlipHorizontal(&m);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(m.rotation[i], original.rotation[i]);
    }
    EXPECT_EQ(m.translation.x, 1.0f);
}

TEST_F(GeometryTest, NormalizeScalesToUnitLengthAndKeepsZero) {
    struct Case {
        std::string name;
        Point in;
        Point out;
    };
    const std::vector<Case> cases = {
        {"zero", {0, 0, 0}, {0, 0, 0}},
        {"3 0 4", {3, 0, 4}, {3 * 0.2f, 0, 4 * 0.2f}},
        {"negative axis", {0, -7, 0}, {0, -1, 0}},
        {"tiny", {1e-20f, 0, 0}, {1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVector v;
        v.x = c.in.x;
        v.y = c.in.y;
        v.z = c.in.z;
        v.colour = 0x123456;
        Normalize(&v);
        EXPECT_FLOAT_EQ(v.x, c.out.x);
        EXPECT_FLOAT_EQ(v.y, c.out.y);
        EXPECT_FLOAT_EQ(v.z, c.out.z);
        EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z));
        EXPECT_EQ(v.colour, 0x123456u);
    }
}

TEST_F(GeometryTest, CrossDotAndZero) {
    CVector x;
    x.x = 1;
    CVector y;
    y.y = 1;
    CVector out;
    Cross(&x, &y, &out);
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_EQ(out.y, 0.0f);
    EXPECT_EQ(out.z, 1.0f);
    Cross(&y, &x, &out);
    EXPECT_EQ(out.z, -1.0f);

    CVector a;
    a.x = 2;
    a.y = 3;
    a.z = 4;
    CVector b;
    b.x = -1;
    b.y = 0.5f;
    b.z = 2;
    float d = 0;
    Dot(&a, &b, &d);
    EXPECT_EQ(d, 7.5f);
    Cross(&a, &b, &a); // the result may overwrite an operand
    EXPECT_EQ(a.x, 4.0f);
    EXPECT_EQ(a.y, -8.0f);
    EXPECT_EQ(a.z, 4.0f);

    a.colour = 9;
    EXPECT_EQ(VectorZero(&a), &a);
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_EQ(a.z, 0.0f);
    EXPECT_EQ(a.colour, 9u);
}

TEST_F(GeometryTest, NewVectorAndMatrixAreZero) {
    CVector v;
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.colour, 0u);
    EXPECT_EQ(v.blank, 0);
    EXPECT_EQ(v.marked, 0);
    EXPECT_EQ(v.clip_flags, 0u);
    EXPECT_EQ(v.poly, nullptr);
    EXPECT_EQ(v.thing, nullptr);
    EXPECT_EQ(v.next, nullptr);
    EXPECT_EQ(v.first_slot, nullptr);
    EXPECT_EQ(v.Next(true), &v);
    EXPECT_EQ(v.Next(false), nullptr);
    CMatrix m;
    EXPECT_EQ(m.translation.x, 0.0f);
    EXPECT_EQ(m.translation.z, 0.0f);
}

} // namespace
