#include "minigames/MG5.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Vesk
{
namespace
{

constexpr double kCatchStart = 0.01;
constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;

char LowerCase(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The catches round r (0-based) asks for: MiniGame5/items(r + 1).
template <class Section> int AskedCatches(const Section& c, int r)
{
    const int asked[8] = {c.items1, c.items2, c.items3, c.items4, c.items5, c.items6, c.items7, c.items8};
    return r >= 0 && r < 8 ? asked[r] : 0;
}

} // namespace

MG5::MG5(GameApp& app) : MiniGame(app, "MG5", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame5);
}

MG5::~MG5() = default;

// --- The picture set ------------------------------------------------------------------------

int MG5::RoundOfKey(const std::string& key)
{
    if (key.size() >= 2 && IsDigit(key[0]) && key[1] == '_')
        return key[0] - '1';
    if (key.size() >= 2 && IsDigit(key[0]) && IsDigit(key[1]))
        return 10 * (key[0] - '0') + (key[1] - '0') - 11;
    return -1;
}

void MG5::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry);
    DropIncompleteObjects();
    FitSeeThroughPictures();
    for (int r = 0; r < RoundCount(); ++r)
    {
        const Round& played = rounds[size_t(r)];
        const int suspicious = int(std::count_if(played.objects.begin(), played.objects.end(),
                                                 [](const Object& object) { return object.Suspicious(); }));
        const int asked = AskedCatches(app.config.miniGame5, r);
        if (played.objects.empty())
            app.Log("MG5: round " + std::to_string(r + 1) + " of " + dir + " has no luggage");
        else if (asked > suspicious)
            app.Log("MG5: round " + std::to_string(r + 1) + " asks for " + std::to_string(asked) +
                    " catches, the set has " + std::to_string(suspicious) + " suspicious pieces");
    }
    if (!HasPieces())
        app.Log("MG5: " + dir + " has no luggage to scan");
}

void MG5::ClearSet()
{
    rounds.clear();
    rounds.resize(kMaxRounds);
    belt = Cover();
    roundChangeDue = false;
    blur.Invalidate();
    blurScene.reset();
    blurMadeFor.clear();
    blurMade = false;
}

// One line of picture.cfg: the first character says what the picture is.
void MG5::AddPicture(const std::string& dir, const PictureListEntry& entry)
{
    const std::string& name = entry.fileName;
    const char kindLetter = name.size() >= 3 && name[1] == '_' ? LowerCase(name[0]) : '\0';
    if (kindLetter == 'b')
    {
        const int r = IsDigit(name[2]) ? name[2] - '1' : -1;
        if (r < 0 || r >= kMaxRounds)
        {
            app.Log("MG5: cover '" + name + "' names no round: left out");
            return;
        }
        std::vector<Cover>& covers = rounds[size_t(r)].covers;
        if (int(covers.size()) >= kMaxCovers)
        {
            app.Log("MG5: more than " + std::to_string(kMaxCovers) + " covers in a round: '" + name + "' left out");
            return;
        }
        Cover cover;
        cover.image = LoadGamePicture(dir + name);
        cover.x = entry.x;
        cover.y = entry.y;
        if (cover.image != nullptr)
            covers.push_back(std::move(cover));
        return;
    }
    if (kindLetter == 'u')
    {
        belt.image = LoadGamePicture(dir + name);
        belt.x = entry.x;
        belt.y = entry.y;
        return;
    }
    if (kindLetter != 'o' && kindLetter != 'c')
    {
        app.Log("MG5: " + dir + "picture.cfg names no picture of the game: '" + name + "' left out");
        return;
    }
    const std::string key = name.substr(2);
    const int r = RoundOfKey(key);
    if (r < 0 || r >= kMaxRounds)
    {
        app.Log("MG5: '" + name + "' names no round: left out");
        return;
    }
    std::vector<Object>& objects = rounds[size_t(r)].objects;
    Object* found = EntryForKey(objects, key, kMaxObjects, "pieces in a round", name);
    if (found == nullptr)
        return;
    if (kindLetter == 'o')
    {
        if (found->image != nullptr)
        {
            app.Log("MG5: a second picture '" + name + "' left out");
            return;
        }
        found->image = LoadGamePicture(dir + name);
        if (found->image != nullptr)
        {
            found->width = found->image->GetWidth();
            found->height = found->image->GetHeight();
        }
        return;
    }
    if (found->xrayImage != nullptr)
    {
        app.Log("MG5: a second picture '" + name + "' left out");
        return;
    }
    std::unique_ptr<DDImage> xray = LoadGamePicture(dir + name);
    if (xray != nullptr)
        found->xrayImage = std::move(xray);
}

