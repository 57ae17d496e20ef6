#include "minigames/MG1.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace Vesk
{
namespace
{

constexpr double kFillStart = 0.01;
constexpr int kShuffleSwaps = 1000;

char LowerCase(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

MG1::MG1(GameApp& app) : MiniGame(app, "MG1", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame1);
}

MG1::~MG1() = default;

// --- The picture set ------------------------------------------------------------------------

void MG1::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry);
    DropIncompletePieces();
    ShufflePieces();
    ResetPieces();
    for (int index = 0; index < kRounds; ++index)
        if (rounds[size_t(index)].pieces.empty())
            app.Log("MG1: round " + std::to_string(index + 1) + " of " + dir + " has no pieces to place");
}

void MG1::ClearSet()
{
    heldPiece = -1;
    for (Round& each : rounds)
    {
        each.background.reset();
        each.pieces.clear();
    }
}

// One line of picture.cfg: the first character says what the picture is, the second its round.
void MG1::AddPicture(const std::string& dir, const PictureListEntry& entry)
{
    const std::string& name = entry.fileName;
    const char kindLetter = name.size() >= 3 ? LowerCase(name[0]) : '\0';
    const int roundIndex = name.size() >= 3 ? name[1] - '1' : -1;
    if ((kindLetter != 'b' && kindLetter != 'd' && kindLetter != 'p') || name[2] != '_' || roundIndex < 0 ||
        roundIndex >= kRounds)
    {
        app.Log("MG1: " + dir + "picture.cfg names no round picture: '" + name + "' left out");
        return;
    }
    Round& target = rounds[size_t(roundIndex)];
    if (kindLetter == 'b')
    {
        target.background = LoadGamePicture(dir + name);
        return;
    }

    const std::string key = name.substr(3);
    auto found =
        std::find_if(target.pieces.begin(), target.pieces.end(), [&](const Piece& piece) { return piece.key == key; });
    if (found == target.pieces.end())
    {
        if (int(target.pieces.size()) >= kMaxPieces)
        {
            app.Log("MG1: more than " + std::to_string(kMaxPieces) + " pieces in a round: '" + name + "' left out");
            return;
        }
        Piece piece;
        piece.key = key;
        piece.slot = int(target.pieces.size());
        target.pieces.push_back(std::move(piece));
        found = target.pieces.end() - 1;
    }
    if (kindLetter == 'd')
    {
        found->outlineImage = LoadGamePicture(dir + name);
        found->outlineX = entry.x;
        found->outlineY = entry.y;
    }
    else
    {
        found->pieceImage = LoadGamePicture(dir + name);
        found->homeX = entry.x;
        found->homeY = entry.y;
        found->slot = int(found - target.pieces.begin());
    }
}

// A piece without its outline cannot be placed, and an outline without its piece cannot be
// filled: neither may hold a round up.
void MG1::DropIncompletePieces()
{
    for (Round& each : rounds)
        std::erase_if(each.pieces,
                      [&](const Piece& piece)
                      {
                          if (piece.outlineImage != nullptr && piece.pieceImage != nullptr)
                              return false;
                          app.Log("MG1: piece '" + piece.key + "' has no " +
                                  (piece.outlineImage == nullptr ? "outline" : "loose picture") + ": left out");
                          return true;
                      });
}

// The pieces trade resting places (and notes) with the first one at random, so that the notes
// do not hold them in the order the set lists them.
void MG1::ShufflePieces()
{
    for (Round& each : rounds)
    {
        const int count = int(each.pieces.size());
        if (count < 2)
            continue;
        Piece& first = each.pieces[0];
        for (int swap = 0; swap < kShuffleSwaps; ++swap)
        {
            Piece& other = each.pieces[size_t(app.Random().NextIndex(count))];
            std::swap(first.homeX, other.homeX);
            std::swap(first.homeY, other.homeY);
            std::swap(first.slot, other.slot);
        }
    }
}

void MG1::ResetPieces()
{
    for (Round& each : rounds)
        for (Piece& piece : each.pieces)
        {
            piece.x = piece.homeX;
            piece.y = piece.homeY;
            piece.found = 0;
        }
}

void MG1::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    ResetPieces();
}

void MG1::FreePictures()
{
    ClearSet();
}

void MG1::BuildSnapshot()
{
    snapshot = std::make_unique<MemoryImage>();
    snapshot->Create(800, 600);
    Graphics graphics(snapshot.get());
    PaintPicture(graphics, BoardX(), BoardY(), true);
}

// --- Rules ----------------------------------------------------------------------------------

int MG1::RequiredInRound() const
{
    const int pieces = int(CurrentRound().pieces.size());
    return requiredCount > 0 ? std::min(requiredCount, pieces) : pieces;
}

