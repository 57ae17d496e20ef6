#include "minigames/MG3.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardBlur.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Transform.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"

#include <cctype>
#include <cmath>
#include <numbers>
#include <utility>

namespace Vesk
{
namespace
{

constexpr double kPlaceStart = 0.01;
constexpr int kShuffleSwaps = 1000;
constexpr int kCursorNormal = 0;
constexpr int kCursorHand = 1;
constexpr int kBlurCopies = 8;

char LowerCase(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

// The round a file name names by its third character ('1' .. '8'), -1 none.
int RoundDigit(const std::string& name)
{
    if (name.size() < 3 || name[2] < '1' || name[2] > '0' + MG3::kMaxRounds)
        return -1;
    return name[2] - '1';
}

// What ties an item's three pictures together: the name from its round digit on, without the
// file's extension.
std::string ItemKey(const std::string& name)
{
    std::string key = name.substr(2);
    const size_t dot = key.rfind('.');
    if (dot != std::string::npos && dot > 0)
        key.erase(dot);
    return key;
}

void RemoveFromParent(ButtonWidget* button)
{
    if (button != nullptr && button->parent != nullptr)
        button->parent->RemoveChild(button);
}

void DrawWithAlpha(Graphics& graphics, Image* image, int x, int y, double alpha)
{
    const int value = std::clamp(int(alpha * 255), 0, 255);
    if (image == nullptr || value == 0)
        return;
    graphics.SetColor(Color(255, 255, 255, value));
    graphics.DrawImage(image, x, y);
}

} // namespace

MG3::MG3(GameApp& app) : MiniGame(app, "MG3", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame3);
}

MG3::~MG3()
{
    RemoveFromParent(replayButton.get());
}

// --- The picture set ------------------------------------------------------------------------

void MG3::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry);
    DropIncompleteItems();
    if (dish.image == nullptr)
        app.Log("MG3: " + dir + " has no dish (\"m_\"): no item can be put in");
    CountRounds(dir);
    StartRound();
}

void MG3::ClearSet()
{
    heldPiece = -1;
    for (Round& each : rounds)
    {
        each.items.clear();
        each.sequence.clear();
    }
    backgrounds.clear();
    parking.fill({});
    dish = {};
    sparkle.reset();
    roundCount = 0;
    blurSmear.reset();
    blurRound = -1;
}

void MG3::AddPicture(const std::string& dir, const PictureListEntry& entry)
{
    const std::string& name = entry.fileName;
    const char kind = name.size() >= 3 && name[1] == '_' ? LowerCase(name[0]) : '\0';
    switch (kind)
    {
    case 'b':
        if (int(backgrounds.size()) >= kMaxBackgrounds)
        {
            app.Log("MG3: more than " + std::to_string(kMaxBackgrounds) + " backgrounds: '" + name + "' left out");
            return;
        }
        backgrounds.push_back({LoadGamePicture(dir + name), entry.x, entry.y});
        return;
    case 's':
        sparkle = LoadGamePicture(dir + name);
        if (sparkle != nullptr)
            sparkle->columns = kSparkleCels;
        return;
    case 'm':
        dish = {LoadGamePicture(dir + name), entry.x, entry.y};
        return;
    case 't':
        if (RoundDigit(name) < 0)
            break;
        parking[size_t(RoundDigit(name))] = {LoadGamePicture(dir + name), entry.x, entry.y};
        return;
    case 'i':
    case 'c':
    case 'a':
        if (RoundDigit(name) < 0)
            break;
        AddItemPicture(dir, entry, kind, RoundDigit(name));
        return;
    default:
        break;
    }
    app.Log("MG3: " + dir + "picture.cfg names nothing the game knows: '" + name + "' left out");
}

