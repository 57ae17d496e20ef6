#pragma once

namespace Vesk
{

// Told when a scrollbar's value changes.
class ScrollListener
{
public:
    virtual ~ScrollListener() = default;

    virtual void OnScrolled(int id, double position) {}
};

} // namespace Vesk
