#include "support/GameMoves.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "framework/graphics/DDImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MG1.h"
#include "minigames/MG2.h"
#include "minigames/MG3.h"
#include "minigames/MG4.h"
#include "minigames/MG5.h"
#include "minigames/MG6.h"
#include "minigames/MG8.h"
#include "minigames/MG9.h"
#include "minigames/MGLast.h"
#include "publication/Page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace Vesk::TestSupport
{
namespace
{

Page& Screen(GameDriver& game)
{
    return *game.Game().pageScreen;
}

int BoardX(GameDriver& game)
{
    return game.Game().config.common.BoardX;
}

int BoardY(GameDriver& game)
{
    return game.Game().config.common.BoardY;
}

template <typename Game> Game& Of(GameDriver& game, int mode)
{
    return *dynamic_cast<Game*>(game.Game().MiniGameOfMode(mode));
}

MG1& Pieces(GameDriver& game)
{
    return Of<MG1>(game, 1);
}
MG2& Cargo(GameDriver& game)
{
    return Of<MG2>(game, 2);
}
MG3& Bells(GameDriver& game)
{
    return Of<MG3>(game, 3);
}
MG4& Shelf(GameDriver& game)
{
    return Of<MG4>(game, 4);
}
MG5& Scanner(GameDriver& game)
{
    return Of<MG5>(game, 5);
}
MG6& Glass(GameDriver& game)
{
    return Of<MG6>(game, 6);
}
MG8& Search(GameDriver& game)
{
    return Of<MG8>(game, 8);
}
MG9& Capture(GameDriver& game)
{
    return Of<MG9>(game, 9);
}
MGLast& Final(GameDriver& game)
{
    return Of<MGLast>(game, 10);
}

// Waits until the page the publication lies open at is done.
bool WaitForPageDone(GameDriver& game, int maxUpdates = 1000)
{
    const int page = Screen(game).currentPage;
    return game.WaitUntil([&] { return game.Game().content.pages[size_t(page)].done; }, maxUpdates,
                          "page " + std::to_string(page) + " is done");
}

void ClickForwardCorner(GameDriver& game)
{
    game.Click(765, BoardY(game) + 520);
}

void ClickBackwardCorner(GameDriver& game)
{
    game.Click(35, BoardY(game) + 520);
}

} // namespace

int ModeOfPageType(const std::string& type)
{
    if (type == "MGLast")
        return Page::kModeFinalGame;
    if (type.size() == 3 && type.compare(0, 2, "MG") == 0 && type[2] >= '1' && type[2] <= '9')
        return type[2] - '0';
    return 0;
}

void PressButton(GameDriver& game, const ButtonWidget& button)
{
    game.Click(button.x + button.width / 2, button.y + button.height / 2);
}

bool PlayTime(GameDriver& game)
{
    const std::string state = game.Game().SceneState();
    return state.empty() || state == "Playtime";
}

bool WaitForMiniGame(GameDriver& game, int mode, int maxUpdates)
{
    MiniGame* played = game.Game().MiniGameOfMode(mode);
    if (played == nullptr)
    {
        ADD_FAILURE() << "no mini-game of mode " << mode;
        return false;
    }
    Page& screen = Screen(game);
    return game.WaitUntil(
        [&]
        {
            return played->shown && played->openSignalled && !screen.IsPublicationShown() && screen.ListSlide() == 0 &&
                   screen.Blur() == 0;
        },
        maxUpdates, "mini-game " + std::to_string(mode) + " is played");
}

bool BackOnThePublication(GameDriver& game, int mode)
{
    MiniGame* played = game.Game().MiniGameOfMode(mode);
    Page& screen = Screen(game);
    return game.WaitUntil(
        [&]
        {
            return screen.IsPublicationShown() && (played == nullptr || !played->shown) && screen.OpenGate() == 0 &&
                   !screen.Flipping() && screen.mode != Page::kModeNameStamp;
        },
        4000, "back on the publication");
}

bool ClickSticker(GameDriver& game, int page)
{
    const GameApp& app = game.Game();
    if (app.currentSet < 0)
    {
        ADD_FAILURE() << "no set is open";
        return false;
    }
    const auto& set = app.content.sets[size_t(app.currentSet)];
    const int sticker = set.a == page ? 0 : set.b == page ? 1 : set.c == page ? 2 : -1;
    if (sticker < 0)
    {
        ADD_FAILURE() << "page " << page << " is not in the open set";
        return false;
    }
    const ButtonWidget& button = *Screen(game).stickerButtons[size_t(sticker)];
    if (!button.shown)
    {
        ADD_FAILURE() << "the sticker of page " << page << " is not shown";
        return false;
    }
    PressButton(game, button);
    return true;
}

std::optional<Point> OpaquePointNearMiddle(const DDImage& image, Point origin, int minAlpha)
{
    DDImage& picture = const_cast<DDImage&>(image);
    const int width = picture.GetWidth();
    const int height = picture.GetHeight();
    std::optional<Point> best;
    double nearest = 1e9;
    for (int y = 1; y < height; ++y)
        for (int x = 1; x < width; ++x)
        {
            const double distance = std::hypot(x - width / 2.0, y - height / 2.0);
            if (distance < nearest && picture.AlphaAt(x, y) > minAlpha)
            {
                nearest = distance;
                best = Point{origin.x + x, origin.y + y};
            }
        }
    return best;
}

// --- Hidden-object pages

bool ListSlotDone(GameDriver& game, int slot)
{
    const int item = game.Game().board->listSlots[size_t(slot)];
    if (item < 0)
        return true;
    const PictureItem& listed = game.Game().content.pictureItems[size_t(item)];
    return listed.found > 0 && (listed.linkedCount < 1 || listed.remaining < 1);
}

bool FindListed(GameDriver& game, int count)
{
    Board& board = *game.Game().board;
    for (int clicks = 0; count > 0 && clicks < 4 * kMaxPictureItems; ++clicks)
    {
        int slot = 0;
        while (slot < board.slotCount && ListSlotDone(game, slot))
            ++slot;
        if (slot == board.slotCount || board.completed)
            return true;
        const int item = board.listSlots[size_t(slot)];
        if (!game.ClickItem(game.Game().content.pictureItems[size_t(item)].name))
            return false;
        game.Step(6);
        if (ListSlotDone(game, slot))
            --count;
    }
    return count <= 0;
}

bool PlayHiddenObjectPage(GameDriver& game, int page)
{
    if (!FindListed(game, kListSlotCount))
        return false;
    game.Step(60);
    return game.WaitUntil([&] { return game.Game().content.pages[size_t(page)].done; }, 1000,
                          "page " + std::to_string(page) + " is done");
}

bool WaitForBoard(GameDriver& game, int page)
{
    Page& screen = Screen(game);
    Board& board = *game.Game().board;
    return game.WaitUntil(
        [&]
        {
            return !screen.IsPublicationShown() && screen.currentPage == page && board.openSignalled &&
                   screen.ListSlideDirection() == 0 && screen.ListSlide() == 0;
        },
        3000, "the board plays page " + std::to_string(page));
}

// --- MG1

std::optional<Point> MG1PiecePoint(GameDriver& game, int index)
{
    // An opaque pixel outside every later loose piece (the last one under the pointer is taken).
    const auto& pieces = Pieces(game).CurrentRound().pieces;
    const MG1::Piece& piece = pieces[size_t(index)];
    DDImage* image = piece.pieceImage.get();
    if (image == nullptr)
        return std::nullopt;
    const int width = image->GetWidth();
    const int height = image->GetHeight();
    std::optional<Point> best;
    long bestDistance = 0;
    for (int y = 1; y < height; ++y)
        for (int x = 1; x < width; ++x)
        {
            if (image->AlphaAt(x, y) <= 128)
                continue;
            Point screen{piece.x + x, piece.y + y};
            bool covered = false;
            for (size_t later = size_t(index) + 1; later < pieces.size() && !covered; ++later)
            {
                const MG1::Piece& other = pieces[later];
                DDImage* otherImage = other.pieceImage.get();
                covered = other.found == 0 && otherImage != nullptr && screen.x > other.x && screen.y > other.y &&
                          screen.x < other.x + otherImage->GetWidth() && screen.y < other.y + otherImage->GetHeight();
            }
            long distance = long(x - width / 2) * (x - width / 2) + long(y - height / 2) * (y - height / 2);
            if (!covered && (!best || distance < bestDistance))
            {
                best = screen;
                bestDistance = distance;
            }
        }
    return best;
}

Point MG1OutlinePoint(GameDriver& game, int index)
{
    const MG1::Piece& piece = Pieces(game).CurrentRound().pieces[size_t(index)];
    return {BoardX(game) + piece.outlineX + piece.outlineImage->GetWidth() / 2,
            BoardY(game) + piece.outlineY + piece.outlineImage->GetHeight() / 2};
}

int MG1LoosePiece(GameDriver& game)
{
    const auto& pieces = Pieces(game).CurrentRound().pieces;
    for (size_t index = 0; index < pieces.size(); ++index)
        if (pieces[index].found == 0)
            return int(index);
    return -1;
}

bool MG1PlacePiece(GameDriver& game, int index)
{
    std::optional<Point> from = index >= 0 ? MG1PiecePoint(game, index) : std::nullopt;
    if (!from)
    {
        ADD_FAILURE() << "piece " << index << " cannot be taken";
        return false;
    }
    game.Drag(*from, MG1OutlinePoint(game, index));
    return Pieces(game).CurrentRound().pieces[size_t(index)].found > 0;
}

bool WinMG1(GameDriver& game)
{
    MG1& pieces = Pieces(game);
    for (int round = pieces.round; round < MG1::kRounds; ++round)
    {
        const int required = pieces.RequiredInRound();
        for (int placed = pieces.PlacedInRound(); placed < required; ++placed)
        {
            if (!MG1PlacePiece(game, MG1LoosePiece(game)))
                return false;
            game.Step(5);
        }
        if (round == MG1::kRounds - 1)
            break;
        if (!game.WaitUntil([&] { return pieces.roundTimer > 0 && pieces.round == round + 1; }, 1000,
                            "the round changes") ||
            !game.WaitUntil([&] { return pieces.roundTimer == 0 && Screen(game).ListSlide() == 0; }, 1000,
                            "the next round is in place"))
            return false;
    }
    return WaitForPageDone(game);
}

// --- MG2

Point MG2ItemPoint(GameDriver& game, int index)
{
    const MG2::Item& item = Cargo(game).rounds[size_t(Cargo(game).round)].items[size_t(index)];
    const DDImage& picture = *item.pieceImage;
    return OpaquePointNearMiddle(picture, Point{int(item.x), int(item.y)}, 128)
        .value_or(Point{int(item.x) + picture.GetWidth() / 2, int(item.y) + picture.GetHeight() / 2});
}

Point MG2ContainerPoint(GameDriver& game, int index)
{
    MG2& cargo = Cargo(game);
    const MG2::Round& round = cargo.rounds[size_t(cargo.round)];
    const int c = round.items[size_t(index)].container;
    const Image* picture = round.containers[size_t(c)].image;
    return {cargo.ContainerScreenX(cargo.round, c) + picture->GetWidth() / 2,
            cargo.ContainerScreenY(cargo.round, c) + picture->GetHeight() / 2};
}

bool WinMG2(GameDriver& game)
{
    MG2& cargo = Cargo(game);
    for (int r = cargo.round; r < cargo.RoundCount(); ++r)
    {
        const int needed = cargo.NeededInRound(r);
        int dropped = cargo.PlacedInRound(r);
        for (int index = 0; dropped < needed && index < int(cargo.rounds[size_t(r)].items.size()); ++index)
        {
            const MG2::Item& item = cargo.rounds[size_t(r)].items[size_t(index)];
            if (item.found != 0 || item.pieceImage == nullptr)
                continue;
            game.Drag(MG2ItemPoint(game, index), MG2ContainerPoint(game, index), 10);
            if (item.found <= 0)
            {
                ADD_FAILURE() << "item " << item.key << " of round " << r + 1 << " is not in its container";
                return false;
            }
            ++dropped;
            game.Step(5);
        }
        if (r + 1 < cargo.RoundCount() && !game.WaitUntil([&] { return cargo.round == r + 1; }, 300, "the next round"))
            return false;
    }
    return WaitForPageDone(game, 300);
}

// --- MG3

std::vector<int> MG3WatchShow(GameDriver& game, const std::function<void()>& onSecond)
{
    MG3& bells = Bells(game);
    std::vector<int> seen;
    game.WaitUntil(
        [&]
        {
            const int shown = bells.ShownItem();
            if (shown >= 0 && (seen.empty() || seen.back() != shown))
            {
                seen.push_back(shown);
                if (seen.size() == 2 && onSecond)
                    onSecond();
            }
            return bells.ShowClock() >= bells.ShowEnd();
        },
        3000, "the show ends");
    return seen;
}

namespace
{

// An opaque pixel (alpha over 40) of a picture lying at (x, y) on the board (its first cel),
// nearest its middle, in screen coordinates.
std::optional<Point> BellPoint(GameDriver& game, DDImage* image, int x, int y, int width, int height)
{
    if (image == nullptr)
        return std::nullopt;
    std::optional<Point> best;
    long bestDistance = 0;
    for (int py = 1; py < height; ++py)
        for (int px = 1; px < width; ++px)
        {
            if (image->AlphaAt(px, py) <= 40)
                continue;
            const long distance = long(px - width / 2) * (px - width / 2) + long(py - height / 2) * (py - height / 2);
            if (!best || distance < bestDistance)
            {
                best = Point{BoardX(game) + x + px, BoardY(game) + y + py};
                bestDistance = distance;
            }
        }
    return best;
}

} // namespace

std::optional<Point> MG3ItemPoint(GameDriver& game, int index)
{
    const MG3::Item& item = Bells(game).CurrentRound().items[size_t(index)];
    return BellPoint(game, item.image.get(), int(item.x), int(item.y), item.width, item.height);
}

Point MG3DishPoint(GameDriver& game)
{
    const MG3::Placed& dish = Bells(game).Dish();
    std::optional<Point> point =
        BellPoint(game, dish.image.get(), dish.x, dish.y, dish.image->GetWidth(), dish.image->GetHeight());
    EXPECT_TRUE(point.has_value()) << "the tray has an opaque pixel";
    return point.value_or(Point{0, 0});
}

bool MG3DropByDrag(GameDriver& game, int index)
{
    std::optional<Point> from = MG3ItemPoint(game, index);
    if (!from)
    {
        ADD_FAILURE() << "bell " << Bells(game).CurrentRound().items[size_t(index)].key << " cannot be taken";
        return false;
    }
    game.Drag(*from, MG3DishPoint(game), 10);
    return Bells(game).heldPiece == -1;
}

bool WinMG3(GameDriver& game)
{
    MG3& bells = Bells(game);
    for (int r = bells.round; r < bells.RoundCount(); ++r)
    {
        const std::vector<int> order = MG3WatchShow(game);
        if (int(order.size()) != bells.Playable())
        {
            ADD_FAILURE() << "the show of round " << r + 1 << " showed " << order.size() << " bells";
            return false;
        }
        for (int bell : order)
        {
            if (!MG3DropByDrag(game, bell))
                return false;
            game.Step(5);
        }
        if (!game.WaitUntil([&] { return bells.RoundEnding(); }, 600, "the round ends"))
            return false;
        if (r + 1 < bells.RoundCount())
        {
            if (!game.WaitUntil([&] { return bells.round == r + 1; }, 600, "the next round"))
                return false;
            game.Step(30);
        }
    }
    return WaitForPageDone(game, 600);
}

// --- MG4

std::optional<Point> MG4GrabPoint(GameDriver& game, int index)
{
    // A pixel of its click mask that takes it (green), inside its picture and outside every
    // later piece's mask, nearest the picture's middle.
    const auto& pieces = Shelf(game).CurrentRound().pieces;
    const MG4::Piece& piece = pieces[size_t(index)];
    if (piece.shapeImage == nullptr)
        return std::nullopt;
    auto maskPixel = [](const MG4::Piece& of, int boardX, int boardY) -> uint32_t
    {
        DDImage& mask = *of.shapeImage;
        const int x = boardX - (of.x + (of.width - mask.GetWidth()) / 2);
        const int y = boardY - (of.y + (of.height - mask.GetHeight()) / 2);
        if (x < 0 || y < 0 || x >= mask.GetWidth() || y >= mask.GetHeight())
            return 0;
        return mask.GetBits()[size_t(y) * size_t(mask.GetWidth()) + size_t(x)];
    };
    std::optional<Point> best;
    long bestDistance = 0;
    for (int y = 1; y < piece.height; ++y)
        for (int x = 1; x < piece.width; ++x)
        {
            const uint32_t pixel = maskPixel(piece, piece.x + x, piece.y + y);
            if ((pixel >> 24) <= 20 || ((pixel >> 8) & 0xFF) <= 20)
                continue;
            bool covered = false;
            for (size_t later = size_t(index) + 1; later < pieces.size() && !covered; ++later)
                covered = pieces[later].shapeImage != nullptr &&
                          (maskPixel(pieces[later], piece.x + x, piece.y + y) >> 24) > 20;
            const long distance =
                long(x - piece.width / 2) * (x - piece.width / 2) + long(y - piece.height / 2) * (y - piece.height / 2);
            if (!covered && (!best || distance < bestDistance))
            {
                best = Point{BoardX(game) + piece.x + x, BoardY(game) + piece.y + y};
                bestDistance = distance;
            }
        }
    return best;
}

bool MG4PlaceByDrag(GameDriver& game, int index)
{
    const MG4::Piece& piece = Shelf(game).CurrentRound().pieces[size_t(index)];
    std::optional<Point> from = MG4GrabPoint(game, index);
    if (!from)
    {
        ADD_FAILURE() << "piece " << piece.key << " cannot be taken";
        return false;
    }
    game.Drag(*from, {from->x + piece.targetX - piece.x, from->y + piece.targetY - piece.y}, 10);
    return Shelf(game).heldPiece == -1 && piece.x == piece.targetX && piece.y == piece.targetY;
}

bool WinMG4(GameDriver& game)
{
    MG4& shelf = Shelf(game);
    for (int r = shelf.round; r < shelf.RoundCount(); ++r)
    {
        for (int index = 0; index < shelf.PiecesToCheck(); ++index)
        {
            if (!MG4PlaceByDrag(game, index))
            {
                ADD_FAILURE() << "piece " << index << " of round " << r + 1 << " is not in its place";
                return false;
            }
            game.Step(3);
        }
        PressButton(game, *shelf.checkButton);
        if (r + 1 < shelf.RoundCount() &&
            (!game.WaitUntil([&] { return shelf.round == r + 1 && !shelf.Checking(); }, 600, "the next round") ||
             !game.WaitUntil([&] { return shelf.roundFlash == 0; }, 200, "the next round in place")))
            return false;
    }
    return WaitForPageDone(game, 600);
}

// --- MG5

namespace
{

// The belt shows between the page's flaps (screen x).
constexpr int kBeltRight = 735;

const std::vector<MG5::Object>& Belt(GameDriver& game)
{
    return Scanner(game).Rounds()[size_t(Scanner(game).round)].objects;
}

} // namespace

std::optional<Point> MG5PiecePoint(GameDriver& game, int index)
{
    // A solid point near its middle, clear of every other piece on the belt by a margin (the belt
    // moves on while the pointer gets there).
    const auto& belt = Belt(game);
    const MG5::Object& piece = belt[size_t(index)];
    if (piece.found != 0 || piece.image == nullptr || piece.x < 410 || piece.x + piece.width > kBeltRight)
        return std::nullopt;
    DDImage& picture = *piece.image;
    auto clearOfOthers = [&](double x, double y)
    {
        for (size_t other = 0; other < belt.size(); ++other)
        {
            const MG5::Object& o = belt[other];
            if (int(other) != index && o.found == 0 && x > o.x - 12 && x < o.x + o.width + 12 && y > o.y - 4 &&
                y < o.y + o.height + 4)
                return false;
        }
        return true;
    };
    std::optional<Point> best;
    double nearest = 1e9;
    for (int y = 4; y < piece.height - 4; ++y)
        for (int x = 12; x < piece.width - 4; ++x)
        {
            const double distance = std::hypot(x - piece.width / 2.0, y - piece.height / 2.0);
            if (distance < nearest && picture.AlphaAt(x, y) > 200 && picture.AlphaAt(x - 8, y) > 200 &&
                clearOfOthers(piece.x + x, piece.y + y))
            {
                nearest = distance;
                best = Point{int(piece.x) + x, int(piece.y) + y};
            }
        }
    return best;
}

int MG5ClickablePiece(GameDriver& game, bool suspicious)
{
    const auto& belt = Belt(game);
    for (int index = 0; index < int(belt.size()); ++index)
        if (belt[size_t(index)].Suspicious() == suspicious && MG5PiecePoint(game, index).has_value())
            return index;
    return -1;
}

bool WinMG5(GameDriver& game)
{
    MG5& scanner = Scanner(game);
    const int page = Screen(game).currentPage;
    for (int update = 0; update < 30000; ++update)
    {
        if (game.Game().content.pages[size_t(page)].done)
            return true;
        if (scanner.finished && scanner.tries == 0)
        {
            ADD_FAILURE() << "the scanner game was lost";
            return false;
        }
        const int index =
            PlayTime(game) && !scanner.finished && !scanner.RoundChangeDue() ? MG5ClickablePiece(game, true) : -1;
        if (index < 0)
        {
            game.Step();
            continue;
        }
        game.Click(*MG5PiecePoint(game, index));
    }
    ADD_FAILURE() << "the scanner page never ended";
    return false;
}

// --- MG6

Point MG6PatchPoint(GameDriver& game, int round, int index, bool left)
{
    const MG6::Difference& difference = Glass(game).RoundAt(round).differences[size_t(index)];
    const MG6::Picture& patch = left ? difference.left : difference.right;
    const int width = patch.image->GetWidth();
    const int height = patch.image->GetHeight();
    const Point origin{BoardX(game) + patch.x, BoardY(game) + patch.y};
    return OpaquePointNearMiddle(*patch.image, origin, 128)
        .value_or(Point{origin.x + width / 2, origin.y + height / 2});
}

bool WinMG6(GameDriver& game)
{
    MG6& glass = Glass(game);
    for (int r = glass.round; r < glass.RoundCount(); ++r)
    {
        const int needed = glass.RequiredFinds();
        for (int index = 0; index < needed; ++index)
        {
            // The left and the right picture by turns.
            const MG6::Difference& difference = glass.RoundAt(r).differences[size_t(index)];
            if (difference.found > 0)
                continue;
            const MG6::Picture& side = index % 2 == 0 ? difference.left : difference.right;
            if (side.image == nullptr)
            {
                ADD_FAILURE() << "difference " << difference.key << " has no picture";
                return false;
            }
            game.Click(MG6PatchPoint(game, r, index, index % 2 == 0));
            if (difference.found <= 0)
            {
                ADD_FAILURE() << "difference " << difference.key << " of round " << r + 1 << " is not found";
                return false;
            }
            game.Step(index + 1 == needed ? 1 : 20);
        }
        if (r + 1 < glass.RoundCount())
        {
            if (!game.WaitUntil([&] { return glass.round == r + 1; }, 300, "the second round"))
                return false;
            game.Step(10);
        }
    }
    return WaitForPageDone(game, 300);
}

// --- MG8

std::optional<Point> MG8InsectPoint(GameDriver& game, int index)
{
    // The opaque pixel of its picture nearest the middle that no insect lying over it covers.
    const auto& insects = Search(game).Objects();
    const MG8::Object& insect = insects[size_t(index)];
    if (insect.sceneImage == nullptr)
        return std::nullopt;
    DDImage& picture = *insect.sceneImage;
    auto coveredAt = [&](int x, int y)
    {
        for (size_t over = size_t(index) + 1; over < insects.size(); ++over)
        {
            const MG8::Object& other = insects[over];
            if (other.found <= 0 && x > other.x && y > other.y && x < other.x + other.width &&
                y < other.y + other.height)
                return true;
        }
        return false;
    };
    std::optional<Point> best;
    double nearest = 1e9;
    for (int y = 1; y < picture.GetHeight(); ++y)
        for (int x = 1; x < picture.GetWidth(); ++x)
        {
            const double distance = std::hypot(x - picture.GetWidth() / 2.0, y - picture.GetHeight() / 2.0);
            if (picture.AlphaAt(x, y) > 128 && distance < nearest && !coveredAt(insect.x + x, insect.y + y))
            {
                nearest = distance;
                best = Point{BoardX(game) + insect.x + x, BoardY(game) + insect.y + y};
            }
        }
    return best;
}

bool WinMG8(GameDriver& game)
{
    MG8& search = Search(game);
    while (!search.finished)
    {
        // The insect whose card lies on top of the pile, the glass brought over it and a click.
        const int insect = search.WantedObject();
        if (insect < 0)
            break;
        std::optional<Point> point = MG8InsectPoint(game, insect);
        if (!point)
        {
            ADD_FAILURE() << "insect " << search.Objects()[size_t(insect)].key << " cannot be seen";
            return false;
        }
        game.MoveTo(point->x - 40, point->y - 30);
        const int wantedBefore = search.Wanted();
        game.Click(*point);
        if (search.Objects()[size_t(insect)].found <= 0)
        {
            ADD_FAILURE() << "insect " << search.Objects()[size_t(insect)].key << " is not found";
            return false;
        }
        if (!game.WaitUntil([&] { return search.finished || search.Wanted() == wantedBefore - 1; }, 300,
                            "the card slides off the pile"))
            return false;
    }
    return WaitForPageDone(game, 300);
}

// --- MG9

int MG9WantedFirefly(GameDriver& game)
{
    const auto& flies = Capture(game).Objects();
    for (int index = 0; index < int(flies.size()); ++index)
        if (flies[size_t(index)].found == 0 && flies[size_t(index)].Wanted())
            return index;
    return -1;
}

std::optional<Point> MG9FireflyPoint(GameDriver& game, int index)
{
    // The scene shows a firefly at a third of its picture's size.
    const MG9::Object& fly = Capture(game).Objects()[size_t(index)];
    if (fly.image == nullptr)
        return std::nullopt;
    DDImage& picture = *fly.image;
    std::optional<Point> best;
    double nearest = 1e9;
    for (int y = 3; y < picture.GetHeight() - 3; y += 3)
        for (int x = 3; x < picture.GetWidth() - 3; x += 3)
        {
            const double distance = std::hypot(x - picture.GetWidth() / 2.0, y - picture.GetHeight() / 2.0);
            if (picture.AlphaAt(x, y) > 128 && distance < nearest)
            {
                nearest = distance;
                best = Point{BoardX(game) + fly.homeX + x / 3, BoardY(game) + fly.homeY + y / 3};
            }
        }
    return best;
}

bool MG9CatchFirefly(GameDriver& game)
{
    MG9& capture = Capture(game);
    const int fly = MG9WantedFirefly(game);
    if (fly < 0)
    {
        ADD_FAILURE() << "no firefly is wanted";
        return false;
    }
    std::optional<Point> point = MG9FireflyPoint(game, fly);
    if (!point)
    {
        ADD_FAILURE() << "firefly " << capture.Objects()[size_t(fly)].key << " cannot be seen";
        return false;
    }
    game.Drag(Point{capture.GlassX(), capture.GlassY()}, *point, 10);
    const Point button{capture.ButtonX() + IMAGE_GLASS_BTN->GetWidth() / 2,
                       capture.ButtonY() + IMAGE_GLASS_BTN->GetHeight() / 2};
    game.Press(button.x, button.y);
    game.Release(button.x, button.y);
    if (capture.Objects()[size_t(fly)].found <= 0)
    {
        ADD_FAILURE() << "firefly " << capture.Objects()[size_t(fly)].key << " is not caught";
        return false;
    }
    return game.WaitUntil(
        [&] { return capture.finished || (capture.Objects()[size_t(fly)].found >= 1 && capture.ReloadObject() < 0); },
        400, "the firefly settles in the box");
}

bool WinMG9(GameDriver& game)
{
    MG9& capture = Capture(game);
    // The fireflies fly in to their places first.
    game.Step(320);
    while (!capture.finished && MG9WantedFirefly(game) >= 0)
        if (!MG9CatchFirefly(game))
            return false;
    return WaitForPageDone(game, 400);
}

// --- MGLast

bool LeafTo(GameDriver& game, int row)
{
    Page& screen = Screen(game);
    for (int turns = 0; turns < 40 && screen.currentPage != row; ++turns)
    {
        if (screen.currentPage > row)
            ClickBackwardCorner(game);
        else
            ClickForwardCorner(game);
        if (!game.WaitUntil([&] { return !screen.Flipping(); }, 1000, "the page has turned"))
            return false;
    }
    if (screen.currentPage != row)
        ADD_FAILURE() << "the publication lies at page " << screen.currentPage << ", not " << row;
    return screen.currentPage == row;
}

bool MGLastShowOnStrip(GameDriver& game, int index)
{
    MGLast& last = Final(game);
    const int wanted = index / MGLast::kNotesPerStripPage;
    for (int presses = 0; presses < 20 && last.notePage != wanted; ++presses)
    {
        PressButton(game, last.notePage < wanted ? *last.rightArrow : *last.leftArrow);
        if (!game.WaitUntil([&] { return last.stripSlide == 0; }, 500, "the strip is back"))
            return false;
    }
    return last.notePage == wanted;
}

Point MGLastNotePoint(GameDriver& game, int index)
{
    MGLast& last = Final(game);
    const MGLast::Note& note = last.Notes()[size_t(index)];
    return {last.NoteScreenX(note) + note.image->GetWidth() / 2, note.y + note.image->GetHeight() / 2};
}

bool MGLastPressNote(GameDriver& game, int index, const std::function<void()>& beforePress)
{
    if (!MGLastShowOnStrip(game, index))
        return false;
    game.Click(MGLastNotePoint(game, index));
    if (Final(game).heldPiece != index)
    {
        ADD_FAILURE() << "a click takes note " << index;
        return false;
    }
    game.MoveTo(260, 260);
    if (beforePress)
        beforePress();
    game.Click(300, 250);
    return true;
}

bool EnterFinalGame(GameDriver& game)
{
    Page& screen = Screen(game);
    const ContentModel& content = game.Game().content;
    int finalPage = -1;
    for (int page = 0; page < content.pageCount; ++page)
        if (content.pages[size_t(page)].type == "MGLast")
            finalPage = page;
    if (finalPage < 0)
    {
        ADD_FAILURE() << "the publication has no final game";
        return false;
    }
    if (screen.currentPage != finalPage)
    {
        if (screen.currentPage != 0 && !LeafTo(game, 0))
            return false;
        PressButton(game, *screen.miniGamesButton);
        if (!game.WaitAtRest())
            return false;
        ClickBackwardCorner(game);
        if (!game.WaitAtRest() || screen.currentPage != finalPage)
        {
            ADD_FAILURE() << "the publication lies at page " << screen.currentPage;
            return false;
        }
    }
    PressButton(game, *screen.actionButton);
    MGLast& last = Final(game);
    return game.WaitUntil(
        [&]
        {
            return last.shown && last.openSignalled && !screen.IsPublicationShown() && screen.ListSlide() == 0 &&
                   screen.Blur() == 0 && game.Game().SceneState().empty();
        },
        4000, "the final game is played");
}

bool WinMGLast(GameDriver& game)
{
    MGLast& last = Final(game);
    // Notes of the last pages first: one corner click back from each page to the next.
    std::vector<int> order;
    for (int index = 0; index < int(last.Notes().size()); ++index)
        if (last.Notes()[size_t(index)].found == 0)
            order.push_back(index);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return last.Notes()[size_t(a)].page > last.Notes()[size_t(b)].page; });
    const int finalPage = Screen(game).currentPage;
    for (int index : order)
    {
        const int row = last.Notes()[size_t(index)].page;
        if (!LeafTo(game, row) || !MGLastPressNote(game, index))
            return false;
        if (last.Notes()[size_t(index)].found != 1 && !last.finished)
        {
            ADD_FAILURE() << "note " << index << " did not stick to page " << row;
            return false;
        }
    }
    return game.WaitUntil([&] { return game.Game().content.pages[size_t(finalPage)].done; }, 4000,
                          "the final game is done");
}

