#pragma once

namespace Vesk
{

// A change to a widget flag mask: bits to add and bits to remove (removal wins).
struct FlagsMod
{
    int addFlags = 0;
    int removeFlags = 0;

    constexpr FlagsMod() = default;
    constexpr FlagsMod(int addFlags, int removeFlags) : addFlags(addFlags), removeFlags(removeFlags) {}

    constexpr int Apply(int flags) const { return (flags | addFlags) & ~removeFlags; }
    constexpr bool operator==(const FlagsMod&) const = default;
};

} // namespace Vesk
