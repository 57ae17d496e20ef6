#include "GposKerning.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Vesk
{

namespace
{

// Builds a GPOS table byte by byte (big-endian), with offsets patched in afterwards.
struct TableWriter
{
    std::vector<uint8_t> bytes;

    size_t U16(int value)
    {
        bytes.push_back(uint8_t(uint16_t(value) >> 8));
        bytes.push_back(uint8_t(value));
        return bytes.size() - 2;
    }
    void U32(uint32_t value)
    {
        U16(int(value >> 16));
        U16(int(value & 0xFFFF));
    }
    void Tag(const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); }
    void Patch(size_t at, size_t value)
    {
        bytes[at] = uint8_t(value >> 8);
        bytes[at + 1] = uint8_t(value);
    }
};

// A table with a "kern" feature naming two lookups: lookup 0 holds a glyph-pair subtable
// (10 followed by 20: -50; 10 followed by 21: -30) and a class-pair subtable (first glyphs
// 10..12 of class 1; second glyphs 20..29 of class 1: -7); lookup 1 is an extension holding a
// glyph-pair subtable (11 followed by 20: -40). A "liga" feature names a lookup that must not count.
std::vector<uint8_t> SampleTable()
{
    TableWriter w;
    w.U32(0x00010000);
    const size_t scriptList = w.U16(0);
    const size_t featureList = w.U16(0);
    const size_t lookupList = w.U16(0);
    w.Patch(scriptList, w.bytes.size());
    w.U16(0); // no scripts

    const size_t features = w.bytes.size();
    w.Patch(featureList, features);
    w.U16(2);
    w.Tag("liga");
    const size_t ligaFeature = w.U16(0);
    w.Tag("kern");
    const size_t kernFeature = w.U16(0);
    w.Patch(ligaFeature, w.bytes.size() - features);
    w.U16(0);
    w.U16(1);
    w.U16(2);
    w.Patch(kernFeature, w.bytes.size() - features);
    w.U16(0);
    w.U16(2);
    w.U16(0);
    w.U16(1);

    const size_t lookups = w.bytes.size();
    w.Patch(lookupList, lookups);
    w.U16(3);
    const size_t lookup0 = w.U16(0);
    const size_t lookup1 = w.U16(0);
    const size_t lookup2 = w.U16(0);

    // Lookup 0: pair adjustment, two subtables.
    const size_t l0 = w.bytes.size();
    w.Patch(lookup0, l0 - lookups);
    w.U16(2);
    w.U16(0);
    w.U16(2);
    const size_t l0sub0 = w.U16(0);
    const size_t l0sub1 = w.U16(0);

    // Glyph pairs: format 1, value format 1 = XPlacement | XAdvance, value format 2 = 0.
    const size_t pairs = w.bytes.size();
    w.Patch(l0sub0, pairs - l0);
    w.U16(1);
    const size_t pairsCoverage = w.U16(0);
    w.U16(0x0005);
    w.U16(0);
    w.U16(1);
    const size_t pairSet = w.U16(0);
    w.Patch(pairSet, w.bytes.size() - pairs);
    w.U16(2);
    w.U16(20);
    w.U16(3); // XPlacement (ignored)
    w.U16(-50);
    w.U16(21);
    w.U16(0);
    w.U16(-30);
    w.Patch(pairsCoverage, w.bytes.size() - pairs);
    w.U16(1);
    w.U16(1);
    w.U16(10);

    // Class pairs: format 2, value format 1 = XAdvance.
    const size_t classes = w.bytes.size();
    w.Patch(l0sub1, classes - l0);
    w.U16(2);
    const size_t classCoverage = w.U16(0);
    w.U16(0x0004);
    w.U16(0);
    const size_t classDef1 = w.U16(0);
    const size_t classDef2 = w.U16(0);
    w.U16(2);
    w.U16(2);
    for (int value : {0, 0, 0, -7})
        w.U16(value);
    w.Patch(classCoverage, w.bytes.size() - classes);
    w.U16(2);
    w.U16(1);
    w.U16(10);
    w.U16(12);
    w.U16(0);
    w.Patch(classDef1, w.bytes.size() - classes);
    w.U16(1);
    w.U16(10);
    w.U16(3);
    w.U16(1);
    w.U16(1);
    w.U16(1);
    w.Patch(classDef2, w.bytes.size() - classes);
    w.U16(2);
    w.U16(1);
    w.U16(20);
    w.U16(29);
    w.U16(1);

    // Lookup 1: an extension wrapping a glyph-pair subtable.
    const size_t l1 = w.bytes.size();
    w.Patch(lookup1, l1 - lookups);
    w.U16(9);
    w.U16(0);
    w.U16(1);
    const size_t l1sub = w.U16(0);
    const size_t extension = w.bytes.size();
    w.Patch(l1sub, extension - l1);
    w.U16(1);
    w.U16(2);
    w.U32(8);
    const size_t inner = w.bytes.size();
    w.U16(1);
    const size_t innerCoverage = w.U16(0);
    w.U16(0x0004);
    w.U16(0);
    w.U16(1);
    const size_t innerSet = w.U16(0);
    w.Patch(innerSet, w.bytes.size() - inner);
    w.U16(1);
    w.U16(20);
    w.U16(-40);
    w.Patch(innerCoverage, w.bytes.size() - inner);
    w.U16(1);
    w.U16(1);
    w.U16(11);

    // Lookup 2 (named by "liga" only): a pair adjustment that would kern everything.
    const size_t l2 = w.bytes.size();
    w.Patch(lookup2, l2 - lookups);
    w.U16(2);
    w.U16(0);
    w.U16(1);
    const size_t l2sub = w.U16(0);
    const size_t all = w.bytes.size();
    w.Patch(l2sub, all - l2);
    w.U16(2);
    const size_t allCoverage = w.U16(0);
    w.U16(0x0004);
    w.U16(0);
    w.U16(0);
    w.U16(0);
    w.U16(1);
    w.U16(1);
    w.U16(-99);
    w.Patch(allCoverage, w.bytes.size() - all);
    w.U16(2);
    w.U16(1);
    w.U16(0);
    w.U16(1000);
    w.U16(0);
    return w.bytes;
}

} // namespace

