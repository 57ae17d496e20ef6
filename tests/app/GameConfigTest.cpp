#include "app/GameConfig.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{

namespace
{

// The key catalogue of config.xml as the game's design lists it, kept here word for word so
// that the table in GameConfigKeys.h is checked against an independent copy.
constexpr const char* catalogueText = R"(
- Common (30 keys): `BoardX`, `BoardY`, `ListX1`, `ListX2`, `ListX3`, `ListY`, `ListTX1`, `ListTX2`, `ListTX3`, `ListTY`, `ListTx`, `ListTd`, `ListTr`, `ListTg`, `ListTb`, `ListR1` (double), `ListR2` (double), `ListR3` (double), `NListX1`, `NListTx`, `ClickTreshold`, `RetSpeed` (double), `LongestName`, `MaxListPagesCount`, `COVERT` (double), `COVERC`, `NameX`, `NameY`, `default_fullscreen` (bool), `debug_mode` (bool).
- Graphics (177 keys): `ebgr`, `ebgg`, `ebgb`, `ebga`, `lbgr`, `lbgg`, `lbgb`, `lbga`, `lor`, `log`, `lob`, `lptr`, `lptg`, `lptb`, `lmor`, `lmog`, `lmob`, `lbsr`, `lbsg`, `lbsb`, `lbur`, `lbug`, `lbub`, `dbcr`, `dbcg`, `dbcb`, `dhcr`, `dhcg`, `dhcb`, `lix`, `liy`, `liw`, `lih`, `lobx`, `loby`, `lobw`, `lobh`, `lcbx`, `lcby`, `lcbw`, `lcbh`, `ldbx`, `ldby`, `ldbw`, `ldbh`, `dwx1`, `dwy1`, `dwx2`, `dwy2`, `dwh`, `dtcr`, `dtcg`, `dtcb`, `dlcr`, `dlcg`, `dlcb`, `MarkerSize`, `mcr`, `mcg`, `mcb`, `mca`, `BX`, `BY`, `BW`, `BTX`, `BTY`, `SX`, `S1Y`, `S2Y`, `SW`, `SH`, `TX`, `T1Y`, `T2Y`, `T3Y`, `T4Y`, `HY`, `CX`, `C1Y`, `C2Y`, `DX`, `DY`, `LTX`, `LTY`, `LTW`, `LDX`, `LDY`, `LRX`, `LRY`, `LB1TX`, `LB2TX`, `LBTY`, `LABX`, `LABY`, `LABW`, `LABH`, `LABTX`, `LABTY`, `EEY`, `EEW`, `EEH`, `ETY`, `EOBX`, `ECBX`, `EBY`, `EOBW`, `ECBW`, `EBH`, `EO1BW`, `EO1BX`, `EO1BTX`, `DTX`, `DTY`, `DTW`, `DHY`, `DOBX`, `DCBX`, `DOBW`, `DCBW`, `DB1TX`, `DB2TX`, `WBX`, `WBW`, `WBTX`, `WHY`, `WTX`, `WTY`, `WTW`, `XHY`, `RED1`, `RED2`, `RED3`, `BLACK` (double), `PEBX`, `PCBX`, `PEBW`, `PCBW`, `PEBY`, `PETX`, `PCTX`, `OX_`, `OY_`, `OJUMP`, `OANIM` (double), `ODANIM` (double), `PX_`, `PY_`, `PJUMP`, `PANIM` (double), `PDANIM` (double), `XX_`, `XY_`, `XJUMP`, `XANIM` (double), `XDANIM` (double), `WX_`, `WY_`, `WJUMP`, `WANIM` (double), `WDANIM` (double), `EX_`, `EY_`, `EJUMP`, `EANIM` (double), `EDANIM` (double), `LX_`, `LY_`, `LJUMP`, `LANIM` (double), `LDANIM` (double), `DX_`, `DY_`, `DJUMP`, `DANIM` (double), `DDANIM` (double), `BDY` (double), `BDT` (double).
- Pages (131 keys): `PageA` (double), `PageB` (double), `PageCurv` (double), `PageProp` (double), `PageDT` (double), `ListSpeed`, `PagesNumber`, `ContentsX`, `ContentsY`, `MenuX`, `MenuCY`, `MenuDY`, `MenuOY`, `ProfileX`, `ProfileY`, `OptionsX`, `OptionsY`, `MinigamesX`, `MinigamesY`, `CreditsX`, `CreditsY`, `PlayX`, `PlayY`, `ExitX`, `ExitY`, `MPCX`, `MPCY`, `ArrUX`, `ArrDX`, `ArrBX`, `ArrdX`, `ArrY`, `TitlesNumber`, `MGNumber`, `ButDiv` (double), `DButDiv` (double), `ShadMul` (double), `BlurAmplitude` (double), `BlurTransparency` (double), `BlurSpeed` (double), `cA` (double), `cB` (double), `cT` (double), `cD` (double), `cDX` (double), `cDY` (double), `cDi`, `ShadLX`, `ShadRX`, `ShadLY`, `ShadRY`, `opr`, `opg`, `opb`, `cpr`, `cpg`, `cpb`, `chdx`, `chdy`, `CSX`, `CSS`, `CDT` (double), `CLDT` (double), `CLDT1` (double), `CLDT2` (double), `St1LX`, `St2LX`, `St3LX`, `St1RX`, `St2RX`, `St3RX`, `St1Y`, `St2Y`, `St3Y`, `St1GRX`, `St2GRX`, `St3GRX`, `St1GY`, `St2GY`, `St3GY`, `St1ILX`, `St2ILX`, `St3ILX`, `St1IRX`, `St2IRX`, `St3IRX`, `St1IY`, `St2IY`, `St3IY`, `AfterSet1`, `AfterSet2`, `AfterSet3`, `AfterSet4`, `AfterSet5`, `AfterSet6`, `AfterSet7`, `AfterSet8`, `AfterSet9`, `Bgt` (double), `Bgl` (double), `Bsc` (double), `SDT` (double), `TREMX` (double), `TREMY` (double), `TREMR` (double), `TREMXT` (double), `TREMYT` (double), `TREMRT` (double), `ITREMX` (double), `ITREMY` (double), `ITREMXT` (double), `ITREMYT` (double), `BLINKTIME`, `BLINKLENGTH`, `BLINKS`, `BLINKMIN` (double), `STIME`, `SLEN`, `ICON_A`, `REPLAYdT` (double), `REPLAY_A`, `REPLAY_B`, `REPLAY_C`, `REPLAY_D`, `BBGLOWdT` (double), `BPgameX`, `BPgameY`, `new1s`, `new2s`, `newt`, `BDS` (double).
- Desktop (28 keys): `ItemsCount`, `DSpeed` (double), `DSSpeed` (double), `DT0` (double), `DT1` (double), `DT2` (double), `DT3` (double), `DT4` (double), `STAMPT`, `STAMPX`, `STAMPY`, `STAMPRX`, `STAMPRY`, `STAMPFP` (double), `STAMP_WT`, `STAMP_WX`, `STAMP_WY`, `STAMP_Wr`, `STAMP_Wg`, `STAMP_Wb`, `STAMP_WH`, `STAMP_WR`, `STAMP_RX1`, `STAMP_RX2`, `STAMP_RX3`, `STAMP_RY1`, `STAMP_RY2`, `STAMP_RY3`.
- ISpy (54 keys): `EPR`, `EPRt`, `EPSR`, `EPC` (double), `EPCt` (double), `EPCa` (double), `EPCta` (double), `Show_finger` (bool), `Show_strike` (bool), `finger_dx`, `finger_dy`, `n1_`, `m1_`, `n2_`, `m2_`, `n3_`, `hbn`, `hbdx`, `hT` (double), `hX` (double), `hY` (double), `SMul` (double), `SPen` (double), `SDPX` (double), `SDPY` (double), `SAng` (double), `SDAn` (double), `DT` (double), `MIS`, `MIT`, `BPX`, `BPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPBGX`, `BPBGY`, `BPHBX`, `BPHBY`, `BPHBGX`, `BPHBGY`, `PENALTY` (double), `PENALTY_FADE` (double), `st0`, `st1`, `st2`, `ss1`, `ss2`, `dyb`, `dyo`, `EDX`, `EDY`.
- MiniGame1 (23 keys): `CS` (double), `ListX1`, `ListX2`, `ListX3`, `ListX4`, `ListX5`, `ListX6`, `ListX7`, `ListX8`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`, `RANIM`.
- MiniGame2 (28 keys): `CS` (double), `rounds`, `items1`, `items2`, `items3`, `items4`, `items5`, `items6`, `items7`, `items8`, `ListX1`, `ListX2`, `ListX3`, `ListX4`, `ListX5`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`.
- MiniGame3 (61 keys): `rounds`, `items1`, `items2`, `items3`, `items4`, `items5`, `items6`, `items7`, `items8`, `time1` (double), `time2` (double), `time3` (double), `time4` (double), `time5` (double), `time6` (double), `time7` (double), `time8` (double), `pause1` (double), `pause2` (double), `pause3` (double), `pause4` (double), `pause5` (double), `pause6` (double), `pause7` (double), `pause8` (double), `BBX`, `BBY`, `BPX`, `BPY`, `PBX`, `PBY`, `CS` (double), `RS` (double), `ES` (double), `EP` (double), `FC`, `MX`, `MY`, `MDX`, `MDY`, `RCT`, `RX`, `RY`, `P1`, `P2`, `P3`, `P4`, `BD`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`.
- MiniGame4 (40 keys): `rounds`, `items1`, `items2`, `items3`, `items4`, `normD` (double), `normSD` (double), `DOX` (double), `items5`, `items6`, `items7`, `items8`, `BBX`, `BBY`, `BPX`, `BPY`, `RBX`, `RBY`, `RPX`, `RPY`, `SBX`, `SBY`, `CS` (double), `RS` (double), `FA` (double), `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`, `ROUNDANIM`, `ROUNDSCALE` (double).
- MiniGame5 (53 keys): `rounds`, `items1`, `items2`, `items3`, `items4`, `items5`, `items6`, `items7`, `items8`, `mV1` (double), `mV2` (double), `mV3` (double), `mV4` (double), `mV5` (double), `mV6` (double), `mV7` (double), `mV8` (double), `mDV1` (double), `mDV2` (double), `mDV3` (double), `mDV4` (double), `mDV5` (double), `mDV6` (double), `mDV7` (double), `mDV8` (double), `fromY` (double), `toY` (double), `deltaX` (double), `deltaDX` (double), `BBX`, `BBY`, `BPX`, `BPY`, `CS` (double), `CUS`, `SLX`, `SLy`, `SLY`, `SLdY` (double), `CDY`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`.
- MiniGame6 (28 keys): `CS` (double), `rounds`, `items1`, `items2`, `items3`, `items4`, `items5`, `items6`, `items7`, `items8`, `MIS`, `PostX`, `PostY`, `CounterX`, `CounterY`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`.
- MiniGame8 (38 keys): `PS`, `Gx`, `Gy`, `GX`, `GY`, `GD`, `TX`, `TY`, `TON` (bool), `LHDX`, `LHDY`, `SCL` (double), `BBX`, `BBY`, `BPX`, `BPY`, `CS` (double), `n1_`, `m1_`, `n2_`, `m2_`, `n3_`, `hT` (double), `hX` (double), `hY` (double), `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`.
- MiniGame9 (48 keys): `Lx`, `LX`, `Ly`, `LY`, `BX`, `BY`, `TX`, `TY`, `TON` (bool), `SCL` (double), `draw_objects` (bool), `BBX`, `BBY`, `BPX`, `BPY`, `CS` (double), `n1_`, `m1_`, `n2_`, `m2_`, `n3_`, `hT` (double), `hX` (double), `hY` (double), `LIX`, `LIY`, `LIDY`, `LISP`, `LIt`, `LIT`, `LIQ`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`, `SANIMDX`, `SANIMDY`, `RELOADT`, `RELOADY`.
- MiniGameLast (33 keys): `CS` (double), `ListX1`, `ListX2`, `ListX3`, `ListX4`, `ListX5`, `ListX6`, `ListX7`, `ListX8`, `BPPX`, `BPPY`, `BPOX`, `BPOY`, `BPOW`, `BPBX`, `BPBY`, `BPLX`, `BPLY`, `BPBGX`, `BPBGY`, `BPBTX`, `BPBTY`, `NDX`, `NX`, `NY`, `LARRX`, `LARRY`, `RARRX`, `RARRY`, `PAGEX`, `PAGEY`, `PAGEDX` (double), `UNDERTITLE`.
)";