bool WinMiniGame(GameDriver& game, int mode)
{
    switch (mode)
    {
    case 1:
        return WinMG1(game);
    case 2:
        return WinMG2(game);
    case 3:
        return WinMG3(game);
    case 4:
        return WinMG4(game);
    case 5:
        return WinMG5(game);
    case 6:
        return WinMG6(game);
    case 8:
        return WinMG8(game);
    case 9:
        return WinMG9(game);
    case Page::kModeFinalGame:
        return WinMGLast(game);
    default:
        ADD_FAILURE() << "no winning moves for mini-game " << mode;
        return false;
    }
}

// --- Bonus pictures

bool TakeBonus(GameDriver& game, int pick, const std::function<void()>& underTheCorner)
{
    GameApp& app = game.Game();
    const int page = app.bonusPicks[size_t(pick)].page;
    if (page < 1)
    {
        ADD_FAILURE() << "bonus pick " << pick << " lies on no page";
        return false;
    }
    if (!LeafTo(game, page - 1) || !game.WaitAtRest())
        return false;
    // The corner lifted far over the page the pick lies on, and let go.
    const int bonusesBefore = app.bonusesTaken;
    const int y = BoardY(game) + 440;
    game.Press(765, BoardY(game) + 520);
    for (int x = 760; x >= 150; x -= 40)
        game.MoveTo(x, y);
    game.Step(2);
    if (underTheCorner)
        underTheCorner();
    if (!Screen(game).bonusAvailable)
    {
        ADD_FAILURE() << "no bonus shows under the corner of page " << page;
        return false;
    }
    game.Release(150, y);
    return game.WaitUntil([&] { return app.bonusesTaken == bonusesBefore + 1; }, 1000, "the bonus is counted");
}

} // namespace Vesk::TestSupport
