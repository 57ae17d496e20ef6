#include "app/ContentModel.h"

#include "app/LocalTexts.h"
#include "app/PictureListReader.h"
#include "app/StringConversion.h"
#include "framework/appbase/RandomGenerator.h"

#include <algorithm>

namespace Vesk
{

namespace
{

int IntAttribute(const ContentModel::Attributes& attributes, const char* name)
{
    int value = 0;
    auto found = attributes.find(name);
    if (found != attributes.end())
        StringToInt(found->second, value);
    return value;
}

double DoubleAttribute(const ContentModel::Attributes& attributes, const char* name)
{
    double value = 0.0;
    auto found = attributes.find(name);
    if (found != attributes.end())
        StringToDouble(found->second, value);
    return value;
}

std::string TextAttribute(const ContentModel::Attributes& attributes, const char* name)
{
    auto found = attributes.find(name);
    return found == attributes.end() ? std::string() : found->second;
}

// The key's last path component when the key lies directly in section, else empty.
std::string KeyIn(const std::string& key, const std::string& section)
{
    if (key.size() <= section.size() + 1 || key.compare(0, section.size(), section) != 0 || key[section.size()] != '/')
        return std::string();
    return key.substr(section.size() + 1);
}

} // namespace

void ContentModel::Log(const std::string& text) const
{
    if (log)
        log(text);
}

bool ContentModel::TagNumber(const std::string& name, const std::string& prefix, int& n)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::string digits = name.substr(prefix.size());
    if (digits.size() > 9 || (digits.size() > 1 && digits[0] == '0'))
        return false;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    n = std::stoi(digits);
    return true;
}

int ContentModel::TriPointRowForTag(const std::string& name)
{
    if (name == "TriPointA")
        return kTriPointDeskFirst;
    if (name == "TriPointB")
        return kTriPointDeskSecond;
    if (name == "TriPointS")
        return kTriPointStamp;
    int n = 0;
    if (TagNumber(name, "TriPoint", n) && n >= 3 && n <= 127)
        return n - 1;
    return -1;
}

void ContentModel::AddOpenRule(int requiredPage, int targetPage)
{
    if (openRuleCount >= kMaxOpenRules)
    {
        Log("Open rule (page " + std::to_string(targetPage + 1) + " after page " + std::to_string(requiredPage + 1) +
            ") dropped: the game holds " + std::to_string(kMaxOpenRules) + " rules");
        return;
    }
    openRules[static_cast<size_t>(openRuleCount++)] = {requiredPage, targetPage};
}