// An item's picture goes to its round and, for round 1, to every later round as well.
void MG3::AddItemPicture(const std::string& dir, const PictureListEntry& entry, char kind, int roundIndex)
{
    const std::string& name = entry.fileName;
    std::shared_ptr<DDImage> image;
    if (kind == 'c')
    {
        // The show's pictures may be localised: the page's own first, then the shared ones.
        image = app.GetImage(dir + name, true);
        if (image == nullptr)
            image = LoadGamePicture("images/local/" + name);
    }
    else
        image = LoadGamePicture(dir + name);
    if (kind == 'i' && image != nullptr)
        image->columns = CelCount();

    const std::string key = ItemKey(name);
    const int lastRound = roundIndex == 0 ? kMaxRounds - 1 : roundIndex;
    for (int target = roundIndex; target <= lastRound; ++target)
    {
        auto& items = rounds[size_t(target)].items;
        auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.key == key; });
        if (found == items.end())
        {
            if (int(items.size()) >= kMaxItems)
            {
                if (target == roundIndex)
                    app.Log("MG3: more than " + std::to_string(kMaxItems) + " items in round " +
                            std::to_string(target + 1) + ": '" + name + "' left out");
                continue;
            }
            items.push_back({});
            found = items.end() - 1;
            found->key = key;
        }
        if (kind == 'i')
        {
            found->image = image;
            found->homeX = entry.x;
            found->homeY = entry.y;
            found->width = image != nullptr ? image->GetCelWidth() : 0;
            found->height = image != nullptr ? image->GetCelHeight() : 0;
        }
        else if (kind == 'c')
            found->shown = {image, entry.x, entry.y};
        else
            found->inDish = {image, entry.x, entry.y};
    }
}

// An item the show cannot present, or that cannot be taken or laid in the dish, would make its
// round unwinnable: it is left out.
void MG3::DropIncompleteItems()
{
    for (int index = 0; index < kMaxRounds; ++index)
        std::erase_if(rounds[size_t(index)].items,
                      [&](const Item& item)
                      {
                          const char* missing = item.image == nullptr          ? "loose picture (\"i_\")"
                                                : item.shown.image == nullptr  ? "show picture (\"c_\")"
                                                : item.inDish.image == nullptr ? "dish picture (\"a_\")"
                                                                               : nullptr;
                          if (missing == nullptr)
                              return false;
                          app.Log("MG3: item '" + item.key + "' of round " + std::to_string(index + 1) + " has no " +
                                  missing + ": left out");
                          return true;
                      });
}

// The rounds played: MiniGame3/rounds (1 to 8), ending before the first round the set cannot
// fill with at least one item.
void MG3::CountRounds(const std::string& dir)
{
    const int configured = std::clamp(app.config.miniGame3.rounds, 1, kMaxRounds);
    roundCount = 0;
    while (roundCount < configured &&
           std::min(ConfiguredItems(roundCount), int(rounds[size_t(roundCount)].items.size())) > 0)
        ++roundCount;
    if (roundCount < configured)
        app.Log("MG3: " + dir + " has items for " + std::to_string(roundCount) + " of " + std::to_string(configured) +
                " rounds");
    for (int index = 0; index < roundCount; ++index)
        if (int(rounds[size_t(index)].items.size()) < ConfiguredItems(index))
            app.Log("MG3: round " + std::to_string(index + 1) + " of " + dir + " has " +
                    std::to_string(rounds[size_t(index)].items.size()) + " of " +
                    std::to_string(ConfiguredItems(index)) + " items");
}

void MG3::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    for (Round& each : rounds)
        for (Item& item : each.items)
        {
            item.x = item.homeX;
            item.y = item.homeY;
            item.found = 0;
        }
    StartRound();
}

// A round begins with its show: a fresh order, the show clock at 0 and the tray at its place.
void MG3::StartRound()
{
    heldPiece = -1;
    roundTimer = 0;
    showClock = 0;
    showSoundPlayed = false;
    if (!backgrounds.empty())
    {
        trayX = backgrounds[0].x;
        trayY = backgrounds[0].y;
    }
    Round& current = Current();
    const int count = Playable();
    current.sequence.resize(size_t(count));
    for (int index = 0; index < count; ++index)
        current.sequence[size_t(index)] = index;
    for (int swap = 0; count >= 2 && swap < kShuffleSwaps; ++swap)
        std::swap(current.sequence[0], current.sequence[size_t(app.Random().NextIndex(count))]);
}

void MG3::FreePictures()
{
    ClearSet();
}