// A see-through picture without its piece has nothing to ride on, and a piece without a
// picture cannot be seen or clicked: neither may hold a round up.
void MG5::DropIncompleteObjects()
{
    for (Round& played : rounds)
        std::erase_if(played.objects,
                      [&](const Object& object)
                      {
                          if (object.image != nullptr && object.width > 0 && object.height > 0)
                              return false;
                          app.Log("MG5: piece '" + object.key + "' has no picture of its own: left out");
                          return true;
                      });
}

// The see-through view is drawn in halves measured on the piece's picture, so it must have
// that size.
void MG5::FitSeeThroughPictures()
{
    for (Round& played : rounds)
        for (Object& object : played.objects)
        {
            MemoryImage* xray = object.xrayImage.get();
            if (xray == nullptr || (xray->GetWidth() == object.width && xray->GetHeight() == object.height))
                continue;
            app.Log("MG5: the see-through picture of '" + object.key + "' is " + std::to_string(xray->GetWidth()) +
                    "x" + std::to_string(xray->GetHeight()) + ", its piece " + std::to_string(object.width) + "x" +
                    std::to_string(object.height) + ": fitted");
            auto fitted = std::make_unique<MemoryImage>();
            fitted->Create(object.width, object.height);
            if (xray->GetWidth() > 0 && xray->GetHeight() > 0)
            {
                Graphics graphics(fitted.get());
                graphics.SetFastStretch(false);
                graphics.DrawImage(xray, Rect(0, 0, object.width, object.height), xray->GetRect());
            }
            object.xrayImage = std::move(fitted);
        }
}

void MG5::FreePictures()
{
    ClearSet();
}

bool MG5::HasPieces() const
{
    for (int r = 0; r < RoundCount() && r < int(rounds.size()); ++r)
        if (!rounds[size_t(r)].objects.empty())
            return true;
    return false;
}

int MG5::RoundCount() const
{
    return std::clamp(app.config.miniGame5.rounds, 1, kMaxRounds);
}

double MG5::RoundSpeed(int r) const
{
    const auto& c = app.config.miniGame5;
    const double speeds[8] = {c.mV1, c.mV2, c.mV3, c.mV4, c.mV5, c.mV6, c.mV7, c.mV8};
    return speeds[size_t(std::clamp(r, 0, 7))];
}

double MG5::RoundSpread(int r) const
{
    const auto& c = app.config.miniGame5;
    const double spreads[8] = {c.mDV1, c.mDV2, c.mDV3, c.mDV4, c.mDV5, c.mDV6, c.mDV7, c.mDV8};
    return spreads[size_t(std::clamp(r, 0, 7))];
}

int MG5::RequiredCatches(int r) const
{
    if (r < 0 || r >= int(rounds.size()))
        return 0;
    const std::vector<Object>& objects = rounds[size_t(r)].objects;
    const int suspicious =
        int(std::count_if(objects.begin(), objects.end(), [](const Object& object) { return object.Suspicious(); }));
    return std::clamp(AskedCatches(app.config.miniGame5, r), 0, suspicious);
}

