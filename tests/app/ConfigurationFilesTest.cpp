#include "app/GameConfig.h"
#include "app/LocalTexts.h"
#include "app/StringConversion.h"
#include "support/XmlTextScanner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

// Checks of the publication's hand-written configuration files: every key the game reads is
// present exactly once, every value reads cleanly, and the layout fits the 800 x 600 screen.

namespace Vesk
{

namespace
{

using TestSupport::XmlTextScanner;

const std::string contentMarker =
    "<!-- Content records: pages, titles, mini-game entries, bonuses, sets, desk items, camera paths. -->";

std::string ReadDataFile(const std::string& relativePath)
{
    std::ifstream file(std::string(ORLO_DATA_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// Problems that would trip the game's reader or its fonts: bytes outside printable ASCII,
// comments not written "<!-- text -->", text holding characters that the reader treats as
// markup (a double quote would swallow the following tags).
void ExpectReadableByTheGame(const std::string& content, const std::string& fileName)
{
    for (size_t i = 0; i < content.size(); ++i)
    {
        const unsigned char character = static_cast<unsigned char>(content[i]);
        const bool allowed = (character >= 32 && character < 127) || character == '\n';
        if (!allowed)
        {
            ADD_FAILURE() << fileName << ": byte " << static_cast<int>(character) << " at offset " << i;
            break;
        }
    }
    EXPECT_EQ(content.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n", 0), 0u) << fileName;
    EXPECT_FALSE(content.empty() || content.back() != '\n') << fileName << " must end with a line feed";
}

void ExpectPlainText(const XmlTextScanner::TextElement& element, const std::string& fileName)
{
    EXPECT_EQ(element.text.find_first_of("\"<>"), std::string::npos)
        << fileName << " line " << element.line << ": " << element.path;
}

} // namespace

TEST(ConfigurationFilesTest, ConfigSetsEveryTypedKeyOnceWithAWellFormedValue)
{
    const std::string content = ReadDataFile("properties/config.xml");
    ASSERT_FALSE(content.empty()) << "properties/config.xml is missing";
    ExpectReadableByTheGame(content, "config.xml");

    // The typed sections come first; the content records follow the marker line.
    const size_t marker = content.find("\n" + contentMarker + "\n");
    ASSERT_NE(marker, std::string::npos) << "the content marker line is missing";
    EXPECT_EQ(content.find(contentMarker, marker + 1 + contentMarker.size()), std::string::npos)
        << "the content marker occurs twice";
    const XmlTextScanner typedPart(content.substr(0, marker + 1));
    ASSERT_EQ(typedPart.Error(), "");
    const XmlTextScanner wholeFile(content);
    ASSERT_EQ(wholeFile.Error(), "");

    std::map<std::string, int> occurrences;
    GameConfig config;
    config.ResetBeforeRead();
    for (const XmlTextScanner::TextElement& element : typedPart.Elements())
    {
        ++occurrences[element.path];
        const GameConfig::Key* key = GameConfig::FindKey(element.path);
        if (key == nullptr)
        {
            ADD_FAILURE() << "line " << element.line << ": " << element.path << " is not a configuration key";
            continue;
        }
        int intValue = 0;
        double doubleValue = 0.0;
        switch (key->type)
        {
        case GameConfig::ValueType::Int:
            EXPECT_TRUE(StringToInt(element.text, intValue)) << element.path << " = " << element.text;
            break;
        case GameConfig::ValueType::Double:
            EXPECT_TRUE(StringToDouble(element.text, doubleValue)) << element.path << " = " << element.text;
            break;
        case GameConfig::ValueType::Bool:
            EXPECT_TRUE(element.text == "true" || element.text == "false") << element.path << " = " << element.text;
            break;
        }
        EXPECT_TRUE(config.Apply(element.path, element.text));
    }
    for (const GameConfig::Key& key : GameConfig::Catalogue())
        EXPECT_EQ(occurrences[std::string(key.path)], 1) << key.path;

    // The content records that follow must not set typed keys again.
    std::map<std::string, int> occurrencesInFile;
    for (const XmlTextScanner::TextElement& element : wholeFile.Elements())
        ++occurrencesInFile[element.path];
    for (const GameConfig::Key& key : GameConfig::Catalogue())
        EXPECT_EQ(occurrencesInFile[std::string(key.path)], 1) << key.path << " is set again after the marker";

    // Values tied to the publication's content.
    EXPECT_EQ(config.pages.PagesNumber, 20);
    EXPECT_EQ(config.pages.TitlesNumber, 15);
    EXPECT_EQ(config.pages.MGNumber, 8);
}

TEST(ConfigurationFilesTest, ConfigLayoutFitsTheScreen)
{
    const XmlTextScanner scan(ReadDataFile("properties/config.xml"));
    ASSERT_EQ(scan.Error(), "");
    GameConfig config;
    for (const XmlTextScanner::TextElement& element : scan.Elements())
        config.Apply(element.path, element.text);

    // The page picture (767 x 588) lies wholly on the 800 x 600 screen.
    const GameConfig::CommonSection& common = config.common;
    EXPECT_GE(common.BoardX, 0);
    EXPECT_GE(common.BoardY, 0);
    EXPECT_LE(common.BoardX + 767, 800);
    EXPECT_LE(common.BoardY + 588, 600);
    EXPECT_LT(config.pages.ContentsX, common.BoardX) << "the contents bookmark sticks out left of the page";

    auto onScreen = [](int x, int y) { return x >= 0 && x < 800 && y >= 0 && y < 600; };
    auto onPage = [](int x, int y) { return x >= 0 && x < 767 && y >= 0 && y < 532; };
    const GameConfig::PagesSection& pages = config.pages;
    EXPECT_TRUE(onPage(pages.ProfileX, pages.ProfileY));
    EXPECT_TRUE(onPage(pages.OptionsX, pages.OptionsY));
    EXPECT_TRUE(onPage(pages.MinigamesX, pages.MinigamesY));
    EXPECT_TRUE(onPage(pages.CreditsX, pages.CreditsY));
    EXPECT_TRUE(onPage(pages.PlayX, pages.PlayY));
    EXPECT_TRUE(onPage(pages.ExitX, pages.ExitY));
    EXPECT_TRUE(onPage(config.desktop.STAMPX, config.desktop.STAMPY));
    EXPECT_TRUE(onPage(config.desktop.STAMP_WX, config.desktop.STAMP_WY));
    EXPECT_TRUE(onScreen(common.ListX1, common.ListY));
    EXPECT_TRUE(onScreen(common.ListX3, common.ListY));
    EXPECT_TRUE(onScreen(config.ispy.BPX, config.ispy.BPY));

    // Dialogs rest on the screen.
    const GameConfig::GraphicsSection& graphics = config.graphics;
    for (const auto& [x, y] : {std::pair{graphics.OX_, graphics.OY_}, std::pair{graphics.PX_, graphics.PY_},
                               std::pair{graphics.XX_, graphics.XY_}, std::pair{graphics.WX_, graphics.WY_},
                               std::pair{graphics.EX_, graphics.EY_}, std::pair{graphics.LX_, graphics.LY_},
                               std::pair{graphics.DX_, graphics.DY_}})
        EXPECT_TRUE(onScreen(x, y)) << x << ", " << y;
    // Slides advance and end: steps per update in (0, 1].
    for (double step :
         {graphics.OANIM,        graphics.ODANIM,        graphics.PANIM,  graphics.PDANIM, graphics.XANIM,
          graphics.XDANIM,       graphics.WANIM,         graphics.WDANIM, graphics.EANIM,  graphics.EDANIM,
          graphics.LANIM,        graphics.LDANIM,        graphics.DANIM,  graphics.DDANIM, graphics.BDT,
          config.desktop.DSpeed, config.desktop.DSSpeed, pages.CDT,       pages.CLDT,      pages.CLDT1,
          pages.CLDT2,           pages.BlurSpeed,        pages.SDT,       config.ispy.DT})
    {
        EXPECT_GT(step, 0.0);
        EXPECT_LE(step, 1.0);
    }

    // Colour channels are bytes.
    for (int channel : {common.ListTr,
                        common.ListTg,
                        common.ListTb,
                        common.COVERC,
                        graphics.ebgr,
                        graphics.ebgg,
                        graphics.ebgb,
                        graphics.ebga,
                        graphics.lbgr,
                        graphics.lbgg,
                        graphics.lbgb,
                        graphics.lbga,
                        graphics.lor,
                        graphics.log,
                        graphics.lob,
                        graphics.lptr,
                        graphics.lptg,
                        graphics.lptb,
                        graphics.lmor,
                        graphics.lmog,
                        graphics.lmob,
                        graphics.lbsr,
                        graphics.lbsg,
                        graphics.lbsb,
                        graphics.lbur,
                        graphics.lbug,
                        graphics.lbub,
                        graphics.dbcr,
                        graphics.dbcg,
                        graphics.dbcb,
                        graphics.dhcr,
                        graphics.dhcg,
                        graphics.dhcb,
                        graphics.dtcr,
                        graphics.dtcg,
                        graphics.dtcb,
                        graphics.dlcr,
                        graphics.dlcg,
                        graphics.dlcb,
                        graphics.mcr,
                        graphics.mcg,
                        graphics.mcb,
                        graphics.mca,
                        graphics.RED1,
                        graphics.RED2,
                        graphics.RED3,
                        pages.opr,
                        pages.opg,
                        pages.opb,
                        pages.cpr,
                        pages.cpg,
                        pages.cpb,
                        config.desktop.STAMP_Wr,
                        config.desktop.STAMP_Wg,
                        config.desktop.STAMP_Wb,
                        config.miniGameLast.UNDERTITLE})
    {
        EXPECT_GE(channel, 0);
        EXPECT_LE(channel, 255);
    }

    // Timings that must be ordered to make sense.
    EXPECT_LT(pages.REPLAY_A, pages.REPLAY_B);
    EXPECT_LT(pages.REPLAY_B, pages.REPLAY_C);
    EXPECT_LT(pages.REPLAY_C, pages.REPLAY_D);
    EXPECT_GT(pages.Bgt, pages.Bgl);
    EXPECT_GT(config.desktop.STAMPT, config.desktop.STAMP_WT);
    EXPECT_LT(config.ispy.st0, config.ispy.st2);
    EXPECT_LT(config.ispy.st1, config.ispy.st2);
    EXPECT_LT(config.ispy.n1_, config.ispy.n2_);
    EXPECT_LT(config.ispy.n2_, config.ispy.n3_);
    EXPECT_LT(config.miniGame5.SLy, config.miniGame5.SLY);
    EXPECT_LT(config.miniGame8.Gx, config.miniGame8.GX);
    EXPECT_LT(config.miniGame9.Lx, config.miniGame9.LX);
    EXPECT_LE(config.miniGame9.LIt, config.miniGame9.LIT);
    EXPECT_GE(config.miniGame2.rounds, 1);
    EXPECT_LE(config.miniGame2.rounds, 8);
    EXPECT_GE(config.miniGame3.rounds, 1);
    EXPECT_LE(config.miniGame3.rounds, 8);
    EXPECT_GE(config.miniGame4.rounds, 1);
    EXPECT_LE(config.miniGame4.rounds, 8);
    EXPECT_GE(config.miniGame5.rounds, 1);
    EXPECT_LE(config.miniGame5.rounds, 8);
    EXPECT_GE(config.miniGame6.rounds, 1);
    EXPECT_LE(config.miniGame6.rounds, 8);
}

TEST(ConfigurationFilesTest, LocalSetsEveryTextOnceAndTitlesFollowThePagePlan)
{
    const std::string content = ReadDataFile("properties/local.xml");
    ASSERT_FALSE(content.empty()) << "properties/local.xml is missing";
    ExpectReadableByTheGame(content, "local.xml");
    const XmlTextScanner scan(content);
    ASSERT_EQ(scan.Error(), "");

    std::map<std::string, int> occurrences;
    std::map<LocalTexts::IndexedKind, std::map<int, int>> indexedRows;
    LocalTexts texts;
    for (const XmlTextScanner::TextElement& element : scan.Elements())
    {
        ExpectPlainText(element, "local.xml");
        ++occurrences[element.path];
        const LocalTexts::IndexedKey indexed = LocalTexts::ParseIndexedKey(element.path);
        if (indexed.kind != LocalTexts::IndexedKind::None)
            ++indexedRows[indexed.kind][indexed.row];
        else
            EXPECT_TRUE(texts.Apply(element.path, element.text))
                << "line " << element.line << ": " << element.path << " is read by nothing";
    }
    for (const LocalTexts::Key& key : LocalTexts::Catalogue())
    {
        EXPECT_EQ(occurrences[std::string(key.path)], 1) << key.path;
        EXPECT_FALSE(key.field(texts)->empty()) << key.path;
    }
    EXPECT_EQ(texts.common.default_name, "Traveller");

    // Contents titles for pages 3..17 and the eight mini-game entries, each title with its text.
    using Kind = LocalTexts::IndexedKind;
    for (Kind kind : {Kind::ContentsTitle, Kind::ContentsBody, Kind::MiniGameTitle, Kind::MiniGameBody})
    {
        const int expectedRows = kind == Kind::ContentsTitle || kind == Kind::ContentsBody ? 15 : 8;
        const std::map<int, int>& rows = indexedRows[kind];
        EXPECT_EQ(static_cast<int>(rows.size()), expectedRows) << static_cast<int>(kind);
        for (int row = 0; row < expectedRows; ++row)
        {
            const auto found = rows.find(row);
            EXPECT_TRUE(found != rows.end() && found->second == 1) << static_cast<int>(kind) << " row " << row;
        }
    }
}

TEST(ConfigurationFilesTest, ScannerRejectsWhatTheGameCannotRead)
{
    EXPECT_NE(XmlTextScanner("<A><!--no space --></A>").Error(), "");
    EXPECT_NE(XmlTextScanner("<A><B>1</A></B>").Error(), "");
    EXPECT_NE(XmlTextScanner("<A><B>1</B>").Error(), "");
    EXPECT_NE(XmlTextScanner("stray<A></A>").Error(), "");
    const XmlTextScanner good("<?xml version=\"1.0\"?>\n<A>\n  <!-- note -->\n  <B>  one\n two </B><C x=\"1\"/></A>");
    ASSERT_EQ(good.Error(), "");
    ASSERT_EQ(good.Elements().size(), 1u);
    EXPECT_EQ(good.Elements()[0].path, "A/B");
    EXPECT_EQ(good.Elements()[0].text, "one two");
    EXPECT_EQ(good.Elements()[0].line, 4);
}

} // namespace Vesk
