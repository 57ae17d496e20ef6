#include "framework/graphics/SaturationTable.h"

namespace Vesk
{

SaturationTable::SaturationTable()
{
    for (int i = 0; i < Size; ++i)
        table[size_t(i)] = uint8_t(i < 256 ? i : 255);
}

const SaturationTable& SaturationTable::Get()
{
    static const SaturationTable shared;
    return shared;
}

} // namespace Vesk