// The pieces of round r queued left of the screen, the first at its edge and each next one a
// spacing further back, alternately in the upper and the lower half of the belt.
void MG5::PlaceObjects(int r)
{
    if (r < 0 || r >= int(rounds.size()))
        return;
    const auto& c = app.config.miniGame5;
    RandomGenerator& random = app.Random();
    std::vector<Object>& objects = rounds[size_t(r)].objects;
    for (int j = 0; j < int(objects.size()); ++j)
    {
        Object& object = objects[size_t(j)];
        const double behind = c.deltaDX > 0 ? random.NextReal(c.deltaDX) : 0;
        object.x = j == 0 ? -object.width : -(behind + j * c.deltaX) - object.width;
        const double half = (c.toY - c.fromY - object.height) / 2;
        const double offset = half > 0 ? random.NextReal(half) : 0;
        object.y = c.fromY + (j % 2 == 0 ? 0 : std::max(half, 0.0)) + offset;
        const double spread = RoundSpread(r);
        object.speed = RoundSpeed(r) + (spread > 0 ? random.NextReal(spread) : 0);
        object.found = 0;
        object.missed = false;
    }
}

void MG5::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    if (rounds.size() != size_t(kMaxRounds))
        rounds.resize(kMaxRounds);
    roundChangeDue = false;
    lightY = app.config.miniGame5.SLy;
    lightState = 3;
    for (int r = 0; r < kMaxRounds; ++r)
        PlaceObjects(r);
    // The page-turn pictures are made while the page is entered, not in its first frames.
    if (HasPieces())
        PrepareBlur();
}

void MG5::BuildSnapshot()
{
    snapshot = std::make_unique<MemoryImage>();
    snapshot->Create(800, 600);
    Graphics graphics(snapshot.get());
    PaintScene(graphics, BoardX(), BoardY());
}

// --- Rules ----------------------------------------------------------------------------------

int MG5::ScannerLine() const
{
    return 400 - app.config.miniGame5.CUS / 2;
}

int MG5::CaughtCount() const
{
    if (round < 0 || round >= int(rounds.size()))
        return 0;
    const std::vector<Object>& objects = rounds[size_t(round)].objects;
    return int(std::count_if(objects.begin(), objects.end(),
                             [](const Object& object) { return object.found > 0 && !object.missed; }));
}

void MG5::TickRules(float step)
{
    if (roundChangeDue)
    {
        roundChangeDue = false;
        round = std::min(round + 1, RoundCount() - 1);
    }
    // Nothing rides while the page turns.
    if (BlurRunning())
        return;
    if (round < 0 || round >= int(rounds.size()))
        return;
    MoveObjects(step);
    KeepApart();
    AnimateCatches(step);
    CountMisses();
    if (finished)
        return;
    SweepLight(step);
    EndRoundWhenEmpty();
}

void MG5::MoveObjects(float step)
{
    const double queueSpeed = RoundSpeed(round);
    for (Object& object : rounds[size_t(round)].objects)
    {
        if (object.Left())
            object.x = kParkedX;
        else if (object.x + object.width < 0)
            object.x += step * queueSpeed;
        else
            object.x += step * object.speed;
    }
}

// Two pieces side by side on the belt that touch (closer than CDY vertically) trade speeds, so the
// faster one behind slows down instead of passing through the one ahead.
void MG5::KeepApart()
{
    const double gapLimit = app.config.miniGame5.CDY;
    std::vector<Object>& objects = rounds[size_t(round)].objects;
    for (size_t a = 0; a < objects.size(); ++a)
        for (size_t b = a + 1; b < objects.size(); ++b)
        {
            Object& first = objects[a];
            Object& second = objects[b];
            if (first.Left() || second.Left() || first.x + first.width < 0 || second.x + second.width < 0)
                continue;
            const bool across = first.x < second.x + second.width && second.x < first.x + first.width;
            const double gap = std::max(first.y, second.y) - std::min(first.y + first.height, second.y + second.height);
            if (!across || gap >= gapLimit)
                continue;
            Object& behind = first.x <= second.x ? first : second;
            Object& ahead = first.x <= second.x ? second : first;
            if (behind.speed > ahead.speed)
                std::swap(behind.speed, ahead.speed);
        }
}

void MG5::AnimateCatches(float step)
{
    const double speed = layout.completionSpeed;
    for (Object& object : rounds[size_t(round)].objects)
    {
        if (object.found <= 0 || object.found >= 1)
            continue;
        object.found += step * speed;
        if (object.found >= 1 || speed <= 0)
        {
            object.found = 1;
            PieceCompleted();
        }
    }
}