void MG3::BuildSnapshot()
{
    snapshot = std::make_unique<MemoryImage>();
    snapshot->Create(800, 600);
    {
        Graphics graphics(snapshot.get());
        PaintScene(graphics, BoardX(), BoardY(), false);
    }
    // The page turns in and out over this same look: its smear is made now, while the page
    // loads or closes, so no frame of the turn waits for it.
    PrepareBlur();
}

// --- Rules ----------------------------------------------------------------------------------

const MG3::Round& MG3::RoundAt(int index) const
{
    return rounds[size_t(std::clamp(index, 0, kMaxRounds - 1))];
}

int MG3::ConfiguredItems(int roundIndex) const
{
    const auto& config = app.config.miniGame3;
    const std::array<int, kMaxRounds> items{config.items1, config.items2, config.items3, config.items4,
                                            config.items5, config.items6, config.items7, config.items8};
    return std::clamp(items[size_t(std::clamp(roundIndex, 0, kMaxRounds - 1))], 0, kMaxItems);
}

double MG3::PauseOf(int roundIndex) const
{
    const auto& config = app.config.miniGame3;
    const std::array<double, kMaxRounds> pauses{config.pause1, config.pause2, config.pause3, config.pause4,
                                                config.pause5, config.pause6, config.pause7, config.pause8};
    return std::max(pauses[size_t(std::clamp(roundIndex, 0, kMaxRounds - 1))], 0.0);
}

int MG3::CelCount() const
{
    return std::max(app.config.miniGame3.FC, 1);
}

// The share of the round-end during which the tray travels (MiniGame3/EP, 0 to 1).
double MG3::EndPhase() const
{
    return std::clamp(app.config.miniGame3.EP, 0.0, 1.0);
}

int MG3::Playable() const
{
    if (round >= roundCount)
        return 0;
    return std::min(ConfiguredItems(round), int(CurrentRound().items.size()));
}

int MG3::PlacedInRound() const
{
    const auto& items = CurrentRound().items;
    int placed = 0;
    for (int index = 0; index < Playable(); ++index)
    {
        const Item& item = items[size_t(index)];
        if (item.found >= 1 && item.x == item.homeX && item.y == item.homeY)
            ++placed;
    }
    return placed;
}

double MG3::ShowEnd() const
{
    const auto& config = app.config.miniGame3;
    return double(config.P1) + config.P2 + config.P3 + config.P4 + Playable() * PauseOf(round);
}

int MG3::ShownItem() const
{
    const auto& config = app.config.miniGame3;
    const double start = double(config.P1) + config.P2 + config.P3 + config.P4;
    const double pause = PauseOf(round);
    const auto& sequence = CurrentRound().sequence;
    if (pause <= 0 || showClock < start || showClock >= ShowEnd() || sequence.empty())
        return -1;
    const int step = std::clamp(int((showClock - start) / pause), 0, int(sequence.size()) - 1);
    return sequence[size_t(step)];
}

void MG3::TickRules(float step)
{
    SetGameCursor();
    if (roundCount == 0)
        return;
    showClock += step * 10;
    PlayShowSound();
    StepRoundEnd(step);
    if (finished)
        return;
    ReturnItems(step);
    FillPlacedItems(step);
    CheckRoundComplete();
}

void MG3::SetGameCursor()
{
    auto hovered = [](const std::unique_ptr<ButtonWidget>& button)
    { return button != nullptr && button->shown && button->isHovered; };
    app.SetCursor(hovered(backButton) || (AcceptsInput() && hovered(replayButton)) ? kCursorHand : kCursorNormal);
}

void MG3::PlayShowSound()
{
    if (!showSoundPlayed && showClock >= app.config.miniGame3.P1)
    {
        showSoundPlayed = true;
        app.PlaySample(SOUND_MG3_SMS);
    }
}

void MG3::StepRoundEnd(float step)
{
    if (roundTimer <= 0)
        return;
    roundTimer -= step;
    // From the third round on the tray stays where it is: the round ends once the items are in.
    const double travel = app.config.miniGame3.RCT * EndPhase();
    if (round >= 2 && roundTimer > 0.001 && roundTimer <= travel)
        roundTimer = 0.001;
    if (roundTimer <= 0)
        EndRound();
}

