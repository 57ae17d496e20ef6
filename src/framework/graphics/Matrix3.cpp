#include "framework/graphics/Matrix3.h"

#include <cmath>

namespace Vesk
{

void Matrix3::LoadIdentity()
{
    *this = Matrix3();
}

Matrix3 Matrix3::operator*(const Matrix3& other) const
{
    Matrix3 result;
    for (int row = 0; row < 3; ++row)
    {
        for (int column = 0; column < 3; ++column)
        {
            float sum = 0;
            for (int k = 0; k < 3; ++k)
                sum += m[row][k] * other.m[k][column];
            result.m[row][column] = sum;
        }
    }
    return result;
}

void Matrix3::Then(const Matrix3& other)
{
    *this = other * *this;
}

void Matrix3::Translate(float dx, float dy)
{
    Matrix3 step;
    step.m[0][2] = dx;
    step.m[1][2] = dy;
    Then(step);
}

void Matrix3::Scale(float sx, float sy)
{
    Matrix3 step;
    step.m[0][0] = sx;
    step.m[1][1] = sy;
    Then(step);
}

void Matrix3::RotateRad(float angle)
{
    Matrix3 step;
    float c = std::cos(angle);
    float s = std::sin(angle);
    step.m[0][0] = c;
    step.m[0][1] = s;
    step.m[1][0] = -s;
    step.m[1][1] = c;
    Then(step);
}

void Matrix3::Apply(float x, float y, float& outX, float& outY) const
{
    outX = m[0][0] * x + m[0][1] * y + m[0][2];
    outY = m[1][0] * x + m[1][1] * y + m[1][2];
}

bool Matrix3::Invert(Matrix3& inverse) const
{
    double a = m[0][0], b = m[0][1], c = m[0][2];
    double d = m[1][0], e = m[1][1], f = m[1][2];
    double det = a * e - b * d;
    if (std::fabs(det) < 1e-12)
        return false;
    Matrix3 result;
    result.m[0][0] = float(e / det);
    result.m[0][1] = float(-b / det);
    result.m[1][0] = float(-d / det);
    result.m[1][1] = float(a / det);
    result.m[0][2] = float((b * f - c * e) / det);
    result.m[1][2] = float((c * d - a * f) / det);
    inverse = result;
    return true;
}

} // namespace Vesk