// A suspicious piece that leaves uncaught costs a try.
void MG5::CountMisses()
{
    for (Object& object : rounds[size_t(round)].objects)
    {
        if (!object.Suspicious() || object.found != 0 || !object.Left())
            continue;
        object.found = 1;
        object.missed = true;
        WrongMove();
        if (finished)
            return;
    }
}

// The scanner's light sweeps down and up the belt, with the scanner's hum at the top.
void MG5::SweepLight(float step)
{
    const auto& c = app.config.miniGame5;
    if (lightState > 1)
    {
        --lightState;
        if (lightState == 2)
            app.PlaySample(SOUND_MG5_SCANER);
        return;
    }
    // A light with no way to go stands still (and silent) at its top.
    if (!(c.SLY > c.SLy) || !(c.SLdY > 0))
    {
        lightY = c.SLy;
        return;
    }
    if (lightState == 1)
    {
        lightY = std::min(lightY + step * c.SLdY, double(c.SLY));
        if (lightY >= c.SLY)
            lightState = -1;
    }
    else
    {
        lightY = std::max(lightY - step * c.SLdY, double(c.SLy));
        if (lightY <= c.SLy)
        {
            lightState = 1;
            app.PlaySample(SOUND_MG5_SCANER);
        }
    }
}

// Once the whole round has left the screen and no catch still fades, the round is counted.
void MG5::EndRoundWhenEmpty()
{
    if (!HasPieces() || roundChangeDue)
        return;
    const std::vector<Object>& objects = rounds[size_t(round)].objects;
    const bool over =
        std::all_of(objects.begin(), objects.end(),
                    [](const Object& object) { return object.Left() && (object.found <= 0 || object.found >= 1); });
    if (!over)
        return;
    if (CaughtCount() >= RequiredCatches(round))
    {
        WinRound();
        return;
    }
    WrongMove();
    if (!finished)
        PlaceObjects(round);
}

void MG5::WinRound()
{
    if (finished || roundChangeDue)
        return;
    if (round + 1 >= RoundCount())
    {
        RunDoneSequence();
        return;
    }
    // The first and second rounds' scenes tell the player what comes next.
    app.PlayScene(round == 0 ? "round_1" : "round_2");
    app.PlaySample(SOUND_MG_ROUND);
    roundChangeDue = true;
}

void MG5::CompleteRound()
{
    if (!shown)
        return;
    WinRound();
}

void MG5::CompleteByDebugKey()
{
    RunDoneSequence();
}

// A wrong click or a smuggler let through: the page's fail scene tells the player so; the last
// try ends the page.
void MG5::WrongMove()
{
    if (finished)
        return;
    if (tries > 1)
        app.PlayScene("fail");
    LoseTry();
}

const std::string& MG5::Objective() const
{
    return app.texts.objectives.MG5;
}

// --- Pointer --------------------------------------------------------------------------------

bool MG5::AcceptsClicks() const
{
    const bool paused = (host != nullptr && host->IsPauseOpen()) || app.IsMuted();
    return shown && !finished && !paused && IsPlayTime() && !BlurRunning() && !roundChangeDue;
}

void MG5::OnPress(int x, int y, int clickCode)
{
    MiniGame::OnPress(x, y, clickCode);
    if (clickCode < 0 || x < 400 || !AcceptsClicks())
        return;
    if (round < 0 || round >= int(rounds.size()))
        return;
    // Every piece under the pointer counts: overlapping pieces are all tested.
    for (Object& object : rounds[size_t(round)].objects)
    {
        if (object.found != 0 || !Hits(object.image.get(), int(object.x), int(object.y), x, y, true))
            continue;
        if (object.Suspicious())
        {
            object.found = kCatchStart;
            app.PlaySample(SOUND_MG_FIND);
            continue;
        }
        app.PlaySample(SOUND_NO_OBJ);
        WrongMove();
        if (finished)
            return;
    }
}

// --- Painting -------------------------------------------------------------------------------

