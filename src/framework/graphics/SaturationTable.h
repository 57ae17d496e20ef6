#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace Vesk
{

// The clamp table of additive drawing: entry i is i for i below 256 and 255 above, so a sum of two
// channels (at most 510) clamps with one lookup. The application holds one (Get() returns the
// shared, read-only instance every image uses; nothing ever writes to it after start-up).
class SaturationTable
{
public:
    SaturationTable();

    static const SaturationTable& Get();

    uint8_t operator[](int index) const { return table[size_t(index)]; }
    const uint8_t* Data() const { return table.data(); }

    static constexpr int Size = 512;

private:
    std::array<uint8_t, Size> table;
};

} // namespace Vesk