ContentModel::Filled ContentModel::ApplyStartTag(const std::string& section, const std::string& name,
                                                 const Attributes& attributes)
{
    int n = 0;
    if (section == "Pages")
    {
        if (TagNumber(name, "Title", n))
        {
            if (n < 3 || n > 130)
            {
                Log(name + " ignored: contents titles are Title3 to Title130");
                return {};
            }
            ContentsEntry& entry = titles[static_cast<size_t>(n - 3)];
            entry.page = IntAttribute(attributes, "page") - 1;
            entry.x = IntAttribute(attributes, "x");
            entry.y = IntAttribute(attributes, "y");
            entry.w = IntAttribute(attributes, "w");
            entry.il = IntAttribute(attributes, "il");
            entry.IL = IntAttribute(attributes, "IL");
            entry.nX = IntAttribute(attributes, "nX");
            entry.nY = IntAttribute(attributes, "nY");
            entry.lX = IntAttribute(attributes, "lX");
            entry.lY = IntAttribute(attributes, "lY");
            entry.pn = IntAttribute(attributes, "pn");
            entry.onImagePath = "images/contents/" + std::to_string(entry.pn) + "_on";
            entry.offImagePath = "images/contents/" + std::to_string(entry.pn) + "_off";
            return {Table::Title, n - 3};
        }
        if (TagNumber(name, "MG", n))
        {
            if (n < 1 || n > kMaxMiniGameEntries)
            {
                Log(name + " ignored: mini-game entries are MG1 to MG128");
                return {};
            }
            MiniGameEntry& entry = miniGameEntries[static_cast<size_t>(n - 1)];
            entry.page = IntAttribute(attributes, "page") - 1;
            entry.x = IntAttribute(attributes, "x");
            entry.y = IntAttribute(attributes, "y");
            entry.w = IntAttribute(attributes, "w");
            entry.il = IntAttribute(attributes, "il");
            entry.IL = IntAttribute(attributes, "IL");
            return {Table::MiniGame, n - 1};
        }
        if (TagNumber(name, "Bonus", n))
        {
            if (n < 1 || n > kMaxBonuses)
            {
                Log(name + " ignored: bonus spots are Bonus1 to Bonus32");
                return {};
            }
            BonusSpot& spot = bonuses[static_cast<size_t>(n - 1)];
            spot.x = IntAttribute(attributes, "x");
            spot.y = IntAttribute(attributes, "y");
            spot.bitmap = TextAttribute(attributes, "bitmap");
            bonusCount = std::max(bonusCount, n);
            return {Table::Bonus, n - 1};
        }
        return {};
    }

    if (section == "Gameplay")
    {
        if (!TagNumber(name, "Set", n))
            return {};
        if (n < 1 || n > kMaxSets)
        {
            Log(name + " ignored: sets are Set1 to Set64");
            return {};
        }
        if (setCount >= kMaxSets)
        {
            Log(name + " ignored: the game holds 64 sets");
            return {};
        }
        PageSet& set = sets[static_cast<size_t>(n - 1)];
        set.a = IntAttribute(attributes, "a") - 1;
        set.b = IntAttribute(attributes, "b") - 1;
        set.c = IntAttribute(attributes, "c") - 1;
        if (n > 1)
        {
            const PageSet& previous = sets[static_cast<size_t>(n - 2)];
            for (int target : {set.a, set.b, set.c})
                for (int required : {previous.a, previous.b, previous.c})
                    AddOpenRule(required, target);
        }
        ++setCount;
        return {Table::Set, n - 1};
    }

    if (section == "Desktop")
    {
        if (TagNumber(name, "Item", n))
        {
            if (n < 1 || n > kMaxDeskItems)
            {
                Log(name + " ignored: desk items are Item1 to Item128");
                return {};
            }
            DeskItem& item = deskItems[static_cast<size_t>(n - 1)];
            item.x = IntAttribute(attributes, "x");
            item.y = IntAttribute(attributes, "y");
            item.imagePath = TextAttribute(attributes, "image");
            return {Table::DeskItem, n - 1};
        }
        int row = TriPointRowForTag(name);
        if (row < 0)
        {
            if (name.compare(0, 8, "TriPoint") == 0)
                Log(name + " ignored: camera paths are TriPointA, TriPointB, TriPointS and TriPoint3 to TriPoint127");
            return {};
        }
        TriPointRow& path = triPoints[static_cast<size_t>(row)];
        double x1 = DoubleAttribute(attributes, "x1");
        double x2 = DoubleAttribute(attributes, "x2");
        double x3 = DoubleAttribute(attributes, "x3");
        double y1 = DoubleAttribute(attributes, "y1");
        double y2 = DoubleAttribute(attributes, "y2");
        double y3 = DoubleAttribute(attributes, "y3");
        path.endX = x3;
        path.endY = y3;
        x1 /= 5.0;
        x2 /= 5.0;
        x3 /= 5.0;
        y1 /= 5.0;
        y2 /= 5.0;
        y3 /= 5.0;
        path.z1 = DoubleAttribute(attributes, "z1");
        path.z2 = DoubleAttribute(attributes, "z2");
        // The parabola through (1, v1), (2, v2), (3, v3).
        path.ax = (x1 - 2.0 * x2 + x3) / 2.0;
        path.bx = (-5.0 * x1 + 8.0 * x2 - 3.0 * x3) / 2.0;
        path.cx = 3.0 * x1 - 3.0 * x2 + x3;
        path.ay = (y1 - 2.0 * y2 + y3) / 2.0;
        path.by = (-5.0 * y1 + 8.0 * y2 - 3.0 * y3) / 2.0;
        path.cy = 3.0 * y1 - 3.0 * y2 + y3;
        path.valid = true;
        return {Table::TriPoint, row};
    }
    return {};
}

bool ContentModel::ApplyOpenRuleKey(const std::string& key, const std::string& value)
{
    int n = 0;
    if (!TagNumber(KeyIn(key, "Gameplay"), "ToOpen", n))
        return false;
    if (n > 127)
    {
        Log("Gameplay/ToOpen" + std::to_string(n) + " ignored: the game holds 128 pages");
        return true;
    }
    int required = 0;
    StringToInt(value, required);
    AddOpenRule(required - 1, n - 1);
    return true;
}

