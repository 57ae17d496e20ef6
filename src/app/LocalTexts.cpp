#include "app/LocalTexts.h"

#include <unordered_map>

namespace Vesk
{

namespace
{

#define ORLO_LOCAL_TEXT_ROW(member, Section, name)                                                                     \
    LocalTexts::Key{#Section "/" #name, [](LocalTexts& texts) { return &texts.member.name; }},

constexpr LocalTexts::Key catalogue[] = {ORLO_LOCAL_TEXTS(ORLO_LOCAL_TEXT_ROW)};

#undef ORLO_LOCAL_TEXT_ROW

// The number that ends `text` after `prefix`, written as "%d" writes a positive number;
// -1 when `text` is not of that form or the number exceeds `largest`.
int NumberAfter(std::string_view text, std::string_view prefix, int largest)
{
    if (!text.starts_with(prefix))
        return -1;
    const std::string_view digits = text.substr(prefix.size());
    if (digits.empty() || digits.size() > 4 || digits[0] == '0')
        return -1;
    int number = 0;
    for (const char digit : digits)
    {
        if (digit < '0' || digit > '9')
            return -1;
        number = number * 10 + (digit - '0');
    }
    return number <= largest ? number : -1;
}

} // namespace

bool LocalTexts::Apply(const std::string& section, const std::string& value)
{
    static const std::unordered_map<std::string_view, const Key*> index = []
    {
        std::unordered_map<std::string_view, const Key*> keys;
        for (const Key& key : catalogue)
            keys.emplace(key.path, &key);
        return keys;
    }();
    const auto found = index.find(section);
    if (found == index.end())
        return false;
    *found->second->field(*this) = value;
    return true;
}

LocalTexts::IndexedKey LocalTexts::ParseIndexedKey(std::string_view section)
{
    struct Pattern
    {
        std::string_view prefix;
        IndexedKind kind;
        int first;
    };
    static constexpr Pattern patterns[] = {
        {"Titles/Title", IndexedKind::ContentsTitle, firstContentsTitle},
        {"Titles/Text", IndexedKind::ContentsBody, firstContentsTitle},
        {"MG_Titles/Title", IndexedKind::MiniGameTitle, firstMiniGameTitle},
        {"MG_Titles/Text", IndexedKind::MiniGameBody, firstMiniGameTitle},
    };
    for (const Pattern& pattern : patterns)
    {
        const int number = NumberAfter(section, pattern.prefix, pattern.first + indexedRows - 1);
        if (number >= pattern.first)
            return {pattern.kind, number - pattern.first};
    }
    return {};
}

std::span<const LocalTexts::Key> LocalTexts::Catalogue()
{
    return catalogue;
}

} // namespace Vesk
