#include "framework/resources/XMLParser.h"

#include "support/ScopedPakInterface.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::ScopedPakInterface;
using TestSupport::TempFolder;

struct Parsed
{
    std::vector<XMLElement> elements;
    bool failed = false;
    std::string error;
    int line = 0;
};

Parsed ParseFile(const std::string& name, bool allowComments = false)
{
    Parsed parsed;
    XMLParser parser;
    parser.SetAllowComments(allowComments);
    if (parser.OpenFile(name))
    {
        XMLElement element;
        while (parser.NextElement(element))
            parsed.elements.push_back(element);
    }
    parsed.failed = parser.HasFailed();
    parsed.error = parser.GetErrorText();
    parsed.line = parser.GetCurrentLineNum();
    return parsed;
}

Parsed Parse(const std::string& text, bool allowComments = false)
{
    TempFolder folder;
    folder.WriteFile("test.xml", text);
    return ParseFile("test.xml", allowComments);
}

// "type section value" per element, for compact comparisons.
std::vector<std::string> Describe(const Parsed& parsed)
{
    std::vector<std::string> lines;
    for (const XMLElement& element : parsed.elements)
        lines.push_back(std::to_string(element.type) + " " + element.section + " " + element.value);
    return lines;
}

std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes;
    for (char16_t unit : text)
    {
        char low = static_cast<char>(unit & 0xFF);
        char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

TEST(XMLParserTest, NestedTagsGiveSectionPaths)
{
    Parsed parsed = Parse("<A><B>1</B></A>");
    EXPECT_FALSE(parsed.failed);
    EXPECT_EQ(Describe(parsed), (std::vector<std::string>{"1  A", "1 A B", "3 A/B 1", "2 A/B B", "2 A A"}));

    parsed = Parse("<Common>\n  <BoardX>12</BoardX>\n  <Inner><Deep>x</Deep></Inner>\n</Common>\n");
    EXPECT_FALSE(parsed.failed);
    EXPECT_EQ(Describe(parsed),
              (std::vector<std::string>{"1  Common", "1 Common BoardX", "3 Common/BoardX 12", "2 Common/BoardX BoardX",
                                        "1 Common Inner", "1 Common/Inner Deep", "3 Common/Inner/Deep x",
                                        "2 Common/Inner/Deep Deep", "2 Common/Inner Inner", "2 Common Common"}));
    EXPECT_EQ(parsed.line, 5);
}

TEST(XMLParserTest, SelfClosingTagsAreFollowedByTheirEndTag)
{
    Parsed parsed = Parse("<Pages><Page1 face=\"x.png\" open=\"true\"/><br/><Img src=a.png/><Gap /></Pages>");
    ASSERT_FALSE(parsed.failed) << parsed.error;
    EXPECT_EQ(Describe(parsed),
              (std::vector<std::string>{"1  Pages", "1 Pages Page1", "2 Pages/Page1 Page1", "1 Pages br",
                                        "2 Pages/br br", "1 Pages Img", "2 Pages/Img Img", "1 Pages Gap",
                                        "2 Pages/Gap Gap", "2 Pages Pages"}));
    const XMLElement& page = parsed.elements[1];
    EXPECT_EQ(page.attributes, (std::map<std::string, std::string>{{"face", "x.png"}, {"open", "true"}}));
    EXPECT_EQ(parsed.elements[5].attributes, (std::map<std::string, std::string>{{"src", "a.png"}}));

    // A slash inside quotes belongs to the value and does not close the tag.
    parsed = Parse("<SetDefaults path=\"images/\">x</SetDefaults>");
    ASSERT_FALSE(parsed.failed) << parsed.error;
    EXPECT_EQ(parsed.elements[0].attributes.at("path"), "images/");
    EXPECT_EQ(Describe(parsed),
              (std::vector<std::string>{"1  SetDefaults", "3 SetDefaults x", "2 SetDefaults SetDefaults"}));
}

TEST(XMLParserTest, AttributesInEveryForm)
{
    Parsed parsed = Parse("<T plain=1 quoted=\"two words\" flag other=x again=1 again=2 spaced = \"s\" "
                          "text=\"a &amp; b &lt;c&gt;\" url=a=b empty=\"\" sym=\"<>/=\"></T>");
    ASSERT_FALSE(parsed.failed) << parsed.error;
    EXPECT_EQ(parsed.elements[0].value, "T");
    EXPECT_EQ(parsed.elements[0].attributes, (std::map<std::string, std::string>{{"plain", "1"},
                                                                                 {"quoted", "two words"},
                                                                                 {"flag", ""},
                                                                                 {"other", "x"},
                                                                                 {"again", "2"},
                                                                                 {"spaced", "s"},
                                                                                 {"text", "a & b <c>"},
                                                                                 {"url", "a=b"},
                                                                                 {"empty", ""},
                                                                                 {"sym", "<>/="}}));
}

TEST(XMLParserTest, TextWhitespaceFoldsAndEntitiesDecode)
{
    Parsed parsed = Parse("<T>  a   b  </T><T>\n\tline one\n\tline two\n</T><T>&lt;b&gt;</T><T>&foo;</T>"
                          "<T>x & y</T><T>&quot;&apos;&nbsp;&amp;&cr;</T><T>say \"a  <b>\" now</T>");
    ASSERT_FALSE(parsed.failed) << parsed.error;
    std::vector<std::string> texts;
    for (const XMLElement& element : parsed.elements)
    {
        if (element.type == XMLElement::TYPE_ELEMENT)
            texts.push_back(element.value);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"a b", "line one line two", "<b>", "&", "x & y", "\"' &\n",
                                               "say \"a  <b>\" now"}));

    EXPECT_EQ(XMLParser::XMLDecodeString("&lt;&gt;&unknown;tail&"), "<>&tail&");
    EXPECT_EQ(XMLParser::XMLDecodeString(u"&lt;b&gt; &amp;"), u"<b> &");
}