bool ContentModel::ApplyEntryText(const std::string& key, const std::string& text)
{
    LocalTexts::IndexedKey indexed = LocalTexts::ParseIndexedKey(key);
    if (indexed.row < 0 || indexed.row >= kMaxTitles)
        return false;
    size_t row = static_cast<size_t>(indexed.row);
    switch (indexed.kind)
    {
    case LocalTexts::IndexedKind::ContentsTitle:
        titles[row].titleText = text;
        return true;
    case LocalTexts::IndexedKind::ContentsBody:
        titles[row].bodyText = text;
        return true;
    case LocalTexts::IndexedKind::MiniGameTitle:
        miniGameEntries[row].titleText = text;
        return true;
    case LocalTexts::IndexedKind::MiniGameBody:
        miniGameEntries[row].bodyText = text;
        return true;
    default:
        return false;
    }
}

int ContentModel::ApplyPageTag(const std::string& section, const std::string& name, const Attributes& attributes)
{
    int n = 0;
    if (section != "Pages" || !TagNumber(name, "Page", n))
        return -1;
    if (n < 1 || n > kMaxPages)
    {
        Log(name + " ignored: the game holds 128 pages");
        return -1;
    }
    int row = n - 1;
    PageRecord& page = pages[static_cast<size_t>(row)];
    page.face = TextAttribute(attributes, "face");
    page.doneFace = TextAttribute(attributes, "done_face");
    page.dir = TextAttribute(attributes, "dir");
    page.type = TextAttribute(attributes, "type");

    page.doneFaceSource = -1;
    if (page.doneFace.empty())
        page.doneFaceSource = row;
    else
        for (int earlier = 0; earlier < row; ++earlier)
            if (pages[static_cast<size_t>(earlier)].face == page.doneFace)
            {
                page.doneFaceSource = earlier;
                break;
            }

    page.open = TextAttribute(attributes, "open") == "true";
    initialOpen[static_cast<size_t>(row)] = page.open;
    page.done = false;
    page.timeLimit = IntAttribute(attributes, "time");
    page.itemCount = IntAttribute(attributes, "items");
    page.notePrepared = false;
    page.stamped = false;
    page.openScenePlayed = false;
    return row;
}

std::string ContentModel::DeriveItemName(const std::string& path)
{
    std::string name;
    bool digitsSeen = false;
    for (char c : path)
    {
        if (c >= '0' && c <= '9')
            digitsSeen = true;
        else if (c == '_')
        {
            if (digitsSeen)
            {
                name.clear();
                digitsSeen = false;
            }
            else
                name += ' ';
        }
        else if (c == '.')
            break;
        else
            name += c;
    }
    return name;
}

int ContentModel::CountOpaqueSamples(const uint32_t* pixels, int width, int height)
{
    if (pixels == nullptr || width <= 0 || height <= 0)
        return -1;
    int count = 0;
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 10; ++column)
        {
            int x = column * ((width - 1) / 9);
            int y = row * ((height - 1) / 9);
            uint32_t alpha = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] >> 24;
            if (alpha > 20)
                ++count;
        }
    return count;
}

void ContentModel::LinkEqualNames(int index)
{
    PictureItem& item = pictureItems[static_cast<size_t>(index)];
    for (int earlier = 0; earlier < index; ++earlier)
    {
        PictureItem& other = pictureItems[static_cast<size_t>(earlier)];
        if (other.name != item.name)
            continue;
        if (item.linkedCount >= kMaxLinkedItems)
        {
            Log("Object " + item.fileName + ": more than " + std::to_string(kMaxLinkedItems) +
                " objects share its name; the rest are not linked");
            break;
        }
        item.linked[static_cast<size_t>(item.linkedCount++)] = earlier;
        ++item.remaining;
        other.isGroupMember = true;
        other.groupLeader = index;
        other.linkedCount = 0;
        other.remaining = 0;
    }
}