void MG3::EndRound()
{
    roundTimer = 0;
    if (round >= roundCount - 1)
    {
        RunDoneSequence();
        return;
    }
    app.PlaySample(SOUND_MG_ROUND);
    if (round == 0)
        app.PlayScene("round_1");
    else if (round == 1)
        app.PlayScene("round_2");
    ++round;
    StartRound();
}

// Loose and placed items go back to their homes (a placed one lies in the dish as its "a_"
// picture; what travels home is its sparkle).
void MG3::ReturnItems(float step)
{
    const double speed = app.config.miniGame3.RS;
    auto& items = Current().items;
    for (int index = 0; index < Playable(); ++index)
    {
        Item& item = items[size_t(index)];
        if (index == heldPiece || (item.found > 0 && item.found < 1))
            continue;
        const double dx = item.homeX - item.x;
        const double dy = item.homeY - item.y;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance <= step * speed || speed <= 0)
        {
            item.x = item.homeX;
            item.y = item.homeY;
            continue;
        }
        item.x += dx / distance * step * speed;
        item.y += dy / distance * step * speed;
    }
}

void MG3::FillPlacedItems(float step)
{
    const double speed = layout.completionSpeed;
    auto& items = Current().items;
    for (int index = 0; index < Playable(); ++index)
    {
        Item& item = items[size_t(index)];
        if (item.found <= 0 || item.found >= 1)
            continue;
        item.found += step * speed;
        if (item.found >= 1 || speed <= 0)
        {
            item.found = 1;
            PieceCompleted();
        }
    }
}

void MG3::CheckRoundComplete()
{
    const int count = Playable();
    if (roundTimer != 0 || count <= 0 || PlacedInRound() < count)
        return;
    heldPiece = -1;
    app.PlaySample(SOUND_MG3_MIX);
    if (app.config.miniGame3.RCT > 0)
        roundTimer = app.config.miniGame3.RCT;
    else
        EndRound();
}

void MG3::CompleteByDebugKey()
{
    RunDoneSequence();
}

void MG3::CompleteRound()
{
    if (finished || roundTimer > 0)
        return;
    auto& items = Current().items;
    for (int index = 0; index < Playable(); ++index)
    {
        Item& item = items[size_t(index)];
        item.found = 1;
        item.x = item.homeX;
        item.y = item.homeY;
    }
    heldPiece = -1;
}

const std::string& MG3::Objective() const
{
    return app.texts.objectives.MG3;
}

// --- The replay button ----------------------------------------------------------------------

void MG3::OnAttachedToManager(WidgetManager* newManager)
{
    MiniGame::OnAttachedToManager(newManager);
    RemoveFromParent(replayButton.get());
    const auto& config = app.config.miniGame3;
    replayButton = std::make_unique<ButtonWidget>(kReplayButtonId, this);
    replayButton->buttonImage = IMAGE_MG3_PB;
    replayButton->downImage = IMAGE_MG3_PBN;
    replayButton->label.clear();
    // The game paints it itself, over the page and under the panel.
    replayButton->noDraw = true;
    replayButton->SetBounds(config.PBX, config.PBY, IMAGE_MG3_PB != nullptr ? IMAGE_MG3_PB->GetWidth() : 0,
                            IMAGE_MG3_PB != nullptr ? IMAGE_MG3_PB->GetHeight() : 0);
    replayButton->SetShown(shown);
    newManager->AddChild(replayButton.get());
}

void MG3::OnDetachedFromManager(WidgetManager* oldManager)
{
    RemoveFromParent(replayButton.get());
    MiniGame::OnDetachedFromManager(oldManager);
}

void MG3::SetShown(bool show)
{
    MiniGame::SetShown(show);
    if (replayButton != nullptr)
        replayButton->SetShown(show);
}

// The order shown again, for a try.
void MG3::OnButtonReleased(int id)
{
    if (id != kReplayButtonId)
    {
        MiniGame::OnButtonReleased(id);
        return;
    }
    if (!AcceptsInput())
        return;
    app.PlaySample(SOUND_CLICK);
    showClock = 0;
    showSoundPlayed = false;
    WrongMove();
}

