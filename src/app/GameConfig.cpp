#include "app/GameConfig.h"

#include "app/StringConversion.h"

#include <type_traits>
#include <unordered_map>

namespace Vesk
{

namespace
{

template <typename T> constexpr GameConfig::ValueType ValueTypeOf()
{
    if constexpr (std::is_same_v<T, int>)
        return GameConfig::ValueType::Int;
    else if constexpr (std::is_same_v<T, double>)
        return GameConfig::ValueType::Double;
    else
    {
        static_assert(std::is_same_v<T, bool>, "configuration fields are int, double or bool");
        return GameConfig::ValueType::Bool;
    }
}

#define ORLO_CONFIG_ROW(member, Section, name, type)                                                                   \
    GameConfig::Key{#Section "/" #name, ValueTypeOf<type>(),                                                           \
                    [](GameConfig& config) -> GameConfig::FieldRef { return &config.member.name; }},
#define ORLO_CONFIG_AFTER_SET_ROW(member, Section, name, n)                                                            \
    GameConfig::Key{#Section "/" #name #n, GameConfig::ValueType::Int,                                                 \
                    [](GameConfig& config) -> GameConfig::FieldRef { return &config.member.name[n]; }},

constexpr GameConfig::Key catalogue[] = {ORLO_CONFIG_KEYS(ORLO_CONFIG_ROW, ORLO_CONFIG_AFTER_SET_ROW)};

#undef ORLO_CONFIG_ROW
#undef ORLO_CONFIG_AFTER_SET_ROW

static_assert(std::size(catalogue) == 772, "config.xml has 772 typed keys");

} // namespace

void GameConfig::ResetBeforeRead()
{
    common.debug_mode = false;
    pages.AfterSet.fill(0);
}

bool GameConfig::Apply(const std::string& section, const std::string& value)
{
    const Key* key = FindKey(section);
    if (key == nullptr)
        return false;
    const FieldRef field = key->field(*this);
    if (int* const* intField = std::get_if<int*>(&field))
        StringToInt(value, **intField);
    else if (double* const* doubleField = std::get_if<double*>(&field))
        StringToDouble(value, **doubleField);
    else
        *std::get<bool*>(field) = value == "true";
    return true;
}

std::span<const GameConfig::Key> GameConfig::Catalogue()
{
    return catalogue;
}

const GameConfig::Key* GameConfig::FindKey(std::string_view path)
{
    static const std::unordered_map<std::string_view, const Key*> index = []
    {
        std::unordered_map<std::string_view, const Key*> keys;
        keys.reserve(std::size(catalogue));
        for (const Key& key : catalogue)
            keys.emplace(key.path, &key);
        return keys;
    }();
    const auto found = index.find(path);
    return found == index.end() ? nullptr : found->second;
}

} // namespace Vesk