struct ExpectedSection
{
    std::string name;
    int declaredCount = 0;
    std::vector<std::pair<std::string, GameConfig::ValueType>> keys;
};

// Reads lines of the form "- Name (N keys): `Key`, `Key` (double), `Key` (bool), ...".
std::vector<ExpectedSection> ParseCatalogueText()
{
    std::vector<ExpectedSection> sections;
    std::istringstream lines(catalogueText);
    std::string line;
    while (std::getline(lines, line))
    {
        if (line.empty())
            continue;
        const size_t open = line.find(" (");
        const size_t colon = line.find(" keys): ");
        if (line.rfind("- ", 0) != 0 || open == std::string::npos || colon == std::string::npos || line.back() != '.')
        {
            ADD_FAILURE() << "unreadable catalogue line: " << line;
            continue;
        }
        ExpectedSection section;
        section.name = line.substr(2, open - 2);
        section.declaredCount = std::stoi(line.substr(open + 2, colon - open - 2));
        std::istringstream items(line.substr(colon + 8, line.size() - colon - 9));
        std::string item;
        while (std::getline(items, item, ','))
        {
            const size_t first = item.find('`');
            const size_t second = item.find('`', first + 1);
            if (first == std::string::npos || second == std::string::npos)
            {
                ADD_FAILURE() << "unreadable catalogue item: " << item;
                continue;
            }
            const std::string suffix = item.substr(second + 1);
            const GameConfig::ValueType type = suffix == " (double)" ? GameConfig::ValueType::Double
                                               : suffix == " (bool)" ? GameConfig::ValueType::Bool
                                                                     : GameConfig::ValueType::Int;
            EXPECT_TRUE(suffix.empty() || type != GameConfig::ValueType::Int) << "unknown type in: " << item;
            section.keys.emplace_back(item.substr(first + 1, second - first - 1), type);
        }
        sections.push_back(section);
    }
    return sections;
}