TEST(XMLParserTest, CommentsAndProcessingInstructions)
{
    const std::string text = "<?xml version=\"1.0\"?>\n<!-- note <b> -> here -->\n<A>1</A>";
    Parsed skipped = Parse(text);
    ASSERT_FALSE(skipped.failed) << skipped.error;
    EXPECT_EQ(Describe(skipped), (std::vector<std::string>{"4  ", "1  A", "3 A 1", "2 A A"}));
    EXPECT_EQ(skipped.elements[0].instruction, "xml version=\"1.0\"");

    Parsed kept = Parse(text, true);
    ASSERT_FALSE(kept.failed) << kept.error;
    ASSERT_EQ(kept.elements.size(), 5u);
    EXPECT_EQ(kept.elements[1].type, XMLElement::TYPE_COMMENT);
    EXPECT_EQ(kept.elements[1].instruction, "note <b> -> here ");
}

TEST(XMLParserTest, ErrorsCarryTheirTextAndLine)
{
    struct Case
    {
        const char* text;
        const char* error;
        int line;
    };
    for (const Case& test : {
             Case{"<A>\n<B>1</B>\n</C>", "End 'C' Doesn't Match Start 'A'", 3},
             Case{"<A><B></A></B>", "End 'A' Doesn't Match Start 'B'", 1},
             Case{"<A></A>\n</A>", "Unexpected End", 2},
             Case{"<A>\n<B x=\"1\"", "Unexpected End of File", 2},
             Case{"<A>text", "Unexpected End of File", 1},
             Case{"<A <B>", "Unexpected '<'", 1},
             Case{"<A>1 > 0</A>", "Unexpected '>'", 1},
             Case{">", "Unexpected '>'", 1},
             Case{"<A>\n\x01</A>", "Illegal Character", 2},
             Case{"<A b=\"\x7\"/>", "Illegal Character", 1},
         })
    {
        Parsed parsed = Parse(test.text);
        EXPECT_TRUE(parsed.failed) << test.text;
        EXPECT_EQ(parsed.error, test.error) << test.text;
        EXPECT_EQ(parsed.line, test.line) << test.text;
    }

    // Trailing whitespace after the last element ends the file normally.
    Parsed parsed = Parse("<A>1</A>\n  \n");
    EXPECT_FALSE(parsed.failed);
    EXPECT_EQ(parsed.elements.size(), 3u);

    parsed = ParseFile("missing.xml");
    EXPECT_TRUE(parsed.failed);
    EXPECT_EQ(parsed.error, "Unable to open file missing.xml");
    EXPECT_EQ(parsed.line, 0);
}

