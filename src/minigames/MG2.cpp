#include "minigames/MG2.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardBlur.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;
// Containers whose x lies this far right are kept off the page; the shuffle leaves them there.
constexpr int kOffScreenX = 800;
constexpr int kShuffleDraws = 100;
// The borrowed look-alike takes the place of one of the first three containers on the page.
constexpr int kBorrowedPlaces = 3;
// The page-turn blur's copies of the background and of the containers.
constexpr int kBlurCopies = 8;

// The round or container a digit of a picture name stands for ('1' = 0), -1 when none.
int DigitIndex(const std::string& name, size_t position, int limit)
{
    if (position >= name.size())
        return -1;
    int index = name[position] - '1';
    return index >= 0 && index < limit ? index : -1;
}

int ClampAlpha(double alpha)
{
    return std::clamp(int(alpha * 255 + 0.5), 0, 255);
}

void DrawWithAlpha(Graphics& graphics, Image* image, int x, int y, double alpha)
{
    int value = ClampAlpha(alpha);
    if (image == nullptr || value == 0)
        return;
    graphics.SetColor(Color(255, 255, 255, value));
    graphics.DrawImage(image, x, y);
}

} // namespace

MG2::MG2(GameApp& app) : MiniGame(app, "MG2", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame2);
}

MG2::~MG2() = default;

const std::string& MG2::Objective() const
{
    return app.texts.objectives.MG2;
}

// --- The picture set ------------------------------------------------------------------------

void MG2::LoadPicture(const std::string& dir)
{
    BuildSet(ReadPictureList(dir), [&](const std::string& fileName) { return LoadGamePicture(dir + fileName); });
}

void MG2::ClearSet()
{
    for (Round& entry : rounds)
    {
        entry.containers = {};
        entry.containerCount = 0;
        entry.items.clear();
    }
    background.reset();
    backgroundSmear.reset();
    objects.reset();
    objectsSmear.reset();
    backgroundSmearMade = false;
    objectsMade = false;
    objectsRound = -1;
    objectsPlaced = 0;
    heldPiece = -1;
    roundChangePending = false;
    roundCount = 1;
}

void MG2::FreePictures()
{
    ClearSet();
}

void MG2::BuildSet(const std::vector<PictureListEntry>& entries,
                   const std::function<std::unique_ptr<DDImage>(const std::string&)>& load)
{
    ClearSet();
    for (const PictureListEntry& entry : entries)
    {
        const std::string& name = entry.fileName;
        if (name.size() >= 2 && name[1] == '_' && name[0] == 'b')
        {
            if (background == nullptr)
                background = load(name);
            else
                app.Log("MG2: a second background " + name + " is left out");
            continue;
        }
        const int r = DigitIndex(name, 2, kMaxRounds);
        const int c = DigitIndex(name, 4, 9);
        if (name.size() < 5 || name[1] != '_' || (name[0] != 'c' && name[0] != 'p' && name[0] != 'm') || r < 0 || c < 0)
        {
            app.Log("MG2: picture " + name + " names no round, container or kind of this game: left out");
            continue;
        }
        if (name[0] == 'c' && c == kBorrowedContainer)
            BorrowContainer(entry, r);
        else if (name[0] == 'c')
            AddContainer(entry, r, c, load);
        else
            AddItemPicture(entry, r, name[0] == 'm', load);
    }
    for (Round& entry : rounds)
        ShuffleContainers(entry);
    AssignNotes();
    CountRounds();
    for (Round& entry : rounds)
        for (Item& item : entry.items)
        {
            item.x = item.homeX;
            item.y = item.homeY;
        }
}

void MG2::AddContainer(const PictureListEntry& entry, int r, int c,
                       const std::function<std::unique_ptr<DDImage>(const std::string&)>& load)
{
    Container& container = rounds[size_t(r)].containers[size_t(c)];
    // The first line of a container stands: a look-alike may already show its picture.
    if (container.defined)
    {
        app.Log("MG2: container " + entry.fileName + " was listed before: left out");
        return;
    }
    ++rounds[size_t(r)].containerCount;
    container.ownImage = load(entry.fileName);
    container.image = container.ownImage.get();
    container.x = entry.x;
    container.y = entry.y;
    container.defined = true;
}