TEST(GposKerningTest, GlyphPairsClassPairsAndExtensionsOfTheKernFeature)
{
    GposKerning kerning;
    ASSERT_TRUE(kerning.Load(SampleTable()));
    // The glyph pair wins within its lookup; the class pair does not add to it.
    EXPECT_EQ(kerning.Get(10, 20), -50);
    EXPECT_EQ(kerning.Get(10, 21), -30);
    // Not listed as a pair: the class pair applies.
    EXPECT_EQ(kerning.Get(10, 25), -7);
    EXPECT_EQ(kerning.Get(12, 29), -7);
    // Lookups add up: 11 then 20 gets the class pair and the extension's pair.
    EXPECT_EQ(kerning.Get(11, 20), -47);
    // Class 0 and uncovered glyphs: nothing; the "liga" lookup never counts.
    EXPECT_EQ(kerning.Get(10, 30), 0);
    EXPECT_EQ(kerning.Get(13, 20), 0);
    EXPECT_EQ(kerning.Get(20, 10), 0);
    EXPECT_EQ(kerning.Get(500, 500), 0);
}

TEST(GposKerningTest, DamagedOrForeignTablesGiveNoKerningAndNeverReadPastTheEnd)
{
    GposKerning kerning;
    EXPECT_FALSE(kerning.Load({}));
    EXPECT_TRUE(kerning.Empty());
    EXPECT_FALSE(kerning.Load({0, 2, 0, 0, 0, 10, 0, 10, 0, 10})); // version 2
    EXPECT_EQ(kerning.Get(10, 20), 0);

    // Every truncation of a good table loads or not, but reads nothing past its end (the
    // sanitizer build checks) and never invents a pair the table does not state.
    const std::vector<uint8_t> table = SampleTable();
    for (size_t length = 0; length < table.size(); ++length)
    {
        GposKerning cut;
        (void)cut.Load(std::vector<uint8_t>(table.begin(), table.begin() + std::ptrdiff_t(length)));
        const int value = cut.Get(10, 20);
        EXPECT_TRUE(value == 0 || value == -50 || value == -7) << length << ": " << value;
        EXPECT_EQ(cut.Get(13, 20), 0) << length;
    }
    // Offsets pointing far outside the table.
    std::vector<uint8_t> wild = table;
    for (size_t i = 10; i + 1 < wild.size(); i += 7)
        wild[i] = 0xFF;
    GposKerning scrambled;
    (void)scrambled.Load(wild);
    (void)scrambled.Get(10, 20);
}

} // namespace Vesk
