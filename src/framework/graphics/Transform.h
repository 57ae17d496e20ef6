#pragma once

#include "framework/graphics/Matrix3.h"

namespace Vesk
{

// How an image is placed relative to its own centre: translation, rotation and scale, kept as
// separate values while that is possible (so the drawing can use a cheap primitive) and as a
// general matrix otherwise.
class Transform
{
public:
    Transform() = default;

    void Reset();
    void Translate(float x, float y);
    void RotateRad(float radians);
    void RotateDeg(float degrees);
    void Scale(float scaleX, float scaleY);
    // The full matrix, rebuilt when needed: pre-translation, then scale or rotation, then
    // post-translation.
    const Matrix3& GetMatrix() const;

    // Makes the transform general, its matrix holding everything so far.
    void MakeGeneral();

    mutable Matrix3 matrix;
    mutable bool matrixDirty = false;
    bool general = false;
    bool hasRotation = false;
    bool hasScale = false;
    float preX = 0, preY = 0;
    float postX = 0, postY = 0;
    float sx = 1, sy = 1;
    float angle = 0;
};

} // namespace Vesk
