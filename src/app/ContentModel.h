#pragma once

#include "framework/graphics/DDImage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class RandomGenerator;
struct PictureListEntry;

// Capacities of the content tables. The data files count pages, titles and entries from 1;
// the tables count rows from 0.
constexpr int kMaxPages = 128;
constexpr int kMaxTitles = 128;
constexpr int kMaxMiniGameEntries = 128;
constexpr int kMaxBonuses = 32;
constexpr int kMaxSets = 64;
constexpr int kMaxOpenRules = 1024;
constexpr int kMaxDeskItems = 128;
constexpr int kMaxTriPoints = 128;
constexpr int kMaxPictureItems = 128;
constexpr int kMaxLinkedItems = 100;
constexpr int kListSlotCount = 12;
constexpr int kMaxBonusPicks = 32;

// The first camera-path rows: the two legs of the desk intro, and the name stamp's zoom.
constexpr int kTriPointDeskFirst = 0;
constexpr int kTriPointDeskSecond = 1;
constexpr int kTriPointStamp = 127;

// One page of the publication ("Page%d" in config.xml).
struct PageRecord
{
    std::string face;     // picture of the page
    std::string doneFace; // picture shown once the page is done; may be empty
    std::string dir;      // folder of the page's own files, ending in "/"
    std::string type;     // page kind: "Game", "NGame", "MG1" .. "MG9", "MGLast", "Contents", ...
    // Where the done face comes from: this row itself (no done_face), an earlier row whose
    // face is the same picture (its rendered face is shared), or -1: rendered from doneFace.
    int doneFaceSource = -1;
    // The rendered face, 767 x 588: the picture with the page-edge overlay (except on the cover).
    // doneFaceImage is shown once the page is done: faceImage itself, the faceImage of the row
    // doneFaceSource (one image shared by both rows), or a rendering of its own. Null until the
    // pages are read.
    std::shared_ptr<DDImage> faceImage;
    std::shared_ptr<DDImage> doneFaceImage;
    bool open = false;
    bool done = false;
    bool notePrepared = false; // the final mini-game has drawn this page's empty note place
    bool stamped = false;      // the player has placed this page's note in the final mini-game
    bool openScenePlayed = false;
    int timeLimit = 0;
    int itemCount = 0;
    std::array<int, kListSlotCount> listSlots{}; // the board's list when the page was left unfinished
    std::array<double, kMaxPictureItems> itemFound{};
};

// A title on the contents page ("Title%d", n = 3..130 -> rows 0..127).
struct ContentsEntry
{
    int page = -1;
    std::string titleText;
    std::string bodyText;
    int x = 0;
    int y = 0;
    int w = 0;
    int il = 0; // line spacing of the body
    int IL = 0; // line spacing of the title, and the body's offset below it
    int nX = 0; // picture position
    int nY = 0;
    int pn = 0; // picture number: "images/contents/<pn>_on" and "_off"
    int lX = 0; // centre of the "new" mark
    int lY = 0;
    // The picture shown while the page is open and while it is not; null when missing.
    std::string onImagePath;
    std::string offImagePath;
    std::unique_ptr<DDImage> onImage;
    std::unique_ptr<DDImage> offImage;
    int textHeight = 0; // set by the contents page drawing; bounds the hover rectangle
};

// A line of the mini-game list ("MG%d", n = 1..128 -> rows 0..127).
struct MiniGameEntry
{
    int page = -1;
    std::string titleText;
    std::string bodyText;
    int x = 0;
    int y = 0;
    int w = 0;
    int il = 0;
    int IL = 0;
    int textHeight = 0;
};

// A place on a page where a bonus picture can lie ("Bonus%d", n = 1..32).
struct BonusSpot
{
    std::string bitmap;             // path of the picture
    std::unique_ptr<DDImage> image; // the picture; null when missing
    int x = 0;
    int y = 0;
};

// One bonus picture uncovered after a set change: a done page and a spot; page -1 once taken.
struct BonusPick
{
    int page = -1;
    int spot = 0;
};

