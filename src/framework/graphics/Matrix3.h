#pragma once

namespace Vesk
{

// A 3 x 3 float matrix for affine placement of images: a point (x, y) maps to
// (m[0][0] x + m[0][1] y + m[0][2], m[1][0] x + m[1][1] y + m[1][2]). Starts as the identity.
class Matrix3
{
public:
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    void LoadIdentity();
    // this = other * this (other applied after this one).
    void Then(const Matrix3& other);
    Matrix3 operator*(const Matrix3& other) const;

    void Translate(float dx, float dy);
    void Scale(float sx, float sy);
    // Rotates by angle radians (counter-clockwise on screen, where y grows downwards).
    void RotateRad(float angle);

    void Apply(float x, float y, float& outX, float& outY) const;
    // The inverse of the affine part; false (and unchanged) when the matrix is singular.
    [[nodiscard]] bool Invert(Matrix3& inverse) const;
};

} // namespace Vesk