void MG2::BorrowContainer(const PictureListEntry& entry, int r)
{
    // The first two rounds borrow from each other; a later round borrows from the one before.
    const int from = r == 0 ? 1 : r - 1;
    const int k = app.Random().NextIndex(kBorrowedPlaces);
    Container& container = rounds[size_t(r)].containers[kBorrowedContainer];
    container.ownImage.reset();
    container.image = rounds[size_t(from)].containers[size_t(k)].image;
    container.x = entry.x;
    container.y = entry.y;
    container.defined = true;
    if (container.image == nullptr)
        app.Log("MG2: borrowed container " + entry.fileName + " finds no container " + std::to_string(k + 1) +
                " of round " + std::to_string(from + 1) + " listed before it");
}

void MG2::AddItemPicture(const PictureListEntry& entry, int r, bool placed,
                         const std::function<std::unique_ptr<DDImage>(const std::string&)>& load)
{
    std::vector<Item>& items = rounds[size_t(r)].items;
    const std::string key = entry.fileName.substr(4);
    auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.key == key; });
    if (found == items.end())
    {
        if (int(items.size()) >= kMaxItems)
        {
            app.Log("MG2: round " + std::to_string(r + 1) + " has room for " + std::to_string(kMaxItems) +
                    " items: " + entry.fileName + " is left out");
            return;
        }
        items.emplace_back();
        found = items.end() - 1;
        found->key = key;
        found->container = key[0] - '1';
    }
    if (placed)
    {
        found->placedImage = load(entry.fileName);
        found->placedX = entry.x;
        found->placedY = entry.y;
    }
    else
    {
        found->pieceImage = load(entry.fileName);
        found->homeX = entry.x;
        found->homeY = entry.y;
    }
}

void MG2::ShuffleContainers(Round& round)
{
    auto swapPlaces = [](Container& a, Container& b)
    {
        std::swap(a.x, b.x);
        std::swap(a.y, b.y);
    };
    const int count = std::min(round.containerCount, kMaxContainers);
    if (count >= 2)
        for (int draw = 0; draw < kShuffleDraws; ++draw)
        {
            Container& drawn = round.containers[size_t(app.Random().NextIndex(count))];
            if (drawn.defined && drawn.x < kOffScreenX)
                swapPlaces(drawn, round.containers[0]);
        }
    Container& borrowed = round.containers[kBorrowedContainer];
    if (!borrowed.defined)
        return;
    int k = app.Random().NextIndex(kBorrowedPlaces);
    for (Container& container : round.containers)
        if (container.defined && container.x < kOffScreenX && k-- == 0)
        {
            swapPlaces(borrowed, container);
            break;
        }
}

void MG2::AssignNotes()
{
    const int noteWidth = IMAGE_POST_1 != nullptr ? IMAGE_POST_1->GetWidth() : 0;
    for (Round& entry : rounds)
        for (Item& item : entry.items)
        {
            const int width = item.pieceImage != nullptr ? item.pieceImage->GetWidth() : 0;
            const double centre = item.homeX + width / 2.0;
            double nearest = 1e9;
            for (int note = 0; note < kNotes; ++note)
            {
                double distance = std::fabs(layout.noteX[size_t(note)] + noteWidth / 2.0 - centre);
                if (distance < nearest)
                {
                    nearest = distance;
                    item.note = note;
                }
            }
        }
}

bool MG2::CanBePlaced(const Round& round, const Item& item) const
{
    if (item.pieceImage == nullptr || item.container < 0 || item.container >= kMaxContainers)
        return false;
    const Container& container = round.containers[size_t(item.container)];
    return container.defined && container.image != nullptr;
}

void MG2::CountRounds()
{
    roundCount = std::clamp(app.config.miniGame2.rounds, 1, kMaxRounds);
    int present = 0;
    for (int r = 0; r < kMaxRounds; ++r)
        for (const Item& item : rounds[size_t(r)].items)
            if (CanBePlaced(rounds[size_t(r)], item))
                present = r + 1;
    if (present == 0)
        app.Log("MG2: the picture set has no item that fits a container: the page cannot be played");
    else if (present < roundCount)
    {
        app.Log("MG2: " + std::to_string(roundCount) + " rounds asked for, the picture set has " +
                std::to_string(present));
        roundCount = present;
    }
}