TEST(XMLParserTest, AFailedParserStaysStoppedUntilOpenedAgain)
{
    TempFolder folder;
    folder.WriteFile("bad.xml", "<A></B><C>");
    folder.WriteFile("good.xml", "<C/>");
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile("bad.xml"));
    XMLElement element;
    EXPECT_TRUE(parser.NextElement(element));
    EXPECT_FALSE(parser.NextElement(element));
    EXPECT_FALSE(parser.NextElement(element));
    EXPECT_EQ(parser.GetErrorText(), "End 'B' Doesn't Match Start 'A'");

    ASSERT_TRUE(parser.OpenFile("good.xml"));
    EXPECT_FALSE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "");
    EXPECT_EQ(parser.GetFileName(), "good.xml");
    ASSERT_TRUE(parser.NextElement(element));
    EXPECT_EQ(element.section, "");
    ASSERT_TRUE(parser.NextElement(element));
    EXPECT_EQ(element.type, XMLElement::TYPE_END);
    EXPECT_FALSE(parser.NextElement(element));
    EXPECT_FALSE(parser.HasFailed());
}

TEST(XMLParserTest, EncodingsReadTheSame)
{
    const std::string utf8 = "<Text lang=\"fr\">caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80</Text>\r\n<B>x</B>\r\n";
    Parsed plain = Parse(utf8);
    ASSERT_FALSE(plain.failed) << plain.error;
    EXPECT_EQ(plain.elements[1].value, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(plain.line, 3);

    std::u16string text = u"<Text lang=\"fr\">caf\u00E9 \u20AC \U0001F600</Text>\r\n<B>x</B>\r\n";
    for (const std::string& variant :
         {std::string("\xEF\xBB\xBF") + utf8, Utf16(u"\uFEFF" + text, false), Utf16(u"\uFEFF" + text, true)})
    {
        Parsed parsed = Parse(variant);
        ASSERT_FALSE(parsed.failed) << parsed.error;
        EXPECT_EQ(Describe(parsed), Describe(plain));
        EXPECT_EQ(parsed.elements[0].attributes, plain.elements[0].attributes);
        EXPECT_EQ(parsed.line, plain.line);
    }

    // A lone UTF-16 surrogate becomes the replacement character; the unit after it is kept.
    Parsed lone = Parse(Utf16(u"\uFEFF<A>", false) + std::string("\x00\xD8", 2) + Utf16(u"b</A>", false));
    ASSERT_FALSE(lone.failed) << lone.error;
    EXPECT_EQ(lone.elements[1].value, "\xEF\xBF\xBD"
                                      "b");
}

TEST(XMLParserTest, MalformedUtf8FailsAsIllegalCharacter)
{
    for (const char* bytes : {"\xC0\xAF", "\x80", "\xE2\x82", "\xED\xA0\x80", "\xEF\xBF\xBE", "\xEF\xBF\xBF",
                              "\xF4\x90\x80\x80", "\xFE", "\xC3("})
    {
        Parsed parsed = Parse(std::string("\xEF\xBB\xBF<A>") + bytes + "</A>");
        EXPECT_TRUE(parsed.failed) << bytes;
        EXPECT_EQ(parsed.error, "Illegal Character") << bytes;
    }
    // Odd length UTF-16: half a character at the end.
    Parsed parsed = Parse(Utf16(u"\uFEFF<A/>", false) + "x");
    EXPECT_TRUE(parsed.failed);
    EXPECT_EQ(parsed.error, "Illegal Character");
}

TEST(XMLParserTest, ReadsFilesInsideTheArchive)
{
    TempFolder folder;
    ScopedPakInterface pak;
    const std::string text = "<Common>\r\n  <BoardX>12</BoardX>\r\n</Common>\r\n";
    TestSupport::WritePakFile(folder / "main.pak", {{"properties\\config.xml", text}});
    folder.WriteFile("loose.xml", text);
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    Parsed packed = ParseFile("properties/config.xml");
    Parsed loose = ParseFile("loose.xml");
    ASSERT_FALSE(packed.failed) << packed.error;
    EXPECT_EQ(Describe(packed), Describe(loose));
    EXPECT_EQ(packed.line, 4);
    EXPECT_EQ(Describe(packed)[2], "3 Common/BoardX 12");
}

} // namespace
} // namespace Vesk
