#pragma once

#include "app/GameConfigKeys.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace Vesk
{

#define ORLO_CONFIG_DECLARE_FIELD(member, Section, name, type) type name{};
#define ORLO_CONFIG_DECLARE_NOTHING(member, Section, name, n)

// The typed values of "properties/config.xml": every tunable number of the game (layout,
// colours, speeds, timings, the rules of the hidden-object play and of each mini-game). The
// game application owns one and fills it while reading the file; afterwards the screens only
// read it. Fields are grouped by the file's sections and carry the key names, so the key
// "Common/BoardX" is the field common.BoardX. The keys themselves are listed in
// GameConfigKeys.h.
//
// A key missing from the file leaves its field at the value it had (zero for a fresh object).
struct GameConfig
{
    enum class ValueType
    {
        Int,
        Double,
        Bool,
    };

    // The field a key fills.
    using FieldRef = std::variant<int*, double*, bool*>;

    // One row of the catalogue.
    struct Key
    {
        std::string_view path; // "Common/BoardX"
        ValueType type;
        FieldRef (*field)(GameConfig& config);
    };

    struct CommonSection
    {
        ORLO_CONFIG_KEYS_COMMON(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct GraphicsSection
    {
        ORLO_CONFIG_KEYS_GRAPHICS(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct PagesSection
    {
        ORLO_CONFIG_KEYS_PAGES(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
        // Bonus picks drawn when the current set becomes set n (0-based); "Pages/AfterSetn"
        // fills entry n. Cleared before every read of the file.
        std::array<int, 32> AfterSet{};
    };
    struct DesktopSection
    {
        ORLO_CONFIG_KEYS_DESKTOP(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct ISpySection
    {
        ORLO_CONFIG_KEYS_ISPY(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame1Section
    {
        ORLO_CONFIG_KEYS_MINIGAME1(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame2Section
    {
        ORLO_CONFIG_KEYS_MINIGAME2(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame3Section
    {
        ORLO_CONFIG_KEYS_MINIGAME3(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame4Section
    {
        ORLO_CONFIG_KEYS_MINIGAME4(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame5Section
    {
        ORLO_CONFIG_KEYS_MINIGAME5(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame6Section
    {
        ORLO_CONFIG_KEYS_MINIGAME6(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame8Section
    {
        ORLO_CONFIG_KEYS_MINIGAME8(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGame9Section
    {
        ORLO_CONFIG_KEYS_MINIGAME9(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };
    struct MiniGameLastSection
    {
        ORLO_CONFIG_KEYS_MINIGAMELAST(ORLO_CONFIG_DECLARE_FIELD, ORLO_CONFIG_DECLARE_NOTHING)
    };

    CommonSection common;
    GraphicsSection graphics;
    PagesSection pages;
    DesktopSection desktop;
    ISpySection ispy;
    MiniGame1Section miniGame1;
    MiniGame2Section miniGame2;
    MiniGame3Section miniGame3;
    MiniGame4Section miniGame4;
    MiniGame5Section miniGame5;
    MiniGame6Section miniGame6;
    MiniGame8Section miniGame8;
    MiniGame9Section miniGame9;
    MiniGameLastSection miniGameLast;

    // The defaults the reader sets before every pass over config.xml: Common/debug_mode off and
    // the whole AfterSet table 0. Every other field keeps its value.
    void ResetBeforeRead();

    // Stores the text of the element at the path `section` ("Common/BoardX") into its field.
    // Returns true when the path is a key of the catalogue, false (nothing stored) otherwise.
    // Numbers are converted with StringToInt / StringToDouble (a malformed number stores 0);
    // a bool is true exactly for the text "true". A key met twice keeps the later value.
    bool Apply(const std::string& section, const std::string& value);

    // Every key, in catalogue order.
    static std::span<const Key> Catalogue();
    // The catalogue row of a path, or null.
    static const Key* FindKey(std::string_view path);
};

#undef ORLO_CONFIG_DECLARE_FIELD
#undef ORLO_CONFIG_DECLARE_NOTHING

} // namespace Vesk