const char* TypeName(GameConfig::ValueType type)
{
    switch (type)
    {
    case GameConfig::ValueType::Int:
        return "int";
    case GameConfig::ValueType::Double:
        return "double";
    case GameConfig::ValueType::Bool:
        return "bool";
    }
    return "?";
}

// True when every field of the catalogue holds the same value in both.
bool SameValues(const GameConfig& a, const GameConfig& b)
{
    GameConfig left = a;
    GameConfig right = b;
    for (const GameConfig::Key& key : GameConfig::Catalogue())
    {
        const bool same = std::visit(
            [&](auto* leftField)
            {
                using Pointer = decltype(leftField);
                return *leftField == *std::get<Pointer>(key.field(right));
            },
            key.field(left));
        if (!same)
            return false;
    }
    return true;
}

} // namespace

TEST(GameConfigTest, CatalogueMatchesTheListedKeysTypesAndOrder)
{
    const std::vector<ExpectedSection> expected = ParseCatalogueText();
    ASSERT_EQ(expected.size(), 14u);

    const std::vector<std::pair<std::string, int>> sectionCounts = {
        {"Common", 30},    {"Graphics", 177}, {"Pages", 131},    {"Desktop", 28},     {"ISpy", 54},
        {"MiniGame1", 23}, {"MiniGame2", 28}, {"MiniGame3", 61}, {"MiniGame4", 40},   {"MiniGame5", 53},
        {"MiniGame6", 28}, {"MiniGame8", 38}, {"MiniGame9", 48}, {"MiniGameLast", 33}};
    std::vector<std::pair<std::string, GameConfig::ValueType>> expectedKeys;
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(expected[i].name, sectionCounts[i].first);
        EXPECT_EQ(expected[i].declaredCount, sectionCounts[i].second) << expected[i].name;
        EXPECT_EQ(static_cast<int>(expected[i].keys.size()), expected[i].declaredCount) << expected[i].name;
        for (const auto& [name, type] : expected[i].keys)
            expectedKeys.emplace_back(expected[i].name + "/" + name, type);
    }
    ASSERT_EQ(expectedKeys.size(), 772u);

    const auto catalogue = GameConfig::Catalogue();
    ASSERT_EQ(catalogue.size(), 772u);
    for (size_t i = 0; i < catalogue.size(); ++i)
    {
        EXPECT_EQ(catalogue[i].path, expectedKeys[i].first) << "row " << i;
        EXPECT_EQ(TypeName(catalogue[i].type), std::string(TypeName(expectedKeys[i].second))) << catalogue[i].path;
    }

    std::map<std::string, int> countBySection;
    for (const GameConfig::Key& key : catalogue)
        ++countBySection[std::string(key.path.substr(0, key.path.find('/')))];
    for (const auto& [name, count] : sectionCounts)
        EXPECT_EQ(countBySection[name], count) << name;
}