int MG2::NeededInRound(int r) const
{
    if (r < 0 || r >= kMaxRounds)
        return 0;
    const Round& entry = rounds[size_t(r)];
    int present = int(std::count_if(entry.items.begin(), entry.items.end(),
                                    [&](const Item& item) { return CanBePlaced(entry, item); }));
    return present == 0 ? 0 : std::clamp(requiredCount, 1, present);
}

int MG2::PlacedInRound(int r) const
{
    if (r < 0 || r >= kMaxRounds)
        return 0;
    const auto& items = rounds[size_t(r)].items;
    return int(std::count_if(items.begin(), items.end(), [](const Item& item) { return item.found >= 1; }));
}

int MG2::ContainerScreenX(int r, int c) const
{
    return rounds[size_t(std::clamp(r, 0, kMaxRounds - 1))].containers[size_t(std::clamp(c, 0, kMaxContainers - 1))].x +
           BoardX();
}

int MG2::ContainerScreenY(int r, int c) const
{
    return rounds[size_t(std::clamp(r, 0, kMaxRounds - 1))].containers[size_t(std::clamp(c, 0, kMaxContainers - 1))].y +
           BoardY();
}

// --- Starting -------------------------------------------------------------------------------

void MG2::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    roundChangePending = false;
    for (Round& entry : rounds)
        for (Item& item : entry.items)
        {
            item.found = 0;
            item.x = item.homeX;
            item.y = item.homeY;
        }
    for (int r = 0; r < roundCount; ++r)
    {
        const Round& entry = rounds[size_t(r)];
        int present = int(std::count_if(entry.items.begin(), entry.items.end(),
                                        [&](const Item& item) { return CanBePlaced(entry, item); }));
        if (present == 0)
            app.Log("MG2: round " + std::to_string(r + 1) + " has nothing to put away: it cannot end");
        else if (requiredCount > present)
            app.Log("MG2: round " + std::to_string(r + 1) + " asks for " + std::to_string(requiredCount) +
                    " items and has " + std::to_string(present) + ": it ends after " + std::to_string(present));
    }
    // The blur's pictures are made now, while the page is being entered, not in its first frames.
    PrepareBlur();
}

// --- The rules ------------------------------------------------------------------------------

void MG2::TickRules(float step)
{
    if (roundChangePending)
    {
        roundChangePending = false;
        round = std::min(round + 1, kMaxRounds - 1);
        heldPiece = -1;
    }
    ReturnLooseItems(step);
    FillPlacedItems(step);
    CheckRoundComplete();
}

void MG2::ReturnLooseItems(float step)
{
    auto& items = rounds[size_t(round)].items;
    for (int index = 0; index < int(items.size()); ++index)
    {
        Item& item = items[size_t(index)];
        if (item.found == 0 && index != heldPiece)
            TravelHome(item.x, item.y, item.homeX, item.homeY, step);
    }
}

void MG2::FillPlacedItems(float step)
{
    const double speed = app.config.miniGame2.CS;
    for (Item& item : rounds[size_t(round)].items)
    {
        if (item.found <= 0 || item.found >= 1)
            continue;
        // No speed fills at once.
        item.found = speed > 0 ? item.found + step * speed : 1.0;
        if (item.found >= 1)
        {
            item.found = 1;
            PieceCompleted();
        }
    }
}

void MG2::CheckRoundComplete()
{
    const int needed = NeededInRound(round);
    if (roundChangePending || needed == 0 || PlacedInRound(round) < needed)
        return;
    if (round < roundCount - 1)
        StartRoundChange();
    else
        RunDoneSequence();
}

void MG2::StartRoundChange()
{
    app.PlaySample(SOUND_MG_ROUND);
    app.PlayScene("round_1");
    roundChangePending = true;
}

void MG2::CompleteByDebugKey()
{
    RunDoneSequence();
}

void MG2::CompleteRound()
{
    if (finished)
        return;
    heldPiece = -1;
    Round& entry = rounds[size_t(round)];
    for (Item& item : entry.items)
        if (CanBePlaced(entry, item))
            item.found = 1;
}

// --- The pointer ----------------------------------------------------------------------------

