#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vesk
{

// The pair kerning of an OpenType face as its GPOS table states it: the pair adjustment lookups
// (plain or behind extension lookups) of every "kern" feature, both the glyph-pair and the
// class-pair forms. Many current faces kern only this way, with no old "kern" table. Every read
// is bounds-checked: a damaged table gives no kerning rather than garbage.
class GposKerning
{
public:
    // Takes the raw GPOS table; false when it holds no usable kerning.
    bool Load(std::vector<uint8_t> gposTable);

    // The advance adjustment, in font units, of the first glyph when the second follows it.
    int Get(uint16_t first, uint16_t second) const;

    bool Empty() const { return lookups.empty(); }

private:
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    // The coverage index of a glyph in the coverage table at offset, or -1.
    int CoverageIndex(size_t offset, uint16_t glyph) const;
    // The class of a glyph in the class definition table at offset (0 when not listed).
    int GlyphClass(size_t offset, uint16_t glyph) const;
    // The XAdvance of the value record at offset with the given format (0 without one).
    int XAdvance(size_t offset, uint16_t format) const;
    // Whether the subtable at offset adjusts the pair; adds its adjustment to value.
    bool ApplySubtable(size_t offset, uint16_t first, uint16_t second, int& value) const;

    std::vector<uint8_t> table;
    // Per kerning lookup, the offsets of its pair adjustment subtables within the table.
    std::vector<std::vector<size_t>> lookups;
};

} // namespace Vesk