TEST(GameConfigTest, EveryKeyFillsItsOwnFieldOfItsDeclaredType)
{
    GameConfig config;
    std::set<const void*> fields;
    for (const GameConfig::Key& key : GameConfig::Catalogue())
    {
        const GameConfig::FieldRef field = key.field(config);
        EXPECT_EQ(static_cast<int>(field.index()), static_cast<int>(key.type)) << key.path;
        const void* address = std::visit([](auto* pointer) -> const void* { return pointer; }, field);
        EXPECT_TRUE(fields.insert(address).second) << key.path << " shares its field";
        // Every field lies inside the object.
        const auto* begin = reinterpret_cast<const char*>(&config);
        const auto* at = static_cast<const char*>(address);
        EXPECT_TRUE(at >= begin && at < begin + sizeof(config)) << key.path;
        EXPECT_EQ(GameConfig::FindKey(key.path), &key);
    }
    EXPECT_EQ(fields.size(), 772u);
    EXPECT_EQ(GameConfig::FindKey("Common/boardx"), nullptr);
    EXPECT_EQ(GameConfig::FindKey("Pages/AfterSet10"), nullptr);
}

TEST(GameConfigTest, ApplyConvertsEachTypeAndNamesTheFields)
{
    GameConfig config;
    EXPECT_TRUE(config.Apply("Common/BoardX", "16"));
    EXPECT_TRUE(config.Apply("Common/BoardY", "0x0C"));
    EXPECT_TRUE(config.Apply("Common/ListR1", "-2.5"));
    EXPECT_TRUE(config.Apply("Common/default_fullscreen", "true"));
    EXPECT_TRUE(config.Apply("Pages/PagesNumber", "20"));
    EXPECT_TRUE(config.Apply("Desktop/STAMPX", "-7"));
    EXPECT_TRUE(config.Apply("ISpy/EPR", "18"));
    EXPECT_TRUE(config.Apply("ISpy/PENALTY", "300.5"));
    EXPECT_TRUE(config.Apply("Graphics/log", "120"));
    EXPECT_TRUE(config.Apply("MiniGame5/SLy", "110"));
    EXPECT_TRUE(config.Apply("MiniGame5/SLY", "470"));
    EXPECT_TRUE(config.Apply("MiniGame9/draw_objects", "true"));
    EXPECT_TRUE(config.Apply("MiniGameLast/PAGEDX", "0.04"));
    EXPECT_TRUE(config.Apply("MiniGame1/ListX1", "214"));
    EXPECT_TRUE(config.Apply("Common/ListX1", "230"));

    EXPECT_EQ(config.common.BoardX, 16);
    EXPECT_EQ(config.common.BoardY, 12);
    EXPECT_DOUBLE_EQ(config.common.ListR1, -2.5);
    EXPECT_TRUE(config.common.default_fullscreen);
    EXPECT_EQ(config.pages.PagesNumber, 20);
    EXPECT_EQ(config.desktop.STAMPX, -7);
    EXPECT_EQ(config.ispy.EPR, 18);
    EXPECT_DOUBLE_EQ(config.ispy.PENALTY, 300.5);
    EXPECT_EQ(config.graphics.log, 120);
    EXPECT_EQ(config.miniGame5.SLy, 110);
    EXPECT_EQ(config.miniGame5.SLY, 470);
    EXPECT_TRUE(config.miniGame9.draw_objects);
    EXPECT_DOUBLE_EQ(config.miniGameLast.PAGEDX, 0.04);
    EXPECT_EQ(config.miniGame1.ListX1, 214);
    EXPECT_EQ(config.common.ListX1, 230);
}

