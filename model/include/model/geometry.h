#pragma once

#include "model/cmatrix.h"
#include "model/cvector.h"

// Vector and matrix operations of the scene model and the renderer.
//
// Sums of products are formed in double and rounded to float once, when stored, matching the
// extended-precision arithmetic of the 32-bit show software whose scenes these are.
//
// Angles are integer indices into the angle tables, one step being 2*pi/8192; valid indices
// are 0 to 8191. No trigonometric function is called once the tables are filled.
inline constexpr int AngleTableSize = 8192;

// SinTable[i] = sin(i * 2*pi / 8192), CosTable[i] = cos(i * 2*pi / 8192), as floats.
// Filled by FillAngleTables(); read-only afterwards.
extern float SinTable[AngleTableSize];
extern float CosTable[AngleTableSize];

// Fills both tables. Called once at start-up, before the first model object is constructed
// (model constructors read the tables through BuildTransform). Calling it again rewrites the
// same values.
void FillAngleTables();

// Sets v's x, y, z to 0 and leaves its other members; returns v.
CVector* VectorZero(CVector* v);

// out = a x b; `out` may be a or b.
void Cross(const CVector* a, const CVector* b, CVector* out);

// *out = a . b, in float.
void Dot(const CVector* a, const CVector* b, float* out);

// Scales v's x, y, z to unit length. The length is taken in double and the factor 1/length
// rounded to float; a zero vector stays zero (its length counts as 0.000001).
void Normalize(CVector* v);

// Rotation turning a point first about X by angle index ax, then about Y by ay, then about Z
// by az (with this system's signs; read as a column-vector matrix it is Rx(ax) Ry(-ay)
// Rz(az)), followed by the translation (tx, ty, tz). The indices must lie in 0-8191; they are
// not reduced. All three zero give the identity rotation.
void BuildTransform(float tx, float ty, float tz, int ax, int ay, int az, CMatrix* out);

// Identity rotation, zero translation.
void MatrixIdentity(CMatrix* m);

// Identity rotation, translation (tx, ty, tz).
void MatrixTranslation(float tx, float ty, float tz, CMatrix* out);

// Copies all twelve numbers.
void MatrixCopy(const CMatrix* src, CMatrix* dst);

// Copies the nine rotation entries only.
void RotationCopy(const CMatrix* src, CMatrix* dst);

// out = a followed by b: out.rotation = a.rotation * b.rotation, out.translation =
// a.translation * b.rotation + b.translation. `out` may be a or b.
void MatrixMultiply(const CMatrix* a, const CMatrix* b, CMatrix* out);

// b = a followed by b.
void MatrixPremultiply(const CMatrix* a, CMatrix* b);

// b.rotation = a.rotation * b.rotation; b.translation unchanged.
void RotationPremultiply(const CMatrix* a, CMatrix* b);

// m = MatrixTranslation(tx, ty, tz) followed by m: the offset, turned by m's rotation, is
// added to m's translation; the rotation is unchanged.
void MatrixTranslateLocal(float tx, float ty, float tz, CMatrix* m);

// out = inverse of a, for a whose rotation is orthonormal; `out` may be a.
void MatrixInvertRigid(const CMatrix* a, CMatrix* out);

// Negates rotation entries 4, 5, 7 and 8 (on the identity: diag(1, -1, -1)).
void FlipVertical(CMatrix* m);

// Negates rotation entries 0, 2, 6 and 8 (on the identity: diag(-1, 1, -1)).
void FlipHorizontal(CMatrix* m);
