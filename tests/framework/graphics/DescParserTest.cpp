#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/ListDataElement.h"
#include "framework/graphics/SingleDataElement.h"
#include "framework/resources/ImageData.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace Vesk
{

namespace
{

class PopupRecorder : public VeskAppBase
{
public:
    int Popup(const std::string& text) override
    {
        popups.push_back(text);
        return 1;
    }
    std::vector<std::string> popups;
};

// Layer pictures for descriptors: 64 x 16, except names containing "missing".
std::shared_ptr<const ImageData> FakePicture(const std::string& path)
{
    if (path.find("missing") != std::string::npos)
        return nullptr;
    return std::make_shared<ImageData>(64, 16);
}

std::shared_ptr<FontData> Parse(const std::string& text, VeskAppBase* app = nullptr)
{
    auto data = std::make_shared<FontData>();
    data->imageLoader = FakePicture;
    (void)data->LoadFromText(app, "fonts/test.txt", text);
    return data;
}

// A list written back as text, quotes kept: ("a" (1 2)) -> [a,[1,2]]
std::string Show(const DataElement& element)
{
    if (!element.isList)
        return static_cast<const SingleDataElement&>(element).value;
    std::string text = "[";
    const auto& items = static_cast<const ListDataElement&>(element).elements;
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (i > 0)
            text += ',';
        text += Show(*items[i]);
    }
    text += ']';
    return text;
}

std::string Tokenize(const std::string& text, std::string* error = nullptr)
{
    FontData parser;
    ListDataElement list;
    size_t position = 0;
    if (!parser.ParseToList(text, list, false, position))
    {
        if (error != nullptr)
            *error = parser.errorText;
        return "<failed>";
    }
    return Show(list);
}

} // namespace

TEST(DescParserTest, TokensListsQuotesAndEscapes)
{
    EXPECT_EQ(Tokenize("Cmd a,b\tc\nd"), "[Cmd,a,b,c,d]");
    EXPECT_EQ(Tokenize("x (1 (2 3) ) ()"), "[x,[1,[2,3]],[]]");
    EXPECT_EQ(Tokenize("'a b' \"c,d\" 'it''s' \"(\""), "['a b',\"c,d\",'it''s',\"(\"]");
    EXPECT_EQ(Tokenize("a\\ b \\( '\\''"), "[a b,(,''']");
    EXPECT_EQ(Tokenize("ab'c d'e"), "[ab'c d'e]");

    std::string error;
    EXPECT_EQ(Tokenize("a(b)", &error), "<failed>");
    EXPECT_EQ(error, "Unexpected List Start");
    EXPECT_EQ(Tokenize("a b)", &error), "<failed>");
    EXPECT_EQ(error, "Unexpected List End");
    EXPECT_EQ(Tokenize("a 'b", &error), "<failed>");
    EXPECT_EQ(error, "Unterminated Single Quotes");
    EXPECT_EQ(Tokenize("a \"b", &error), "<failed>");
    EXPECT_EQ(error, "Unterminated Double Quotes");
    EXPECT_EQ(Tokenize("a (b (c)", &error), "<failed>");
    EXPECT_EQ(error, "Unterminated List");
}