TEST(GameConfigTest, ApplyKeepsTheLaterValueIgnoresUnknownKeysAndZeroesBadNumbers)
{
    GameConfig config;
    config.Apply("Common/BoardX", "16");
    config.Apply("Common/BoardX", "20");
    EXPECT_EQ(config.common.BoardX, 20);

    const GameConfig before = config;
    EXPECT_FALSE(config.Apply("Common/BoardZ", "5"));
    EXPECT_FALSE(config.Apply("Common", "5"));
    EXPECT_FALSE(config.Apply("common/BoardX", "5"));
    EXPECT_FALSE(config.Apply("Common/BoardX/Extra", "5"));
    EXPECT_FALSE(config.Apply("Pages/Page3", "5"));
    EXPECT_FALSE(config.Apply("", ""));
    EXPECT_EQ(config.common.BoardX, 20);
    EXPECT_TRUE(SameValues(before, config));

    // A malformed number is still the key's value: it reads as 0.
    EXPECT_TRUE(config.Apply("Common/BoardX", "12px"));
    EXPECT_EQ(config.common.BoardX, 0);
    config.common.RetSpeed = 4.0;
    EXPECT_TRUE(config.Apply("Common/RetSpeed", "1e3"));
    EXPECT_EQ(config.common.RetSpeed, 0.0);
    config.common.RetSpeed = 4.0;
    EXPECT_TRUE(config.Apply("Common/RetSpeed", ""));
    EXPECT_EQ(config.common.RetSpeed, 0.0);

    // Only the exact text "true" is true.
    for (const char* text : {"True", "TRUE", "1", "yes", " true", "true ", ""})
    {
        config.common.debug_mode = true;
        EXPECT_TRUE(config.Apply("Common/debug_mode", text));
        EXPECT_FALSE(config.common.debug_mode) << '"' << text << '"';
    }
    EXPECT_TRUE(config.Apply("Common/debug_mode", "true"));
    EXPECT_TRUE(config.common.debug_mode);
    EXPECT_TRUE(config.Apply("Common/debug_mode", "false"));
    EXPECT_FALSE(config.common.debug_mode);
}

