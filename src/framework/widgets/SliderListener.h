#pragma once

namespace Vesk
{

// Told when the player moves a slider; value runs from 0 to 1.
class SliderListener
{
public:
    virtual ~SliderListener() = default;

    virtual void OnSliderMoved(int id, double value) {}
};

} // namespace Vesk