void MG2::OnPress(int x, int y, int clickCode)
{
    (void)clickCode;
    // Nothing is taken before the notes have come in with the cargo, nor once the game is over.
    if (finished || !IsPlayTime() || BlurRunning() || ListSlide() > 0)
        return;
    auto& items = rounds[size_t(round)].items;
    for (int index = 0; index < int(items.size()); ++index)
    {
        Item& item = items[size_t(index)];
        if (item.found != 0 || !Hits(item.pieceImage.get(), item.x, item.y, x, y, true))
            continue;
        grabX = x - item.x;
        grabY = y - item.y;
        if (heldPiece < 0)
            dragMoves = 0;
        heldPiece = index;
    }
}

void MG2::OnPointerDrag(int x, int y)
{
    if (finished)
        return;
    ++dragMoves;
    OnPointerMove(x, y);
}

void MG2::OnPointerMove(int x, int y)
{
    // An item taken with a click follows the pointer as a dragged one does.
    auto& items = rounds[size_t(round)].items;
    if (finished || heldPiece < 0 || heldPiece >= int(items.size()) || !IsPlayTime() || BlurRunning())
        return;
    items[size_t(heldPiece)].x = x - grabX;
    items[size_t(heldPiece)].y = y - grabY;
}

void MG2::OnRelease(int x, int y, int clickCode)
{
    MiniGame::OnRelease(x, y, clickCode);
    auto& items = rounds[size_t(round)].items;
    if (finished || heldPiece < 0 || heldPiece >= int(items.size()))
        return;
    // The right button, or a scene that has taken over: the item goes home at no cost.
    if (clickCode < 0 || !IsPlayTime())
    {
        heldPiece = -1;
        return;
    }
    Item& item = items[size_t(heldPiece)];
    if (item.container >= 0 && item.container < kMaxContainers)
    {
        const Container& container = rounds[size_t(round)].containers[size_t(item.container)];
        if (container.defined && Hits(container.image, container.x + BoardX(), container.y + BoardY(), x, y))
        {
            item.found = 0.01;
            heldPiece = -1;
            app.PlaySample(SOUND_MG_FIND);
            return;
        }
    }
    if (ReleaseIsClick() && Hits(item.pieceImage.get(), item.homeX, item.homeY, x, y))
        return;
    heldPiece = -1;
    if (!IsFreeDrop(x, y))
        LoseTry();
}

bool MG2::IsFreeDrop(int x, int y) const
{
    if (IMAGE_POST_3 == nullptr)
        return false;
    const auto& common = app.config.common;
    const int width = IMAGE_POST_3->GetWidth();
    const int height = IMAGE_POST_3->GetHeight();
    auto inside = [&](int left, int right, int top)
    { return x > left && x < right + width && y > top && y < top + height; };
    return inside(common.ListX1, common.ListX3, common.ListY) || inside(common.ListTX1, common.ListTX3, common.ListTY);
}

// --- Painting -------------------------------------------------------------------------------

void MG2::Paint(Graphics& graphics)
{
    PaintOnOpenPage(graphics);
    PaintPanelAndNotes(graphics);
    PaintOnNotes(graphics);
    PaintBackButtonAndTries(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MG2::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
    {
        PaintBlurred(graphics, Blur());
        return;
    }
    graphics.DrawImage(background.get(), BoardX(), BoardY());
    PaintContainersAndPlaced(graphics, BoardX(), BoardY(), true);
}

void MG2::PaintContainersAndPlaced(Graphics& graphics, int offsetX, int offsetY, bool withFills)
{
    const Round& entry = rounds[size_t(round)];
    for (const Container& container : entry.containers)
        if (container.defined)
            graphics.DrawImage(container.image, container.x + offsetX, container.y + offsetY);
    for (const Item& item : entry.items)
    {
        if (item.found <= 0 || item.placedImage == nullptr || item.container < 0 || item.container >= kMaxContainers)
            continue;
        const Container& container = entry.containers[size_t(item.container)];
        const int x = container.x + item.placedX + offsetX;
        const int y = container.y + item.placedY + offsetY;
        if (withFills && item.found < 1)
        {
            graphics.PushState();
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, ClampAlpha(item.found)));
            graphics.DrawImage(item.placedImage.get(), x, y);
            graphics.PopState();
        }
        else
            graphics.DrawImage(item.placedImage.get(), x, y);
    }
}

