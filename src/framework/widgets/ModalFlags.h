#pragma once

namespace Vesk
{

// The flags that travel down the tree during a tick, paint or hit-test walk. Widgets met before
// the modal base are "below" it and get flagsBelow; the modal base and everything after it in
// the walk are "above" and get flagsAbove. Without a modal base everything is above.
struct ModalFlags
{
    int flagsAbove = 0;
    int flagsBelow = 0;
    bool isAbove = true;

    constexpr int GetFlags() const { return isAbove ? flagsAbove : flagsBelow; }
};

} // namespace Vesk
