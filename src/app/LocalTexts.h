#pragma once

#include <span>
#include <string>
#include <string_view>

namespace Vesk
{

// The texts of local.xml that screens and dialogs show, one list per section:
// TEXT(member, Section, name) is the field LocalTexts::member.name, read from the key
// "Section/name".
#define ORLO_LOCAL_TEXTS_INTERFACE(TEXT)                                                                               \
    TEXT(interface, Interface, list_new)                                                                               \
    TEXT(interface, Interface, list_ok)                                                                                \
    TEXT(interface, Interface, list_delete)                                                                            \
    TEXT(interface, Interface, list_cancel)                                                                            \
    TEXT(interface, Interface, list_nosel)                                                                             \
    TEXT(interface, Interface, list_delsel)                                                                            \
    TEXT(interface, Interface, list_lastsel)                                                                           \
    TEXT(interface, Interface, list_del_confirm)                                                                       \
    TEXT(interface, Interface, list_add_name)                                                                          \
    TEXT(interface, Interface, list_exists_name)                                                                       \
    TEXT(interface, Interface, list_full)                                                                              \
    TEXT(interface, Interface, edit_button1)                                                                           \
    TEXT(interface, Interface, edit_button2)                                                                           \
    TEXT(interface, Interface, message_dialog)                                                                         \
    TEXT(interface, Interface, message_button)                                                                         \
    TEXT(interface, Interface, confirm_dialog)                                                                         \
    TEXT(interface, Interface, confirm_button1)                                                                        \
    TEXT(interface, Interface, confirm_button2)                                                                        \
    TEXT(interface, Interface, menu_list_dialog)                                                                       \
    TEXT(interface, Interface, options_button3)                                                                        \
    TEXT(interface, Interface, options_control1)                                                                       \
    TEXT(interface, Interface, options_control2)                                                                       \
    TEXT(interface, Interface, options_control3)                                                                       \
    TEXT(interface, Interface, options_control4)                                                                       \
    TEXT(interface, Interface, options_control5)                                                                       \
    TEXT(interface, Interface, options_control6)                                                                       \
    TEXT(interface, Interface, pause_message)                                                                          \
    TEXT(interface, Interface, pause_exit)                                                                             \
    TEXT(interface, Interface, pause_continue)                                                                         \
    TEXT(interface, Interface, exit)                                                                                   \
    TEXT(interface, Interface, exit2)                                                                                  \
    TEXT(interface, Interface, loading)                                                                                \
    TEXT(interface, Interface, rest)                                                                                   \
    TEXT(interface, Interface, rest1)                                                                                  \
    TEXT(interface, Interface, rest2)                                                                                  \
    TEXT(interface, Interface, rest3)                                                                                  \
    TEXT(interface, Interface, rest4)                                                                                  \
    TEXT(interface, Interface, pizza)                                                                                  \
    TEXT(interface, Interface, game)

#define ORLO_LOCAL_TEXTS_OBJECTIVES(TEXT)                                                                              \
    TEXT(objectives, Objectives, ISpy)                                                                                 \
    TEXT(objectives, Objectives, MG1a)                                                                                 \
    TEXT(objectives, Objectives, MG1b)                                                                                 \
    TEXT(objectives, Objectives, MG1c)                                                                                 \
    TEXT(objectives, Objectives, MG2)                                                                                  \
    TEXT(objectives, Objectives, MG3)                                                                                  \
    TEXT(objectives, Objectives, MG4)                                                                                  \
    TEXT(objectives, Objectives, MG5)                                                                                  \
    TEXT(objectives, Objectives, MG6)                                                                                  \
    TEXT(objectives, Objectives, MG7)                                                                                  \
    TEXT(objectives, Objectives, MG8)                                                                                  \
    TEXT(objectives, Objectives, MG9)                                                                                  \
    TEXT(objectives, Objectives, MGLast)

#define ORLO_LOCAL_TEXTS_TRIES(TEXT)                                                                                   \
    TEXT(tries, Tries, tries0)                                                                                         \
    TEXT(tries, Tries, tries1)                                                                                         \
    TEXT(tries, Tries, tries2)                                                                                         \
    TEXT(tries, Tries, tries3)                                                                                         \
    TEXT(tries, Tries, tries4)                                                                                         \
    TEXT(tries, Tries, tries5)

#define ORLO_LOCAL_TEXTS_COMMON(TEXT) TEXT(common, Common, default_name)

#define ORLO_LOCAL_TEXTS(TEXT)                                                                                         \
    ORLO_LOCAL_TEXTS_INTERFACE(TEXT)                                                                                   \
    ORLO_LOCAL_TEXTS_OBJECTIVES(TEXT)                                                                                  \
    ORLO_LOCAL_TEXTS_TRIES(TEXT)                                                                                       \
    ORLO_LOCAL_TEXTS_COMMON(TEXT)

#define ORLO_LOCAL_TEXT_DECLARE_FIELD(member, Section, name) std::string name;

// The interface texts of "properties/local.xml" in one language: dialog captions and buttons,
// the objectives shown when a page starts, the counters and the default player name. The game
// application owns one and fills it while reading the file. The titles and body texts of the
// contents page and of the mini-game list are indexed keys that belong to the content tables;
// ParseIndexedKey recognises them.
struct LocalTexts
{
    struct InterfaceTexts
    {
        ORLO_LOCAL_TEXTS_INTERFACE(ORLO_LOCAL_TEXT_DECLARE_FIELD)
    };
    struct ObjectiveTexts
    {
        ORLO_LOCAL_TEXTS_OBJECTIVES(ORLO_LOCAL_TEXT_DECLARE_FIELD)
    };
    struct TriesTexts
    {
        ORLO_LOCAL_TEXTS_TRIES(ORLO_LOCAL_TEXT_DECLARE_FIELD)
    };
    struct CommonTexts
    {
        ORLO_LOCAL_TEXTS_COMMON(ORLO_LOCAL_TEXT_DECLARE_FIELD)
    };

    // One row of the list of named texts.
    struct Key
    {
        std::string_view path; // "Interface/list_ok"
        std::string* (*field)(LocalTexts& texts);
    };

    // The indexed keys: "Titles/Title%d" and "Titles/Text%d" with n = 3..130 are the title and
    // the body of contents entry n - 3; "MG_Titles/Title%d" and "MG_Titles/Text%d" with
    // n = 1..128 those of mini-game entry n - 1.
    enum class IndexedKind
    {
        None,
        ContentsTitle,
        ContentsBody,
        MiniGameTitle,
        MiniGameBody,
    };
    struct IndexedKey
    {
        IndexedKind kind = IndexedKind::None;
        int row = -1; // 0..127 for a recognised key
    };

    static constexpr int firstContentsTitle = 3;
    static constexpr int firstMiniGameTitle = 1;
    static constexpr int indexedRows = 128;

    InterfaceTexts interface;
    ObjectiveTexts objectives;
    TriesTexts tries;
    CommonTexts common;

    // Stores the text of the element at the path `section` into its field. Returns true when
    // the path names one of the texts above; false (nothing stored) for any other path,
    // including the indexed keys. A key met twice keeps the later text.
    bool Apply(const std::string& section, const std::string& value);

    // Recognises an indexed key exactly as written by "%d" (no sign, no leading zeros);
    // anything else, or a number out of range, gives kind None.
    static IndexedKey ParseIndexedKey(std::string_view section);

    // Every named text, in the order above.
    static std::span<const Key> Catalogue();
};

#undef ORLO_LOCAL_TEXT_DECLARE_FIELD

} // namespace Vesk
