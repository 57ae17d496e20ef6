#include "framework/graphics/Transform.h"

namespace Vesk
{

void Transform::Reset()
{
    *this = Transform();
}

void Transform::MakeGeneral()
{
    if (general)
        return;
    GetMatrix();
    general = true;
}

void Transform::Translate(float x, float y)
{
    if (general)
    {
        matrix.Translate(x, y);
        return;
    }
    matrixDirty = true;
    if (hasRotation || hasScale)
    {
        postX += x;
        postY += y;
    }
    else
    {
        preX += x;
        preY += y;
    }
}

void Transform::RotateRad(float radians)
{
    if (general)
    {
        matrix.RotateRad(radians);
        return;
    }
    if (hasScale)
    {
        MakeGeneral();
        matrix.RotateRad(radians);
        return;
    }
    matrixDirty = true;
    hasRotation = true;
    angle += radians;
}

void Transform::RotateDeg(float degrees)
{
    RotateRad(degrees * 3.1415927f / 180.0f);
}

void Transform::Scale(float scaleX, float scaleY)
{
    if (general)
    {
        matrix.Scale(scaleX, scaleY);
        return;
    }
    // A negative scale is kept apart only when it turns a mirrored scale back to 1.
    bool keepsApart = scaleX >= 0 || (scaleX == -1 && sx == -1);
    if (!hasRotation && preX == 0 && preY == 0 && keepsApart && scaleY >= 0)
    {
        matrixDirty = true;
        hasScale = true;
        sx *= scaleX;
        sy *= scaleY;
        return;
    }
    MakeGeneral();
    matrix.Scale(scaleX, scaleY);
}

const Matrix3& Transform::GetMatrix() const
{
    if (general || !matrixDirty)
        return matrix;
    matrixDirty = false;
    matrix.LoadIdentity();
    matrix.Translate(preX, preY);
    if (hasScale)
        matrix.Scale(sx, sy);
    else if (hasRotation)
        matrix.RotateRad(angle);
    matrix.Translate(postX, postY);
    return matrix;
}

} // namespace Vesk
