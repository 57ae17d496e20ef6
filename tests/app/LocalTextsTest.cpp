#include "app/LocalTexts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace Vesk
{

namespace
{

// The named texts of local.xml as the game's design lists them.
std::vector<std::string> ExpectedTextKeys()
{
    std::vector<std::string> keys;
    for (const char* name : {"list_new",
                             "list_ok",
                             "list_delete",
                             "list_cancel",
                             "list_nosel",
                             "list_delsel",
                             "list_lastsel",
                             "list_del_confirm",
                             "list_add_name",
                             "list_exists_name",
                             "list_full",
                             "edit_button1",
                             "edit_button2",
                             "message_dialog",
                             "message_button",
                             "confirm_dialog",
                             "confirm_button1",
                             "confirm_button2",
                             "menu_list_dialog",
                             "options_button3",
                             "options_control1",
                             "options_control2",
                             "options_control3",
                             "options_control4",
                             "options_control5",
                             "options_control6",
                             "pause_message",
                             "pause_exit",
                             "pause_continue",
                             "exit",
                             "exit2",
                             "loading",
                             "rest",
                             "rest1",
                             "rest2",
                             "rest3",
                             "rest4",
                             "pizza",
                             "game"})
        keys.push_back(std::string("Interface/") + name);
    for (const char* name :
         {"ISpy", "MG1a", "MG1b", "MG1c", "MG2", "MG3", "MG4", "MG5", "MG6", "MG7", "MG8", "MG9", "MGLast"})
        keys.push_back(std::string("Objectives/") + name);
    for (int n = 0; n <= 5; ++n)
        keys.push_back("Tries/tries" + std::to_string(n));
    keys.push_back("Common/default_name");
    return keys;
}

} // namespace

TEST(LocalTextsTest, EveryListedTextHasItsOwnField)
{
    const std::vector<std::string> expected = ExpectedTextKeys();
    const auto catalogue = LocalTexts::Catalogue();
    ASSERT_EQ(catalogue.size(), expected.size());
    LocalTexts texts;
    std::set<const std::string*> fields;
    for (size_t i = 0; i < catalogue.size(); ++i)
    {
        EXPECT_EQ(catalogue[i].path, expected[i]);
        EXPECT_TRUE(fields.insert(catalogue[i].field(texts)).second) << catalogue[i].path;
        // Apply writes exactly the field the row names.
        EXPECT_TRUE(texts.Apply(expected[i], "text " + std::to_string(i)));
        EXPECT_EQ(*catalogue[i].field(texts), "text " + std::to_string(i));
    }
    EXPECT_EQ(texts.interface.list_new, "text 0");
    EXPECT_EQ(texts.interface.game, "text 38");
    EXPECT_EQ(texts.objectives.ISpy, "text 39");
    EXPECT_EQ(texts.objectives.MGLast, "text 51");
    EXPECT_EQ(texts.tries.tries0, "text 52");
    EXPECT_EQ(texts.common.default_name, "text 58");
}

TEST(LocalTextsTest, ApplyKeepsTheLaterTextAndIgnoresOtherKeys)
{
    LocalTexts texts;
    EXPECT_TRUE(texts.Apply("Interface/exit", "Leave the journal?"));
    EXPECT_TRUE(texts.Apply("Interface/exit", "Close the journal and leave?"));
    EXPECT_EQ(texts.interface.exit, "Close the journal and leave?");
    EXPECT_TRUE(texts.Apply("Common/default_name", ""));
    EXPECT_EQ(texts.common.default_name, "");

    EXPECT_FALSE(texts.Apply("Interface/Exit", "x"));
    EXPECT_FALSE(texts.Apply("Titles/Title3", "x"));
    EXPECT_FALSE(texts.Apply("MG_Titles/Text1", "x"));
    EXPECT_FALSE(texts.Apply("Tries/tries6", "x"));
    EXPECT_FALSE(texts.Apply("Interface", "x"));
    EXPECT_EQ(texts.interface.exit, "Close the journal and leave?");
}

TEST(LocalTextsTest, IndexedKeysGiveTheirKindAndRow)
{
    using Kind = LocalTexts::IndexedKind;
    struct Case
    {
        const char* key;
        Kind kind;
        int row;
    };
    const Case cases[] = {
        {"Titles/Title3", Kind::ContentsTitle, 0},
        {"Titles/Text3", Kind::ContentsBody, 0},
        {"Titles/Title17", Kind::ContentsTitle, 14},
        {"Titles/Text130", Kind::ContentsBody, 127},
        {"MG_Titles/Title1", Kind::MiniGameTitle, 0},
        {"MG_Titles/Text8", Kind::MiniGameBody, 7},
        {"MG_Titles/Title128", Kind::MiniGameTitle, 127},
        // Out of range or not written as "%d" writes a number.
        {"Titles/Title2", Kind::None, -1},
        {"Titles/Title131", Kind::None, -1},
        {"Titles/Title0", Kind::None, -1},
        {"Titles/Title03", Kind::None, -1},
        {"Titles/Title-3", Kind::None, -1},
        {"Titles/Title+3", Kind::None, -1},
        {"Titles/Title3a", Kind::None, -1},
        {"Titles/Title", Kind::None, -1},
        {"Titles/Title99999999999", Kind::None, -1},
        {"MG_Titles/Title0", Kind::None, -1},
        {"MG_Titles/Text129", Kind::None, -1},
        {"Titles/title3", Kind::None, -1},
        {"Pages/Title3", Kind::None, -1},
        {"X/Titles/Title3", Kind::None, -1},
        {"Interface/list_ok", Kind::None, -1},
    };
    for (const Case& item : cases)
    {
        const LocalTexts::IndexedKey key = LocalTexts::ParseIndexedKey(item.key);
        EXPECT_EQ(key.kind, item.kind) << item.key;
        EXPECT_EQ(key.row, item.row) << item.key;
    }
}

} // namespace Vesk