void MG5::Paint(Graphics& graphics)
{
    if (host != nullptr)
        host->DrawDeskBackground(graphics);
    PaintPageShadows(graphics);
    if (host != nullptr)
        host->PaintContentsNote(graphics);
    PaintPlayArea(graphics);
    graphics.DrawImage(IMAGE_PAGES, BoardX(), BoardY());
    if (host != nullptr)
        host->DrawOverlays(graphics);
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MG5::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
    {
        PaintBlurred(graphics, Blur());
        return;
    }
    PaintScene(graphics, BoardX(), BoardY());
    // The scanner's light sweeps over the belt.
    graphics.DrawImageF(IMAGE_MG5_SCANNER_LIGHT, float(app.config.miniGame5.SLX), float(lightY));
}

void MG5::PaintScene(Graphics& graphics, int boardX, int boardY) const
{
    if (rounds.empty())
        return;
    const int dx = boardX - BoardX();
    const int dy = boardY - BoardY();
    graphics.PushState();
    // The belt runs in under the page's flaps: nothing of it shows beyond the page.
    graphics.ClipRect(boardX, boardY, kBoardWidth, kBoardHeight);
    graphics.DrawImage(belt.image.get(), boardX + belt.x, boardY + belt.y);
    const int shownRound = std::clamp(round, 0, int(rounds.size()) - 1);
    for (const Object& object : rounds[size_t(shownRound)].objects)
        PaintObject(graphics, object, dx, dy);
    graphics.PopState();
    for (int r = 0; r <= shownRound; ++r)
        for (const Cover& cover : rounds[size_t(r)].covers)
            graphics.DrawImage(cover.image.get(), boardX + cover.x, boardY + cover.y);
}

// A piece as the scanner shows it: itself left of the scanner line, seen through beyond it and
// in halves while it passes; a caught piece fades out in white.
void MG5::PaintObject(Graphics& graphics, const Object& object, int dx, int dy) const
{
    if (object.found >= 1 || object.Left() || object.x + object.width < 0 || object.image == nullptr)
        return;
    const bool fading = object.found > 0;
    if (fading)
    {
        graphics.PushState();
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, std::clamp(int((1 - object.found) * 255), 0, 255)));
    }
    const float x = float(object.x + dx);
    const float y = float(object.y + dy);
    const int line = ScannerLine();
    const int half = object.width / 2;
    if (!object.Suspicious() || object.x < line - half)
        graphics.DrawImageF(object.image.get(), x, y);
    else if (object.x < line)
    {
        graphics.DrawImageF(object.image.get(), x, y, Rect(0, 0, half, object.height));
        graphics.DrawImageF(object.xrayImage.get(), x + float(half), y,
                            Rect(half, 0, object.width - half, object.height));
    }
    else
        graphics.DrawImageF(object.xrayImage.get(), x, y);
    if (fading)
        graphics.PopState();
}

// The page turning in or out: the belt and its covers come out of (or go into) a smear of
// themselves, as the other pages do.
void MG5::PaintBlurred(Graphics& graphics, double blurValue)
{
    PrepareBlur();
    blur.Paint(graphics, BoardX(), BoardY(), blurValue, app.config.pages.BlurTransparency);
}

void MG5::PrepareBlur()
{
    // The belt is still while the page turns; it is made again only when it has moved since.
    std::vector<int> places{round};
    if (round >= 0 && round < int(rounds.size()))
        for (const Object& object : rounds[size_t(round)].objects)
        {
            places.push_back(int(object.x));
            places.push_back(int(object.y));
            places.push_back(object.found > 0 ? 1 : 0);
        }
    if (blurMade && places == blurMadeFor)
        return;
    blurMade = true;
    blurMadeFor = std::move(places);
    blurScene = std::make_unique<MemoryImage>();
    blurScene->Create(kBoardWidth, kBoardHeight);
    {
        Graphics graphics(blurScene.get());
        PaintScene(graphics, 0, 0);
    }
    blur.Prepare({blurScene.get(), 0, 0}, {}, {}, app.config.pages.BlurAmplitude);
}

} // namespace Vesk