int MG1::PlacedInRound() const
{
    const auto& pieces = CurrentRound().pieces;
    return int(std::count_if(pieces.begin(), pieces.end(), [](const Piece& piece) { return piece.found >= 1; }));
}

int MG1::RoundChangeLength() const
{
    return app.config.miniGame1.RANIM;
}

void MG1::TickRules(float step)
{
    StepRoundChange(step);
    ReturnLoosePieces(step);
    FillPlacedPieces(step);
    CheckRoundComplete();
}

// The notes slide away during the first half of the change and back during the second; the
// round itself changes half way, while they are away.
void MG1::StepRoundChange(float step)
{
    if (roundTimer <= 0)
        return;
    const int half = RoundChangeLength() / 2;
    if (host != nullptr)
        host->SetListSlideDirection(roundTimer > half ? 1 : -1);
    const double before = roundTimer;
    roundTimer -= step;
    if (before > half && roundTimer <= half)
        NextRound();
    if (roundTimer <= 0)
    {
        roundTimer = 0;
        if (host != nullptr)
        {
            host->SetListSlideDirection(0);
            host->SetListSlide(0);
        }
    }
}

void MG1::NextRound()
{
    // A piece still held belongs to the round that leaves.
    heldPiece = -1;
    if (round + 1 < kRounds)
        ++round;
}

void MG1::ReturnLoosePieces(float step)
{
    auto& pieces = Current().pieces;
    for (int index = 0; index < int(pieces.size()); ++index)
    {
        Piece& piece = pieces[size_t(index)];
        if (index != heldPiece && piece.found == 0)
            TravelHome(piece.x, piece.y, piece.homeX, piece.homeY, step);
    }
}

void MG1::FillPlacedPieces(float step)
{
    const double speed = layout.completionSpeed;
    for (Piece& piece : Current().pieces)
    {
        if (piece.found <= 0 || piece.found >= 1)
            continue;
        piece.found += step * speed;
        if (piece.found >= 1 || speed <= 0)
        {
            piece.found = 1;
            PieceCompleted();
        }
    }
}

void MG1::CheckRoundComplete()
{
    const int required = RequiredInRound();
    if (roundTimer != 0 || required <= 0 || PlacedInRound() < required)
        return;
    if (round >= kRounds - 1)
    {
        RunDoneSequence();
        return;
    }
    app.PlaySample(SOUND_MG_ROUND);
    heldPiece = -1;
    if (RoundChangeLength() > 0)
        roundTimer = RoundChangeLength();
    else
        NextRound();
}

void MG1::FinishPieces()
{
    for (Piece& piece : Current().pieces)
        piece.found = 1;
    heldPiece = -1;
}

void MG1::CompleteByDebugKey()
{
    for (Piece& piece : Current().pieces)
        if (piece.found < 1)
        {
            piece.found = 1;
            PieceCompleted();
        }
    heldPiece = -1;
}

void MG1::CompleteRound()
{
    if (!finished)
        FinishPieces();
}

bool MG1::ReadyToOpen()
{
    // "open" waits for the camera to arrive in the page.
    return host == nullptr || host->ModeZoom(1) == 1;
}

const std::string& MG1::Objective() const
{
    const auto& objectives = app.texts.objectives;
    switch (round)
    {
    case 0:
        return objectives.MG1a;
    case 1:
        return objectives.MG1b;
    default:
        return objectives.MG1c;
    }
}

// --- Pointer --------------------------------------------------------------------------------

MG1::Piece* MG1::HeldPiece()
{
    auto& pieces = Current().pieces;
    return heldPiece >= 0 && heldPiece < int(pieces.size()) ? &pieces[size_t(heldPiece)] : nullptr;
}

bool MG1::AcceptsPointer() const
{
    return shown && !finished;
}

void MG1::OnPress(int x, int y, int code)
{
    MiniGame::OnPress(x, y, code);
    // While a round change takes the notes away, their pieces are out of reach.
    if (!AcceptsPointer() || roundTimer > RoundChangeLength() / 2)
        return;
    auto& pieces = Current().pieces;
    int taken = -1;
    for (int index = 0; index < int(pieces.size()); ++index)
    {
        const Piece& piece = pieces[size_t(index)];
        if (piece.found == 0 && Hits(piece.pieceImage.get(), piece.x, piece.y, x, y))
            taken = index;
    }
    if (taken < 0)
        return;
    if (heldPiece < 0)
        dragMoves = 0;
    grabX = x - pieces[size_t(taken)].x;
    grabY = y - pieces[size_t(taken)].y;
    heldPiece = taken;
}