// --- Pointer --------------------------------------------------------------------------------

// The items and the replay button take input only in play: not after the end, while paused,
// during a scene, the page-turn blur or the round's end.
bool MG3::AcceptsInput() const
{
    return shown && !finished && roundCount > 0 && roundTimer == 0 && IsPlayTime() && !BlurRunning() &&
           !app.IsMuted() && (host == nullptr || !host->IsPauseOpen());
}

MG3::Item* MG3::HeldItem()
{
    auto& items = Current().items;
    return heldPiece >= 0 && heldPiece < Playable() ? &items[size_t(heldPiece)] : nullptr;
}

void MG3::OnPress(int x, int y, int code)
{
    MiniGame::OnPress(x, y, code);
    if (!AcceptsInput())
        return;
    if (HeldItem() != nullptr)
    {
        PutDownHeldItem(x, y);
        return;
    }
    heldPiece = -1;
    const int boardX = x - BoardX();
    const int boardY = y - BoardY();
    auto& items = Current().items;
    for (int index = 0; index < Playable(); ++index)
    {
        Item& item = items[size_t(index)];
        const int localX = boardX - int(item.x);
        const int localY = boardY - int(item.y);
        if (item.found != 0 || localX <= 0 || localY <= 0 || localX >= item.width || localY >= item.height)
            continue;
        // The first cel (the item at rest) is what lies there.
        if (item.image->AlphaAt(localX, localY) <= kOpaqueAlpha)
            continue;
        heldPiece = index;
        grabX = boardX - int(item.x);
        grabY = boardY - int(item.y);
        dragMoves = 0;
        return;
    }
}

// A drag ends where it is let go; a click leaves the item on the pointer until the next press.
void MG3::OnRelease(int x, int y, int code)
{
    MiniGame::OnRelease(x, y, code);
    if (!AcceptsInput() || HeldItem() == nullptr)
        return;
    if (code < 0)
        heldPiece = -1;
    else if (!ReleaseIsClick())
        PutDownHeldItem(x, y);
}

void MG3::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    if (!AcceptsInput())
        return;
    ++dragMoves;
    MoveHeldItem(x, y);
}

void MG3::OnPointerMove(int x, int y)
{
    MiniGame::OnPointerMove(x, y);
    if (AcceptsInput())
        MoveHeldItem(x, y);
}

void MG3::MoveHeldItem(int x, int y)
{
    Item* held = HeldItem();
    if (held == nullptr)
        return;
    held->x = x - BoardX() - grabX;
    held->y = y - BoardY() - grabY;
}

// The held item goes into the dish when the pointer is on it (if its turn has come), or back
// home when it is let go anywhere else.
void MG3::PutDownHeldItem(int x, int y)
{
    const int index = heldPiece;
    Item* held = HeldItem();
    heldPiece = -1;
    if (held == nullptr || !Hits(dish.image.get(), BoardX() + dish.x, BoardY() + dish.y, x, y, true))
        return;
    if (!InOrder(index))
    {
        WrongMove();
        return;
    }
    held->found = kPlaceStart;
    app.PlaySample(SOUND_MG3_DISH);
}

// Every item the show presented before this one is in the dish already.
bool MG3::InOrder(int itemIndex) const
{
    const Round& current = CurrentRound();
    for (int entry : current.sequence)
    {
        if (entry == itemIndex)
            return true;
        if (current.items[size_t(entry)].found == 0)
            return false;
    }
    return true;
}

// A wrong order or a replay: a try less (or the failure) and the page's fail script.
void MG3::WrongMove()
{
    LoseTry();
    if (!finished)
        app.PlayScene("fail");
}

// --- Painting -------------------------------------------------------------------------------

void MG3::Paint(Graphics& graphics)
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
    if (replayButton != nullptr && !BlurRunning())
        replayButton->PaintInPlace(graphics);
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MG3::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
        PaintBlurred(graphics, Blur());
    else
        PaintScene(graphics, BoardX(), BoardY(), true);
}