// Three pages opened together ("Set%d", n = 1..64); -1 for a page the data does not name.
struct PageSet
{
    int a = -1;
    int b = -1;
    int c = -1;
};

// The page targetPage may only open once requiredPage is done.
struct OpenRule
{
    int requiredPage = -1;
    int targetPage = -1;
};

// A picture lying on the desk around the publication ("Item%d", n = 1..128), world position.
struct DeskItem
{
    int x = 0;
    int y = 0;
    std::string imagePath;
    std::unique_ptr<DDImage> image; // null when missing
};

// A camera path: two quadratic curves through three points, evaluated at U = 1..3.
// Row 0 "TriPointA", row 1 "TriPointB", row 127 "TriPointS", rows 2..126 "TriPoint3" ..
// "TriPoint127" (the page number, as in "Page%d").
struct TriPointRow
{
    double ax = 0, bx = 0, cx = 0;
    double ay = 0, by = 0, cy = 0;
    double z1 = 0, z2 = 0; // camera scale at the start and at the end of the path
    double endX = 0, endY = 0;
    bool valid = false;

    // The camera position at U (1..3), in world coordinates as written in config.xml.
    double X(double u) const { return (ax * u * u + bx * u + cx) * 5.0; }
    double Y(double u) const { return (ay * u * u + by * u + cy) * 5.0; }
};

// A hidden object of the page being played, read from the page's picture.cfg.
struct PictureItem
{
    std::string imagePath;          // dir + fileName
    std::unique_ptr<DDImage> image; // the object's picture (the scene player's stand-in when missing)
    int x = 0;
    int y = 0;
    int homeX = 0;
    int homeY = 0;
    std::string name;     // derived from the file name
    std::string fileName; // as listed in picture.cfg
    float found = 0.0f;
    int progress = 0;
    int opaqueSamples = -1; // of the 10 x 10 sample grid; -1 while no pixels are known
    std::array<int, kMaxLinkedItems> linked{};
    int linkedCount = 0;
    int remaining = 0;
    bool isGroupMember = false;
    int groupLeader = -1;
    std::string displayName;
};

// The publication as data: pages, contents titles, mini-game list, bonus spots, sets, opening
// rules, desk items, camera paths and the hidden objects of the current page. Owned by the
// game application; filled from config.xml, local.xml and the pages' object lists. Every
// table has a fixed capacity: data that asks for more is dropped with a log line.
//
// Page indices held in the tables come from the data and may lie outside 0..127 (a missing
// attribute gives -1); use IsPage before indexing pages with them.
class ContentModel
{
public:
    using Attributes = std::map<std::string, std::string>;
    using LogFunction = std::function<void(const std::string&)>;

    // Which table a start tag filled, so that the caller can load that row's pictures.
    enum class Table
    {
        None,
        Title,
        MiniGame,
        Bonus,
        Set,
        DeskItem,
        TriPoint,
    };
    struct Filled
    {
        Table table = Table::None;
        int row = -1;
    };

    void SetLog(LogFunction log) { this->log = std::move(log); }

    static bool IsPage(int index) { return index >= 0 && index < kMaxPages; }
    // The camera-path row that a "Desktop" start tag names, or -1: "TriPointA" 0, "TriPointB"
    // 1, "TriPointS" 127, "TriPoint3" .. "TriPoint127" 2 .. 126.
    static int TriPointRowForTag(const std::string& name);
    // The number n of a tag "<prefix><n>" written as the data writes it (no sign, no leading
    // zero); false when name is not of that form.
    static bool TagNumber(const std::string& name, const std::string& prefix, int& n);

