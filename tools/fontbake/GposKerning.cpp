#include "GposKerning.h"

#include <algorithm>
#include <bit>
#include <set>

namespace Vesk
{

namespace
{

constexpr uint16_t kPairAdjustment = 2;
constexpr uint16_t kExtension = 9;
constexpr uint16_t kXAdvance = 0x0004;

size_t ValueRecordSize(uint16_t format)
{
    return 2 * size_t(std::popcount(unsigned(format & 0x00FF)));
}

} // namespace

uint16_t GposKerning::U16(size_t offset) const
{
    if (offset + 2 > table.size())
        return 0;
    return uint16_t(table[offset] << 8 | table[offset + 1]);
}

uint32_t GposKerning::U32(size_t offset) const
{
    return uint32_t(U16(offset)) << 16 | U16(offset + 2);
}

bool GposKerning::Load(std::vector<uint8_t> gposTable)
{
    table = std::move(gposTable);
    lookups.clear();
    if (table.size() < 10 || U16(0) != 1)
        return false;
    const size_t featureList = U16(6);
    const size_t lookupList = U16(8);

    // The lookups every "kern" feature names, each once, in lookup order.
    std::set<uint16_t> kerningLookups;
    const uint16_t featureCount = U16(featureList);
    for (uint16_t i = 0; i < featureCount; ++i)
    {
        const size_t record = featureList + 2 + size_t(i) * 6;
        if (record + 6 > table.size())
            break;
        if (table[record] != 'k' || table[record + 1] != 'e' || table[record + 2] != 'r' || table[record + 3] != 'n')
            continue;
        const size_t feature = featureList + U16(record + 4);
        const uint16_t count = U16(feature + 2);
        for (uint16_t j = 0; j < count; ++j)
            kerningLookups.insert(U16(feature + 4 + size_t(j) * 2));
    }

    const uint16_t lookupCount = U16(lookupList);
    for (uint16_t index : kerningLookups)
    {
        if (index >= lookupCount)
            continue;
        const size_t lookup = lookupList + U16(lookupList + 2 + size_t(index) * 2);
        const uint16_t type = U16(lookup);
        const uint16_t subtableCount = U16(lookup + 4);
        std::vector<size_t> subtables;
        for (uint16_t j = 0; j < subtableCount; ++j)
        {
            size_t subtable = lookup + U16(lookup + 6 + size_t(j) * 2);
            if (type == kExtension)
            {
                if (U16(subtable) != 1 || U16(subtable + 2) != kPairAdjustment)
                    continue;
                subtable += U32(subtable + 4);
            }
            else if (type != kPairAdjustment)
                break;
            if (subtable < table.size())
                subtables.push_back(subtable);
        }
        if (!subtables.empty())
            lookups.push_back(std::move(subtables));
    }
    return !lookups.empty();
}

int GposKerning::CoverageIndex(size_t offset, uint16_t glyph) const
{
    const uint16_t format = U16(offset);
    const uint16_t count = U16(offset + 2);
    if (format == 1)
    {
        // Glyphs in increasing order.
        int low = 0;
        int high = int(count) - 1;
        while (low <= high)
        {
            const int middle = (low + high) / 2;
            const uint16_t value = U16(offset + 4 + size_t(middle) * 2);
            if (value == glyph)
                return middle;
            if (value < glyph)
                low = middle + 1;
            else
                high = middle - 1;
        }
    }
    else if (format == 2)
        for (uint16_t i = 0; i < count; ++i)
        {
            const size_t range = offset + 4 + size_t(i) * 6;
            if (glyph >= U16(range) && glyph <= U16(range + 2))
                return int(U16(range + 4)) + (glyph - U16(range));
        }
    return -1;
}

int GposKerning::GlyphClass(size_t offset, uint16_t glyph) const
{
    const uint16_t format = U16(offset);
    if (format == 1)
    {
        const uint16_t start = U16(offset + 2);
        const uint16_t count = U16(offset + 4);
        if (glyph >= start && glyph - start < count)
            return U16(offset + 6 + size_t(glyph - start) * 2);
    }
    else if (format == 2)
    {
        const uint16_t count = U16(offset + 2);
        for (uint16_t i = 0; i < count; ++i)
        {
            const size_t range = offset + 4 + size_t(i) * 6;
            if (glyph >= U16(range) && glyph <= U16(range + 2))
                return U16(range + 4);
        }
    }
    return 0;
}

int GposKerning::XAdvance(size_t offset, uint16_t format) const
{
    if ((format & kXAdvance) == 0)
        return 0;
    // XPlacement and YPlacement come before XAdvance when present.
    const size_t before = 2 * size_t(std::popcount(unsigned(format & 0x0003)));
    return int16_t(U16(offset + before));
}

bool GposKerning::ApplySubtable(size_t offset, uint16_t first, uint16_t second, int& value) const
{
    const uint16_t format = U16(offset);
    const int coverage = CoverageIndex(offset + U16(offset + 2), first);
    if (coverage < 0)
        return false;
    const uint16_t format1 = U16(offset + 4);
    const uint16_t format2 = U16(offset + 6);
    const size_t recordSize = ValueRecordSize(format1) + ValueRecordSize(format2);
    if (format == 1)
    {
        if (coverage >= U16(offset + 8))
            return false;
        const size_t pairSet = offset + U16(offset + 10 + size_t(coverage) * 2);
        const uint16_t count = U16(pairSet);
        for (uint16_t i = 0; i < count; ++i)
        {
            const size_t record = pairSet + 2 + size_t(i) * (2 + recordSize);
            if (record + 2 + recordSize > table.size())
                return false;
            if (U16(record) == second)
            {
                value += XAdvance(record + 2, format1);
                return true;
            }
        }
        return false;
    }
    if (format == 2)
    {
        const int class1 = GlyphClass(offset + U16(offset + 8), first);
        const int class2 = GlyphClass(offset + U16(offset + 10), second);
        const uint16_t class1Count = U16(offset + 12);
        const uint16_t class2Count = U16(offset + 14);
        if (class1 >= class1Count || class2 >= class2Count)
            return true;
        const size_t record = offset + 16 + (size_t(class1) * class2Count + size_t(class2)) * recordSize;
        if (record + recordSize > table.size())
            return true;
        value += XAdvance(record, format1);
        return true;
    }
    return false;
}

int GposKerning::Get(uint16_t first, uint16_t second) const
{
    int value = 0;
    for (const std::vector<size_t>& subtables : lookups)
        for (size_t subtable : subtables)
            if (ApplySubtable(subtable, first, second, value))
                break;
    return value;
}

} // namespace Vesk