void MG1::OnRelease(int x, int y, int code)
{
    MiniGame::OnRelease(x, y, code);
    if (!AcceptsPointer())
        return;
    if (code < 0)
    {
        heldPiece = -1;
        return;
    }
    Piece* held = HeldPiece();
    if (held == nullptr)
    {
        heldPiece = -1;
        return;
    }
    if (Hits(held->outlineImage.get(), held->outlineX, held->outlineY, x - BoardX(), y - BoardY()))
    {
        held->found = kFillStart;
        app.PlaySample(SOUND_MG_FIND);
        heldPiece = -1;
        return;
    }
    // A click on a piece picks it up: it follows the pointer until the next release.
    if (ReleaseIsClick() && Hits(held->pieceImage.get(), held->homeX, held->homeY, x, y))
        return;
    heldPiece = -1;
    if (!OnFreeNote(x, y))
        LoseTry();
}

bool MG1::OnFreeNote(int x, int y) const
{
    if (IMAGE_POST_3 == nullptr)
        return false;
    const int left = layout.noteX[0];
    const int top = app.config.common.ListY;
    return x > left && y > top && x < left + IMAGE_POST_3->GetWidth() && y < top + IMAGE_POST_3->GetHeight();
}

void MG1::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    if (!AcceptsPointer())
        return;
    ++dragMoves;
    MoveHeldPiece(x, y);
}

void MG1::OnPointerMove(int x, int y)
{
    MiniGame::OnPointerMove(x, y);
    if (AcceptsPointer())
        MoveHeldPiece(x, y);
}

void MG1::MoveHeldPiece(int x, int y)
{
    Piece* held = HeldPiece();
    if (held == nullptr || !IsPlayTime() || BlurRunning())
        return;
    held->x = x - grabX;
    held->y = y - grabY;
}

// --- Painting -------------------------------------------------------------------------------

void MG1::Paint(Graphics& graphics)
{
    // Until the camera has arrived the publication draws the page (and this game's snapshot).
    if (host != nullptr && host->ModeZoom(host->CurrentMode()) != 1)
        return;
    MiniGame::Paint(graphics);
}

int MG1::BackgroundShiftX() const
{
    const int length = RoundChangeLength();
    if (roundTimer <= 0 || length <= 0 || roundTimer >= length / 2)
        return 0;
    return -int(roundTimer * 1600 / length);
}

int MG1::BackgroundShiftY() const
{
    const int length = RoundChangeLength();
    if (roundTimer <= 0 || length <= 0 || roundTimer < length / 2)
        return 0;
    return int((length - roundTimer) * 1200 / length);
}

void MG1::PaintPlayArea(Graphics& graphics)
{
    PaintPicture(graphics, BoardX() + BackgroundShiftX(), BoardY() + BackgroundShiftY(), false);
}

// The round's picture at (x, y) with its placed pieces; while filling in they fade in, unless
// placedOnly asks for the look of the pieces once placed.
void MG1::PaintPicture(Graphics& graphics, int x, int y, bool placedOnly)
{
    const Round& shown = CurrentRound();
    graphics.DrawImage(shown.background.get(), x, y);
    for (const Piece& piece : shown.pieces)
    {
        if (piece.found <= 0)
            continue;
        if (piece.found >= 1 || placedOnly)
        {
            graphics.DrawImage(piece.outlineImage.get(), piece.outlineX + x, piece.outlineY + y);
            continue;
        }
        graphics.PushState();
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, std::clamp(int(piece.found * 255), 0, 255)));
        graphics.DrawImage(piece.outlineImage.get(), piece.outlineX + x, piece.outlineY + y);
        graphics.PopState();
    }
}

// The loose pieces note by note, each riding its note's slide; the held one over the rest.
void MG1::PaintOnNotes(Graphics& graphics)
{
    const auto& pieces = CurrentRound().pieces;
    const Piece* held = heldPiece >= 0 && heldPiece < int(pieces.size()) ? &pieces[size_t(heldPiece)] : nullptr;
    int lastSlot = 0;
    for (const Piece& piece : pieces)
        lastSlot = std::max(lastSlot, piece.slot);
    for (int slot = 0; slot <= lastSlot; ++slot)
        for (const Piece& piece : pieces)
        {
            if (piece.slot != slot || piece.found != 0 || &piece == held)
                continue;
            const double drop = NoteDrop(std::clamp(slot, 0, kNotes - 1));
            graphics.DrawImage(piece.pieceImage.get(), piece.x, piece.y + int(drop));
        }
    if (held != nullptr)
        graphics.DrawImage(held->pieceImage.get(), held->x, held->y);
}

} // namespace Vesk