// The game with the board's corner at (originX, originY); live adds the show, the round's end
// and the item in the hand (the snapshot leaves them out).
void MG3::PaintScene(Graphics& graphics, int originX, int originY, bool live)
{
    for (size_t index = 1; index < backgrounds.size(); ++index)
        graphics.DrawImage(backgrounds[index].image.get(), originX + backgrounds[index].x,
                           originY + backgrounds[index].y);
    PaintTray(graphics, originX, originY);
    graphics.DrawImage(dish.image.get(), originX + dish.x, originY + dish.y);

    const auto& items = CurrentRound().items;
    const int count = Playable();
    if (roundTimer <= 0)
        for (int index = 0; index < count; ++index)
        {
            const Item& item = items[size_t(index)];
            if (item.found >= 1)
                graphics.DrawImage(item.inDish.image.get(), originX + item.inDish.x, originY + item.inDish.y);
        }
    if (live)
    {
        PaintShow(graphics, originX, originY);
        PaintWhirl(graphics, originX, originY);
    }
    for (int index = 0; index < count; ++index)
        if (index != heldPiece || !live)
            PaintItem(graphics, items[size_t(index)], originX, originY);
    if (live && heldPiece >= 0 && heldPiece < count)
        PaintItem(graphics, items[size_t(heldPiece)], originX, originY);
}

// The tray (the first background) where it lies or travels, and what earlier rounds parked:
// after round 1 a tray with "t_1" at the place of "t_1", after round 2 also one with "t_2" at
// the place of "t_2". The parked covers lie over every tray, so that a tray as large as the page
// (a cover that lights something on it) keeps each earlier round's cover in sight.
void MG3::PaintTray(Graphics& graphics, int originX, int originY)
{
    if (backgrounds.empty())
        return;
    Image* tray = backgrounds[0].image.get();
    const double travel = app.config.miniGame3.RCT * EndPhase();
    int x = backgrounds[0].x;
    int y = backgrounds[0].y;
    const bool covered = roundTimer > 0 && roundTimer <= travel;
    if (covered && round < 2 && travel > 0)
    {
        const double f = 1 - roundTimer / travel;
        const Placed& target = parking[size_t(round)];
        x = int((target.x - x) * f + x);
        y = int((target.y - y) * f + y);
    }
    trayX = x;
    trayY = y;
    graphics.DrawImage(tray, originX + x, originY + y);
    const int parkedRounds = std::min(round, 2);
    for (int parked = 0; parked < parkedRounds; ++parked)
        graphics.DrawImage(tray, originX + parking[size_t(parked)].x, originY + parking[size_t(parked)].y);
    for (int parked = 0; parked < parkedRounds; ++parked)
    {
        const Placed& place = parking[size_t(parked)];
        graphics.DrawImage(place.image.get(), originX + place.x, originY + place.y);
    }
    if (covered)
        graphics.DrawImage(parking[0].image.get(), originX + x, originY + y);
}

// The lead-in signs and the item the show presents now.
void MG3::PaintShow(Graphics& graphics, int originX, int originY)
{
    const auto& config = app.config.miniGame3;
    const double t = showClock;
    if (t >= ShowEnd() || roundTimer > 0)
        return;
    const bool late = round >= 2;
    const double signs = double(config.P1) + config.P2 + config.P3;
    if (t >= config.P1 && t < signs)
    {
        const bool lit = config.BD <= 0 || int((t - config.P1) / config.BD) % 2 == 0;
        if (lit)
            graphics.DrawImage(late ? IMAGE_SMS_S : IMAGE_SMS, config.MDX, config.MDY);
    }
    else if (t >= signs)
        graphics.DrawImage(late ? IMAGE_MMS_S : IMAGE_MMS, config.MX, config.MY);
    const int shownItem = ShownItem();
    if (shownItem >= 0)
    {
        const Placed& picture = CurrentRound().items[size_t(shownItem)].shown;
        graphics.DrawImage(picture.image.get(), originX + picture.x, originY + picture.y);
    }
}