    // Content rules for the start tags of config.xml ("Pages/Title%d", "Pages/MG%d",
    // "Pages/Bonus%d", "Gameplay/Set%d", "Desktop/Item%d", "Desktop/TriPoint..."). section is
    // the path of the tag's parent.
    Filled ApplyStartTag(const std::string& section, const std::string& name, const Attributes& attributes);
    // The text key "Gameplay/ToOpen%d" (n = 0..127) with the value m: page n opens only once
    // page m is done. False for any other key.
    bool ApplyOpenRuleKey(const std::string& key, const std::string& value);
    // The texts of local.xml that belong to entries: "Titles/Title%d", "Titles/Text%d" (n =
    // 3..130) and "MG_Titles/Title%d", "MG_Titles/Text%d" (n = 1..128). False for other keys.
    bool ApplyEntryText(const std::string& key, const std::string& text);
    // A "Pages/Page%d" start tag (n = 1..128): fills the page's record from its attributes and
    // resets its progress. Returns the row, or -1 when the tag is not a page of the table.
    int ApplyPageTag(const std::string& section, const std::string& name, const Attributes& attributes);

    // Fills pictureItems from a page's object list (at most 128) and its display names
    // (pairs of file name and name, the last match winning); dir is the page's folder.
    void LoadPageItems(const std::string& dir, const std::vector<PictureListEntry>& entries,
                       const std::vector<std::pair<std::string, std::string>>& displayNames);
    // The object name hidden in a file path: digits are dropped, "_" after digits starts the
    // name afresh, any other "_" is a space, "." ends it ("p05/03_red_apple.png" -> "red apple").
    static std::string DeriveItemName(const std::string& path);
    // How many of the 10 x 10 sample points of a picture (0xAARRGGBB pixels, row by row) have
    // an alpha above 20; -1 when there are no pixels.
    static int CountOpaqueSamples(const uint32_t* pixels, int width, int height);

    // Mini-games are available when an open page among 2 .. min(pageCount, 32) - 1 is a
    // mini-game other than the list and the final game.
    void UpdateMiniGamesAvailable();

    // True when the three pages of set index are done (false for a set not read).
    bool SetDone(int index) const;
    // Moves on from set index while its pages are done and a later set exists, opening the
    // pages of each set reached. Returns the new index (index itself when it is not a set).
    int AdvanceSet(int index);
    // Whether an OpenRule keeps page from opening: a rule names it as its target while the
    // rule's required page is not done (a required page outside the table never is).
    bool HeldBackByRule(int page) const;
    // Opens every page of the publication (rows below pageCount) that is not open and that no
    // rule holds back. Returns the pages it opened, in page order.
    std::vector<int> OpenPages();
    // The last page a forward turn may reach: the highest open page below pageCount, 0-based;
    // 0 when none is open.
    int LastReachablePage() const;
    // Draws up to count bonus picks: each a done page other than shownPage that is not picked
    // yet, and a random bonus spot. Returns how many were drawn (none without bonus spots).
    int DrawBonusPicks(int count, int shownPage, RandomGenerator& random,
                       std::array<BonusPick, kMaxBonusPicks>& picks) const;

    std::array<PageRecord, kMaxPages> pages;
    std::array<bool, kMaxPages> initialOpen{};
    // The contents page's picture without the overlay, kept to redraw its face; null when missing.
    std::unique_ptr<DDImage> contentsBackground;
    int pageCount = 0; // Pages/PagesNumber
    std::array<ContentsEntry, kMaxTitles> titles;
    std::array<MiniGameEntry, kMaxMiniGameEntries> miniGameEntries;
    std::array<BonusSpot, kMaxBonuses> bonuses;
    int bonusCount = 0;
    std::array<PageSet, kMaxSets> sets;
    int setCount = 0;
    std::array<OpenRule, kMaxOpenRules> openRules;
    int openRuleCount = 0;
    std::array<DeskItem, kMaxDeskItems> deskItems;
    std::array<TriPointRow, kMaxTriPoints> triPoints;
    std::array<PictureItem, kMaxPictureItems> pictureItems;
    int pictureItemCount = 0;
    bool miniGamesAvailable = false;
    bool gameDataLoading = false;

private:
    void Log(const std::string& text) const;
    void AddOpenRule(int requiredPage, int targetPage);
    void LinkEqualNames(int index);

    LogFunction log;
};

} // namespace Vesk