void MG2::PaintOnNotes(Graphics& graphics)
{
    const auto& items = rounds[size_t(round)].items;
    for (int index = 0; index < int(items.size()); ++index)
    {
        const Item& item = items[size_t(index)];
        if (item.found != 0 || index == heldPiece)
            continue;
        const bool resting = item.x == item.homeX && item.y == item.homeY;
        graphics.DrawImage(item.pieceImage.get(), item.x, item.y + (resting ? int(NoteDrop(item.note)) : 0));
    }
    // The item in hand lies over everything else.
    if (heldPiece >= 0 && heldPiece < int(items.size()))
    {
        const Item& item = items[size_t(heldPiece)];
        graphics.DrawImage(item.pieceImage.get(), item.x, item.y);
    }
}

// The page turning in or out: the background stays sharp under its smear, and the containers
// with what has been put away in them come out of a smear of themselves. The smear stands for
// eight copies at the blur's offsets, strongest in the middle of the turn; the pictures are made
// once (PrepareBlur) and each frame blends three of them.
void MG2::PaintBlurred(Graphics& graphics, double blur)
{
    const double s = std::sin(std::numbers::pi * (1 - blur));
    const double e = (1 - blur) * (1 - blur) * (1 - blur);
    PrepareBlur();
    const double backgroundCopy = std::clamp(e * app.config.pages.BlurTransparency / 255, 0.0, 1.0);
    const double backgroundWeight = (1 - std::pow(1 - backgroundCopy, kBlurCopies)) * s;
    const double objectCopy = int(e * 255) / 255.0;
    const double objectWeight = 1 - std::pow(1 - objectCopy, kBlurCopies);

    graphics.PushState();
    graphics.DrawImage(background.get(), BoardX(), BoardY());
    graphics.SetColorizeImages(true);
    DrawWithAlpha(graphics, backgroundSmear.get(), BoardX(), BoardY(), backgroundWeight);
    DrawWithAlpha(graphics, objects.get(), BoardX() + objectsX, BoardY() + objectsY, objectWeight * (1 - s));
    DrawWithAlpha(graphics, objectsSmear.get(), BoardX() + objectsX, BoardY() + objectsY, objectWeight * s);
    graphics.PopState();
}

uint64_t MG2::PlacedMask() const
{
    uint64_t mask = 0;
    const auto& items = rounds[size_t(round)].items;
    for (size_t index = 0; index < items.size() && index < 64; ++index)
        if (items[index].found > 0)
            mask |= uint64_t(1) << index;
    return mask;
}

void MG2::PrepareBlur()
{
    const double amplitude = app.config.pages.BlurAmplitude;
    if (!backgroundSmearMade)
    {
        auto* picture = dynamic_cast<MemoryImage*>(background.get());
        backgroundSmear = picture != nullptr ? BoardBlur::Smear(*picture, amplitude, true) : nullptr;
        backgroundSmearMade = true;
    }
    const uint64_t placed = PlacedMask();
    if (objectsMade && objectsRound == round && objectsPlaced == placed)
        return;
    objectsMade = true;
    objectsRound = round;
    objectsPlaced = placed;
    objects.reset();
    objectsSmear.reset();

    // The layer covers the containers on the page, with room for the smear around them.
    int left = kBoardWidth;
    int top = kBoardHeight;
    int right = 0;
    int bottom = 0;
    for (const Container& container : rounds[size_t(round)].containers)
    {
        if (!container.defined || container.image == nullptr)
            continue;
        left = std::min(left, container.x);
        top = std::min(top, container.y);
        right = std::max(right, container.x + container.image->GetWidth());
        bottom = std::max(bottom, container.y + container.image->GetHeight());
    }
    const int margin = int(std::ceil(std::fabs(amplitude) * 1.3)) + 2;
    objectsX = std::max(left - margin, 0);
    objectsY = std::max(top - margin, 0);
    const int width = std::min(right + margin, kBoardWidth) - objectsX;
    const int height = std::min(bottom + margin, kBoardHeight) - objectsY;
    if (width <= 0 || height <= 0)
        return;
    objects = std::make_unique<MemoryImage>();
    objects->Create(width, height);
    {
        Graphics layer(objects.get());
        PaintContainersAndPlaced(layer, -objectsX, -objectsY, false);
    }
    objectsSmear = BoardBlur::Smear(*objects, amplitude, false);
}

} // namespace Vesk