TEST(DescParserTest, UnquotingAndNumbers)
{
    EXPECT_EQ(DescParser::Unquote("'it''s'"), "it's");
    EXPECT_EQ(DescParser::Unquote("\"say \"\"hi\"\"\""), "say \"hi\"");
    EXPECT_EQ(DescParser::Unquote("plain"), "plain");
    EXPECT_EQ(DescParser::Unquote("'"), "");
    EXPECT_TRUE(DescParser::IsImmediate("-3"));
    EXPECT_TRUE(DescParser::IsImmediate("+3"));
    EXPECT_TRUE(DescParser::IsImmediate("'x'"));
    EXPECT_FALSE(DescParser::IsImmediate("Main"));

    int value = 1;
    EXPECT_TRUE(DescParser::StringToInt("-42", value));
    EXPECT_EQ(value, -42);
    EXPECT_TRUE(DescParser::StringToInt("0xFF00ff00", value));
    EXPECT_EQ(uint32_t(value), 0xFF00FF00u);
    EXPECT_FALSE(DescParser::StringToInt("+5", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(DescParser::StringToInt("12px", value));
    EXPECT_FALSE(DescParser::StringToInt("-", value));
    double real = 1;
    EXPECT_TRUE(DescParser::StringToDouble("-0.25", real));
    EXPECT_DOUBLE_EQ(real, -0.25);
    EXPECT_FALSE(DescParser::StringToDouble("1e3", real));
    EXPECT_EQ(real, 0.0);
}

TEST(DescParserTest, CommentsQuotedSemicolonsAndLetterCase)
{
    auto data = Parse("# a comment; with a semicolon\n"
                      "   # an indented comment\n"
                      "Define Text \"a;b\";\n"
                      "createlayer Main; LAYERSETHEIGHT main 7;\n"
                      "layersetheight MAIN 9 ;");
    ASSERT_TRUE(data->loaded) << data->errorReport;
    EXPECT_EQ(Show(*data->GetDefine("text")), "\"a;b\"");
    ASSERT_NE(data->GetLayer("Main"), nullptr);
    EXPECT_EQ(data->GetLayer("mAIN")->height, 9);
}

TEST(DescParserTest, DefinesAreCopiedAndExpanded)
{
    auto data = Parse("Define X (1 2 3);\n"
                      "Define Y X;\n"
                      "Define Q 'q';\n"
                      "Define Nested (X (Q 4) \"five\");\n"
                      "Define X (9);\n"
                      "CreateHorzSpanRectList Spans (10 5 0 8) (3 4 5);");
    ASSERT_TRUE(data->loaded) << data->errorReport;
    EXPECT_EQ(Show(*data->GetDefine("Y")), "[1,2,3]");
    EXPECT_EQ(Show(*data->GetDefine("X")), "[9]");
    EXPECT_EQ(Show(*data->GetDefine("Q")), "'q'");
    EXPECT_EQ(Show(*data->GetDefine("nested")), "[[1,2,3],[q,4],five]");
    EXPECT_EQ(Show(*data->GetDefine("Spans")), "[[10,5,3,8],[13,5,4,8],[17,5,5,8]]");
    EXPECT_EQ(data->GetDefine("Undefined"), nullptr);
}

TEST(DescParserTest, ColoursFromIntegersAndRealLists)
{
    auto data = Parse("CreateLayer A; LayerSetColorMult A 0x00FF0000; LayerSetColorAdd A (1 0 0 0.5);"
                      "Define Blue (0 0 1 1); CreateLayer B; LayerSetColorMult B Blue; LayerSetColorAdd B 0x80102030;");
    ASSERT_TRUE(data->loaded) << data->errorReport;
    EXPECT_EQ(data->GetLayer("A")->colorMult, 0xFFFF0000u);
    EXPECT_EQ(data->GetLayer("A")->colorAdd, 0x7FFF0000u);
    EXPECT_EQ(data->GetLayer("B")->colorMult, 0xFF0000FFu);
    EXPECT_EQ(data->GetLayer("B")->colorAdd, 0x80102030u);

    EXPECT_FALSE(Parse("CreateLayer A; LayerSetColorMult A (1 0 0);")->loaded);
    EXPECT_FALSE(Parse("CreateLayer A; LayerSetColorMult A red;")->loaded);
}

TEST(DescParserTest, LayerCommandsFillTheLayer)
{
    auto data = Parse("SetDefaultPointSize 14;\n"
                      "SetCharMap ('a' 'b') ('A' 'B');\n"
                      "CreateLayer Main;\n"
                      "LayerSetImage Main 'atlas.png';\n"
                      "CreateHorzSpanRectList Rects (0 0 0 10) (5 6);\n"
                      "LayerSetImageMap Main ('A' \"'\") Rects;\n"
                      "LayerSetCharWidths Main ('A' \"'\") (6 3);\n"
                      "LayerSetCharOffsets Main ('A' \"'\") ((1 -2) (0 3));\n"
                      "LayerSetKerningPairs Main ('AV' \"A'\") (-2 200);\n"
                      "LayerSetCharOrders Main ('A') (5);\n"
                      "LayerSetBaseOrder Main -3; LayerSetSpacing Main 1; LayerSetDrawMode Main 1;\n"
                      "LayerSetOffset Main (4 -1); LayerPointRange Main 8 -1; LayerSetPointSize Main 16;\n"
                      "LayerSetAscent Main 9; LayerSetAscentPadding Main 2; LayerSetLineSpacingOffset Main -1;\n"
                      "LayerRequireTags Main ('bold' 'big'); LayerExcludeTags Main ('Thin');\n"
                      "CreateLayerFrom Shadow Main; LayerSetDrawMode Shadow 0;");
    ASSERT_TRUE(data->loaded) << data->errorReport;
    EXPECT_EQ(data->defaultPointSize, 14);
    EXPECT_EQ(data->charMap['a'], 'A');
    EXPECT_EQ(data->charMap['b'], 'B');
    EXPECT_EQ(data->charMap['c'], 'c');

    const FontLayer& main = *data->GetLayer("main");
    EXPECT_EQ(main.imageFile, "fonts/atlas.png");
    EXPECT_EQ(main.chars['A'].imageRect, (FontRect{0, 0, 5, 10}));
    EXPECT_EQ(main.chars['\''].imageRect, (FontRect{5, 0, 6, 10}));
    EXPECT_EQ(main.chars['A'].width, 6);
    EXPECT_EQ(main.chars['A'].offsetX, 1);
    EXPECT_EQ(main.chars['A'].offsetY, -2);
    EXPECT_EQ(main.chars['A'].kerning['V'], -2);
    EXPECT_EQ(main.chars['A'].kerning['\''], int8_t(200 - 256));
    EXPECT_EQ(main.chars['A'].order, 5);
    EXPECT_EQ(main.defaultHeight, 10); // offsets set after the map do not change it
    EXPECT_EQ(main.baseOrder, -3);
    EXPECT_EQ(main.spacing, 1);
    EXPECT_EQ(main.drawMode, 1);
    EXPECT_EQ(main.offsetX, 4);
    EXPECT_EQ(main.offsetY, -1);
    EXPECT_EQ(main.minPointSize, 8);
    EXPECT_EQ(main.maxPointSize, -1);
    EXPECT_EQ(main.pointSize, 16);
    EXPECT_EQ(main.ascent, 9);
    EXPECT_EQ(main.ascentPadding, 2);
    EXPECT_EQ(main.lineSpacingOffset, -1);
    EXPECT_EQ(main.requiredTags, (std::vector<std::string>{"BOLD", "BIG"}));
    EXPECT_EQ(main.excludedTags, std::vector<std::string>{"THIN"});

    const FontLayer& shadow = *data->GetLayer("SHADOW");
    EXPECT_EQ(shadow.drawMode, 0);
    EXPECT_EQ(shadow.chars['A'].kerning['V'], -2);
    EXPECT_EQ(shadow.image, main.image);
    EXPECT_EQ(data->layers.size(), 2u);
}

TEST(DescParserTest, EveryErrorIsReportedWithTheCommandAndItsLine)
{
    struct Case
    {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"Bogus 1;", "Unknown Command"},
        {"CreateLayer;", "Invalid Number of Parameters"},
        {"CreateLayer A B;", "Invalid Number of Parameters"},
        {"SetDefaultPointSize abc;", "Invalid Paramater Type"},
        {"SetDefaultPointSize (1);", "Invalid Paramater Type"},
        {"CreateLayer A; LayerSetDrawMode A 2;", "Invalid Paramater Type"},
        {"CreateLayer A; LayerSetOffset A (1 2 3);", "Invalid Paramater Type"},
        {"CreateLayer A; LayerSetCharWidths A ('ab') (1);", "Invalid Paramater Type"},
        {"CreateLayer A; LayerSetKerningPairs A ('A') (1);", "Invalid Paramater Type"},
        {"Define 1x 2;", "Invalid Paramater Type"},
        {"CreateLayer A; LayerSetCharWidths A ('a' 'b') (1);", "List Size Mismatch"},
        {"SetCharMap ('a') ('b' 'c');", "List Size Mismatch"},
        {"CreateLayer A; LayerSetImage A 'missing.png';", "Failed to Load Image"},
        {"CreateLayer A; LayerSetImage A 'a.png'; LayerSetImageMap A ('a' 'b') ((0 0 4 4) (60 0 5 4));",
         "Image rectangle out of bounds"},
        {"CreateLayer A; LayerSetImage A 'a.png'; LayerSetImageMap A ('a') ((0 -1 4 4));",
         "Image rectangle out of bounds"},
        {"CreateLayer A; LayerSetImageMap A ('a') ((0 0 1 1));", "Layer image not set"},
        {"(a b) c;", "Missing Command"},
        {"Define X a);", "Unexpected List End"},
        {"Define X a(b);", "Unexpected List Start"},
        {"Define X 'abc;", "Unterminated Single Quotes"},
        {"Define X \"abc;", "Unterminated Double Quotes"},
        {"Define X (a b;", "Unterminated List"},
        {"Define X (1 Y);", "Unable to Dereference \"Y\""},
        {"CreateLayer A; LayerSetCharWidths A Chars (1);", "Invalid Paramater Type"},
    };
    for (const Case& test : cases)
    {
        PopupRecorder app;
        auto data = Parse(test.text, &app);
        EXPECT_FALSE(data->loaded) << test.text;
        EXPECT_EQ(data->errorText, test.message) << test.text;
        ASSERT_EQ(app.popups.size(), 1u) << test.text;
        EXPECT_EQ(app.popups[0], data->errorReport);
        EXPECT_EQ(app.popups[0].rfind("Font Descriptor Error in fonts/test.txt\r\n" + std::string(test.message) +
                                          " on Line 1:\r\n\r\n",
                                      0),
                  0u)
            << app.popups[0];
    }

    // The line is the one where the failing command began (not the end of the one before);
    // the command text follows, without the indentation of its lines.
    PopupRecorder app;
    auto data = Parse("CreateLayer A;\n\n# note\nLayerSetHeight\n  A\n  tall;", &app);
    EXPECT_FALSE(data->loaded);
    ASSERT_EQ(app.popups.size(), 1u);
    EXPECT_EQ(app.popups[0], "Font Descriptor Error in fonts/test.txt\r\nInvalid Paramater Type on Line 4:\r\n\r\n"
                             "LayerSetHeight\nA\ntall");
}

TEST(DescParserTest, UndefinedLayersAndDuplicateNames)
{
    PopupRecorder app;
    auto data = Parse("LayerSetHeight Nope 3;", &app);
    EXPECT_FALSE(data->loaded);
    ASSERT_EQ(app.popups.size(), 2u);
    EXPECT_NE(app.popups[0].find("Undefined Layer"), std::string::npos);
    EXPECT_NE(app.popups[1].find("Invalid Paramater Type"), std::string::npos);

    // A second layer of the same name is reported, stays unnamed, and the load goes on.
    app.popups.clear();
    data = Parse("CreateLayer A; LayerSetHeight A 1; CreateLayer a; SetDefaultPointSize 12;", &app);
    EXPECT_TRUE(data->loaded);
    ASSERT_EQ(app.popups.size(), 1u);
    EXPECT_NE(app.popups[0].find("Layer Already Exists"), std::string::npos);
    EXPECT_EQ(data->layers.size(), 2u);
    EXPECT_EQ(data->GetLayer("A")->height, 1);
    EXPECT_EQ(data->defaultPointSize, 12);
}

TEST(DescParserTest, DescriptorFilesAndTheirPicturesAreReadThroughTheFileLayer)
{
    TestSupport::TempFolder folder;
    FontData missing;
    EXPECT_FALSE(missing.Load(nullptr, "fonts/none.txt"));
    EXPECT_FALSE(missing.loaded);
    EXPECT_EQ(missing.errorText, "");

    folder.WriteFile("fonts/one.txt", "CreateLayer Main;\r\nLayerSetImage Main \"atlas\";\r\nLayerSetHeight Main 4;");
    FontData data;
    std::vector<std::string> asked;
    data.imageLoader = [&](const std::string& path)
    {
        asked.push_back(path);
        return std::make_shared<const ImageData>(4, 4);
    };
    ASSERT_TRUE(data.Load(nullptr, "fonts/one.txt")) << data.errorReport;
    EXPECT_EQ(asked, std::vector<std::string>{"fonts/atlas"});
    EXPECT_EQ(data.GetLayer("main")->height, 4);
    EXPECT_FALSE(data.Load(nullptr, "fonts/one.txt")) << "loads only once";
}

} // namespace Vesk