void ContentModel::LoadPageItems(const std::string& dir, const std::vector<PictureListEntry>& entries,
                                 const std::vector<std::pair<std::string, std::string>>& displayNames)
{
    pictureItemCount = 0;
    if (entries.size() > static_cast<size_t>(kMaxPictureItems))
        Log(dir + "picture.cfg lists " + std::to_string(entries.size()) + " objects; the game holds " +
            std::to_string(kMaxPictureItems));
    for (const PictureListEntry& entry : entries)
    {
        if (pictureItemCount >= kMaxPictureItems)
            break;
        int index = pictureItemCount;
        PictureItem& item = pictureItems[static_cast<size_t>(index)];
        item = PictureItem();
        item.fileName = entry.fileName;
        item.imagePath = dir + entry.fileName;
        item.x = entry.x;
        item.y = entry.y;
        item.homeX = entry.x;
        item.homeY = entry.y;
        item.name = DeriveItemName(dir + entry.fileName);
        LinkEqualNames(index);
        item.displayName = item.name;
        for (const auto& [fileName, displayName] : displayNames)
            if (fileName == entry.fileName)
                item.displayName = displayName;
        ++pictureItemCount;
    }
}

void ContentModel::UpdateMiniGamesAvailable()
{
    miniGamesAvailable = false;
    int end = std::min(pageCount, 32);
    for (int i = 2; i < end; ++i)
    {
        const PageRecord& page = pages[static_cast<size_t>(i)];
        if (page.open && page.type.compare(0, 2, "MG") == 0 && page.type.size() > 2 && page.type[2] != 'L')
            miniGamesAvailable = true;
    }
}

bool ContentModel::SetDone(int index) const
{
    if (index < 0 || index >= setCount || index >= kMaxSets)
        return false;
    const PageSet& set = sets[static_cast<size_t>(index)];
    for (int page : {set.a, set.b, set.c})
        if (!IsPage(page) || !pages[static_cast<size_t>(page)].done)
            return false;
    return true;
}

int ContentModel::AdvanceSet(int index)
{
    while (index >= 0 && index < setCount - 1 && SetDone(index))
    {
        ++index;
        const PageSet& set = sets[static_cast<size_t>(index)];
        for (int page : {set.a, set.b, set.c})
            if (IsPage(page))
                pages[static_cast<size_t>(page)].open = true;
    }
    return index;
}

bool ContentModel::HeldBackByRule(int page) const
{
    for (int i = 0; i < openRuleCount; ++i)
    {
        const OpenRule& rule = openRules[static_cast<size_t>(i)];
        const bool requiredDone = IsPage(rule.requiredPage) && pages[static_cast<size_t>(rule.requiredPage)].done;
        if (rule.targetPage == page && !requiredDone)
            return true;
    }
    return false;
}

std::vector<int> ContentModel::OpenPages()
{
    std::vector<int> opened;
    int end = std::min(pageCount, kMaxPages);
    for (int page = 0; page < end; ++page)
    {
        PageRecord& record = pages[static_cast<size_t>(page)];
        if (record.open || HeldBackByRule(page))
            continue;
        record.open = true;
        opened.push_back(page);
    }
    return opened;
}

int ContentModel::LastReachablePage() const
{
    for (int page = std::min(pageCount, kMaxPages) - 1; page > 0; --page)
        if (pages[static_cast<size_t>(page)].open)
            return page;
    return 0;
}

int ContentModel::DrawBonusPicks(int count, int shownPage, RandomGenerator& random,
                                 std::array<BonusPick, kMaxBonusPicks>& picks) const
{
    int pickCount = 0;
    if (bonusCount <= 0)
        return 0;
    count = std::min(count, kMaxBonusPicks);
    int lastPage = std::min(pageCount, kMaxPages);
    std::vector<int> candidates;
    for (int k = 0; k < count; ++k)
    {
        candidates.clear();
        for (int page = 0; page < lastPage; ++page)
        {
            if (!pages[static_cast<size_t>(page)].done || page == shownPage)
                continue;
            bool picked = std::any_of(picks.begin(), picks.begin() + pickCount,
                                      [page](const BonusPick& pick) { return pick.page == page; });
            if (!picked)
                candidates.push_back(page);
        }
        if (candidates.empty())
            continue;
        int page = candidates[static_cast<size_t>(random.NextIndex(static_cast<int>(candidates.size())))];
        int spot = random.NextIndex(bonusCount);
        picks[static_cast<size_t>(pickCount++)] = {page, spot};
    }
    return pickCount;
}

} // namespace Vesk