TEST(GameConfigTest, AfterSetKeysFillTheTableAndAreClearedBeforeEachRead)
{
    GameConfig config;
    for (int n = 1; n <= 9; ++n)
        EXPECT_TRUE(config.Apply("Pages/AfterSet" + std::to_string(n), std::to_string(10 * n)));
    EXPECT_EQ(config.pages.AfterSet[0], 0);
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(config.pages.AfterSet[n], 10 * n);
    for (int n = 10; n < 32; ++n)
        EXPECT_EQ(config.pages.AfterSet[n], 0);
    EXPECT_FALSE(config.Apply("Pages/AfterSet0", "5"));
    EXPECT_FALSE(config.Apply("Pages/AfterSet10", "5"));
    EXPECT_EQ(config.pages.AfterSet[0], 0);
    EXPECT_EQ(config.pages.AfterSet[10], 0);

    config.pages.AfterSet[31] = 7;
    config.common.debug_mode = true;
    config.common.BoardX = 16;
    config.ispy.Show_finger = true;
    config.ResetBeforeRead();
    for (int value : config.pages.AfterSet)
        EXPECT_EQ(value, 0);
    EXPECT_FALSE(config.common.debug_mode);
    // Everything else keeps its value.
    EXPECT_EQ(config.common.BoardX, 16);
    EXPECT_TRUE(config.ispy.Show_finger);
}

} // namespace Vesk