// The round's end, first part: the items (back home, at rest) whirl about the pivot in white and
// fade, while the tray's cover fades in over the tray.
void MG3::PaintWhirl(Graphics& graphics, int originX, int originY)
{
    const auto& config = app.config.miniGame3;
    const double length = config.RCT;
    const double travel = length * EndPhase();
    if (roundTimer <= travel || length <= 0 || backgrounds.empty())
        return;
    const double fade = std::clamp((roundTimer - travel) / (length - travel), 0.0, 1.0);
    const double angle = (length - roundTimer) * config.ES;
    const double pivotX = originX + backgrounds[0].x + config.RX;
    const double pivotY = originY + backgrounds[0].y + config.RY;
    const double cosine = std::cos(angle);
    const double sine = std::sin(angle);
    graphics.PushState();
    graphics.SetColorizeImages(true);
    int whirled = 0;
    graphics.SetColor(Color(255, 255, 255, std::clamp(int(fade * 255), 0, 255)));
    const auto& items = CurrentRound().items;
    for (int index = 0; index < Playable(); ++index)
    {
        const Item& item = items[size_t(index)];
        if (item.found < 1 || item.image == nullptr)
            continue;
        ++whirled;
        const double dx = originX + item.x + item.width / 2.0 - pivotX;
        const double dy = originY + item.y + item.height / 2.0 - pivotY;
        Transform transform;
        transform.RotateRad(float(angle));
        // The centre goes round the pivot the way the transform turns the picture.
        transform.Translate(float(pivotX + dx * cosine + dy * sine), float(pivotY - dx * sine + dy * cosine));
        graphics.DrawImageTransform(item.image.get(), transform, 0, 0, item.image->GetCelRect(0), true);
    }
    // The cover is laid once for each item, so it is whole before the tray moves.
    const double cover = 1 - std::pow(fade, std::max(whirled, 1));
    DrawWithAlpha(graphics, parking[0].image.get(), originX + backgrounds[0].x, originY + backgrounds[0].y, cover);
    graphics.PopState();
}

// A loose item at rest (cel 0), shaking as it drops in (its cels), then its dish picture
// lighting up under the sparkle; once in, the sparkle's last cel where it was let go.
void MG3::PaintItem(Graphics& graphics, const Item& item, int originX, int originY)
{
    const int x = originX + int(item.x);
    const int y = originY + int(item.y);
    if (item.found <= 0.5)
    {
        const int cel = std::clamp(int(2 * item.found * CelCount()), 0, CelCount() - 1);
        graphics.DrawImageCel(item.image.get(), x, y, cel);
        return;
    }
    if (item.found < 1)
    {
        graphics.PushState();
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, std::clamp(int(2 + 2 * (item.found - 0.5) * 253), 0, 255)));
        graphics.DrawImage(item.inDish.image.get(), originX + item.inDish.x, originY + item.inDish.y);
        graphics.PopState();
        graphics.DrawImageCel(sparkle.get(), x, y, std::clamp(int((item.found - 0.5) * 44), 0, kSparkleCels - 1));
        return;
    }
    graphics.DrawImageCel(sparkle.get(), x, y, kSparkleCels - 1);
}

// The page turning in or out: the round as it lies, sharp under a smear of itself that swells
// and fades with the turn.
void MG3::PaintBlurred(Graphics& graphics, double blur)
{
    if (snapshot == nullptr || blurSmear == nullptr || blurRound != round)
    {
        PaintScene(graphics, BoardX(), BoardY(), false);
        return;
    }
    const double s = std::sin(std::numbers::pi * (1 - blur));
    const double e = (1 - blur) * (1 - blur) * (1 - blur);
    const double copy = std::clamp(e * app.config.pages.BlurTransparency / 255, 0.0, 1.0);
    const double weight = (1 - std::pow(1 - copy, kBlurCopies)) * s;
    graphics.DrawImage(snapshot.get(), 0, 0);
    graphics.PushState();
    graphics.SetColorizeImages(true);
    DrawWithAlpha(graphics, blurSmear.get(), 0, 0, std::max(weight, 0.5 * s));
    graphics.PopState();
}

void MG3::PrepareBlur()
{
    blurSmear.reset();
    blurRound = round;
    if (snapshot != nullptr)
        blurSmear = BoardBlur::Smear(*snapshot, app.config.pages.BlurAmplitude, true);
}

} // namespace Vesk
