#include "minigames/MG4.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Vesk
{
namespace
{

constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;
constexpr int kCursorNormal = 0;
constexpr int kCursorHand = 1;
// A mask pixel takes the piece when its channel is above this (and the pixel is not clear).
constexpr int kMaskChannel = 20;

char LowerCase(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

// The name a piece's three pictures share: the file name from its third character on (round
// digit included), its extension turned to "xxx" so that "i_", "m_" and "s_" files match
// whatever their format.
std::string PieceKey(const std::string& fileName)
{
    std::string key = fileName.substr(2);
    if (key.size() >= 3)
        key.replace(key.size() - 3, 3, "xxx");
    return key;
}

void RemoveFromParent(ButtonWidget* button)
{
    if (button != nullptr && button->parent != nullptr)
        button->parent->RemoveChild(button);
}

} // namespace

MG4::MG4(GameApp& app) : MiniGame(app, "MG4", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame4);
}

MG4::~MG4()
{
    RemoveFromParent(checkButton.get());
    RemoveFromParent(resetButton.get());
}

// --- The picture set ------------------------------------------------------------------------

void MG4::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry);
    DropIncompletePieces();
    CountPlayableRounds(dir);
    ResetPieces();
}

void MG4::ClearSet()
{
    heldPiece = -1;
    lastTaken = -1;
    for (Round& each : rounds)
    {
        each.backgrounds.clear();
        each.hasDropArea = false;
        each.dropArea = Rect();
        each.pieces.clear();
    }
    roundCount = 0;
    blur.Invalidate();
    blurScene.reset();
    blurMadeFor.clear();
    blurMade = false;
}

// One line of picture.cfg: the first character says what the picture is, the third its round.
void MG4::AddPicture(const std::string& dir, const PictureListEntry& entry)
{
    const std::string& name = entry.fileName;
    const char kindLetter = name.size() >= 4 ? LowerCase(name[0]) : '\0';
    const int roundIndex = name.size() >= 4 ? name[2] - '1' : -1;
    if ((kindLetter != 'b' && kindLetter != 'i' && kindLetter != 'm' && kindLetter != 's') || name[1] != '_' ||
        roundIndex < 0 || roundIndex >= kMaxRounds)
    {
        app.Log("MG4: " + dir + "picture.cfg names no round picture: '" + name + "' left out");
        return;
    }
    Round& target = rounds[size_t(roundIndex)];
    if (kindLetter == 'b')
    {
        if (int(target.backgrounds.size()) >= kMaxBackgrounds)
        {
            app.Log("MG4: more than " + std::to_string(kMaxBackgrounds) + " backgrounds in a round: '" + name +
                    "' left out");
            return;
        }
        Picture picture{LoadGamePicture(dir + name), entry.x, entry.y};
        if (name.size() > 4 && LowerCase(name[4]) == 'd' && picture.image != nullptr)
        {
            target.hasDropArea = true;
            target.dropArea = Rect(entry.x, entry.y, picture.image->GetWidth(), picture.image->GetHeight());
        }
        target.backgrounds.push_back(std::move(picture));
        return;
    }

    const std::string key = PieceKey(name);
    auto found =
        std::find_if(target.pieces.begin(), target.pieces.end(), [&](const Piece& piece) { return piece.key == key; });
    if (found == target.pieces.end())
    {
        if (int(target.pieces.size()) >= kMaxPieces)
        {
            app.Log("MG4: more than " + std::to_string(kMaxPieces) + " pieces in a round: '" + name + "' left out");
            return;
        }
        Piece piece;
        piece.key = key;
        target.pieces.push_back(std::move(piece));
        found = target.pieces.end() - 1;
    }
    if (kindLetter == 'i')
    {
        found->image = LoadGamePicture(dir + name);
        found->width = found->image != nullptr ? found->image->GetWidth() : 0;
        found->height = found->image != nullptr ? found->image->GetHeight() : 0;
        found->homeX = entry.x;
        found->homeY = entry.y;
    }
    else if (kindLetter == 'm')
    {
        found->hasTarget = true;
        found->targetX = entry.x;
        found->targetY = entry.y;
    }
    else
        found->shapeImage = LoadGamePicture(dir + name);
}

// A piece without its picture cannot be seen or moved, and one without its place can never be
// right: neither may hold a round up. A missing click mask only makes the piece's own picture
// the place to press.
void MG4::DropIncompletePieces()
{
    for (Round& each : rounds)
    {
        std::erase_if(each.pieces,
                      [&](const Piece& piece)
                      {
                          if (piece.image != nullptr && piece.hasTarget)
                              return false;
                          app.Log("MG4: piece '" + piece.key + "' has no " +
                                  (piece.image == nullptr ? "picture" : "place") + ": left out");
                          return true;
                      });
        for (const Piece& piece : each.pieces)
            if (piece.shapeImage == nullptr)
                app.Log("MG4: piece '" + piece.key + "' has no click mask: its picture is pressed instead");
    }
}

void MG4::CountPlayableRounds(const std::string& dir)
{
    const int configured = app.config.miniGame4.rounds;
    const int wanted = std::clamp(configured, 1, kMaxRounds);
    if (wanted != configured)
        app.Log("MG4: MiniGame4/rounds " + std::to_string(configured) + " read as " + std::to_string(wanted));
    int withPieces = 0;
    while (withPieces < kMaxRounds && !rounds[size_t(withPieces)].pieces.empty())
        ++withPieces;
    roundCount = std::min(wanted, withPieces);
    if (roundCount < wanted)
        app.Log("MG4: " + dir + " has pieces for " + std::to_string(roundCount) + " of " + std::to_string(wanted) +
                " rounds");
}

void MG4::ResetPieces()
{
    for (Round& each : rounds)
        for (Piece& piece : each.pieces)
        {
            piece.x = piece.homeX;
            piece.y = piece.homeY;
            piece.found = 0;
            piece.returning = false;
        }
}

void MG4::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    ResetPieces();
    outcome = Outcome::None;
    checkTime = 0;
    shownMark = -1;
    roundFlash = 0;
    roundChangeDue = false;
    lastTaken = -1;
    // The blur's pictures are made while the page is entered, not in the first frames of play.
    if (roundCount > 0)
        PrepareBlur();
}

void MG4::FreePictures()
{
    ClearSet();
}

void MG4::BuildSnapshot()
{
    snapshot = std::make_unique<MemoryImage>();
    snapshot->Create(800, 600);
    Graphics graphics(snapshot.get());
    PaintScene(graphics, BoardX(), BoardY(), 0);
    PaintPieces(graphics, BoardX(), BoardY());
}

// --- Buttons --------------------------------------------------------------------------------

std::unique_ptr<ButtonWidget> MG4::MakeButton(int id, Image* normal, Image* down, int x, int y)
{
    auto button = std::make_unique<ButtonWidget>(id, this);
    button->buttonImage = normal;
    button->downImage = down;
    button->label.clear();
    // The game paints its buttons itself, over the page and under the panel.
    button->noDraw = true;
    button->SetBounds(x, y, normal != nullptr ? normal->GetWidth() : 0, normal != nullptr ? normal->GetHeight() : 0);
    button->SetShown(shown);
    return button;
}

void MG4::OnAttachedToManager(WidgetManager* newManager)
{
    MiniGame::OnAttachedToManager(newManager);
    RemoveFromParent(checkButton.get());
    RemoveFromParent(resetButton.get());
    const auto& config = app.config.miniGame4;
    checkButton = MakeButton(kCheckButtonId, IMAGE_MG4_RB, IMAGE_MG4_RBN, config.RBX, config.RBY);
    resetButton = MakeButton(kResetButtonId, IMAGE_MG4_SB, IMAGE_MG4_SBN, config.SBX, config.SBY);
    newManager->AddChild(checkButton.get());
    newManager->AddChild(resetButton.get());
}

void MG4::OnDetachedFromManager(WidgetManager* oldManager)
{
    RemoveFromParent(checkButton.get());
    RemoveFromParent(resetButton.get());
    MiniGame::OnDetachedFromManager(oldManager);
}

void MG4::SetShown(bool show)
{
    MiniGame::SetShown(show);
    if (checkButton != nullptr)
        checkButton->SetShown(show);
    if (resetButton != nullptr)
        resetButton->SetShown(show);
}

void MG4::OnButtonReleased(int id)
{
    if (id == kCheckButtonId)
        Check();
    else if (id == kResetButtonId)
        Reset();
    else
        MiniGame::OnButtonReleased(id);
}

// Pieces and the game's buttons take input only in play: not after the end, not during a check,
// a round change, a scene or the page-turn blur.
bool MG4::AcceptsInput() const
{
    return shown && !finished && !Checking() && !roundChangeDue && roundCount > 0 && IsPlayTime() && !BlurRunning();
}

// --- Rules ----------------------------------------------------------------------------------

int MG4::PiecesToCheck() const
{
    const auto& config = app.config.miniGame4;
    const int counts[kMaxRounds] = {config.items1, config.items2, config.items3, config.items4,
                                    config.items5, config.items6, config.items7, config.items8};
    const int pieces = int(CurrentRound().pieces.size());
    const int configured = counts[round];
    return configured > 0 ? std::min(configured, pieces) : pieces;
}

bool MG4::WithinReach(const Piece& piece) const
{
    return std::hypot(double(piece.x - piece.targetX), double(piece.y - piece.targetY)) <= app.config.miniGame4.normD;
}

MG4::Outcome MG4::Judge() const
{
    const int count = PiecesToCheck();
    if (count <= 0)
        return Outcome::None;
    const auto& pieces = CurrentRound().pieces;
    bool everyWithinReach = true;
    double total = 0;
    for (int index = 0; index < count; ++index)
    {
        const Piece& piece = pieces[size_t(index)];
        total += std::hypot(double(piece.x - piece.targetX), double(piece.y - piece.targetY));
        everyWithinReach = everyWithinReach && WithinReach(piece);
    }
    if (!everyWithinReach || total / count > app.config.miniGame4.normSD)
        return Outcome::Restart;
    return round >= roundCount - 1 ? Outcome::Done : Outcome::NextRound;
}

void MG4::Check()
{
    if (!AcceptsInput())
        return;
    app.PlaySample(SOUND_CLICK);
    const Outcome judged = Judge();
    if (judged == Outcome::None)
        return;
    // The piece in hand is put down where it is: the arrangement is what the player sees.
    heldPiece = -1;
    outcome = judged;
    if (outcome == Outcome::NextRound)
        app.PlaySample(SOUND_MG_ROUND);
    checkTime = app.config.miniGame4.ROUNDANIM;
    shownMark = -1;
    if (checkTime <= 0)
    {
        FinishCheck();
        return;
    }
    shownMark = MarkedPiece();
    app.PlaySample(SOUND_MG4_OBJ);
}

void MG4::Reset()
{
    if (!AcceptsInput())
        return;
    app.PlaySample(SOUND_CLICK);
    SendPiecesHome();
}

void MG4::SendPiecesHome()
{
    heldPiece = -1;
    for (Piece& piece : Current().pieces)
    {
        piece.found = 0;
        piece.returning = true;
    }
}

int MG4::MarkedPiece() const
{
    const int count = PiecesToCheck();
    const int length = app.config.miniGame4.ROUNDANIM;
    if (!Checking() || count <= 0 || length <= 0)
        return -1;
    // The marks run from the last piece to the first, one equal share of the time each.
    return std::clamp(int(count * checkTime / length), 0, count - 1);
}

double MG4::MarkStrength() const
{
    const int marked = MarkedPiece();
    if (marked < 0)
        return 0;
    const double share = PiecesToCheck() * checkTime / app.config.miniGame4.ROUNDANIM - marked;
    return std::clamp(share, 0.0, 1.0);
}

void MG4::TickRules(float step)
{
    SetGameCursor();
    if (roundChangeDue)
        NextRound();
    roundFlash = std::max(roundFlash - kFlashFall, 0);
    if (!Checking())
        ReturnPieces(step);
    StepCheck(step);
}

void MG4::SetGameCursor()
{
    auto hovered = [](const std::unique_ptr<ButtonWidget>& button)
    { return button != nullptr && button->shown && button->isHovered; };
    const bool hand =
        hovered(backButton) || (!finished && !Checking() && (hovered(checkButton) || hovered(resetButton)));
    app.SetCursor(hand ? kCursorHand : kCursorNormal);
}

void MG4::StepCheck(float step)
{
    if (!Checking())
        return;
    checkTime -= step;
    if (checkTime <= 0)
    {
        FinishCheck();
        return;
    }
    const int marked = MarkedPiece();
    if (marked != shownMark)
    {
        shownMark = marked;
        app.PlaySample(SOUND_MG4_OBJ);
    }
}

void MG4::FinishCheck()
{
    const Outcome finishedCheck = outcome;
    outcome = Outcome::None;
    checkTime = 0;
    shownMark = -1;
    // A scene waiting for the game goes on after every check.
    PieceCompleted();
    switch (finishedCheck)
    {
    case Outcome::NextRound:
        app.PlayScene("round_1");
        roundChangeDue = true;
        break;
    case Outcome::Restart:
        if (tries > 1)
        {
            LoseTry();
            // The page's fail scene comments on the miss even though play goes on.
            app.PlayScene("fail");
            SendPiecesHome();
        }
        else
            LoseTry();
        break;
    case Outcome::Done:
        RunDoneSequence();
        break;
    case Outcome::None:
        break;
    }
}

void MG4::NextRound()
{
    roundChangeDue = false;
    for (Piece& piece : Current().pieces)
    {
        piece.found = 1;
        piece.returning = false;
    }
    heldPiece = -1;
    lastTaken = -1;
    if (round + 1 < roundCount)
        ++round;
    roundFlash = kFlashStart;
}

void MG4::ReturnPieces(float step)
{
    const double speed = app.config.miniGame4.RS;
    auto& pieces = Current().pieces;
    for (int index = 0; index < int(pieces.size()); ++index)
    {
        Piece& piece = pieces[size_t(index)];
        if (!piece.returning || index == heldPiece)
            continue;
        const double dx = piece.homeX - piece.x;
        const double dy = piece.homeY - piece.y;
        const double distance = std::hypot(dx, dy);
        if (distance <= step * speed || speed <= 0 || step <= 0)
        {
            piece.x = piece.homeX;
            piece.y = piece.homeY;
            piece.returning = false;
            continue;
        }
        piece.x += int(std::lround(dx / distance * step * speed));
        piece.y += int(std::lround(dy / distance * step * speed));
    }
}

void MG4::CompleteRound()
{
    if (finished || roundCount <= 0 || roundChangeDue)
        return;
    outcome = Outcome::None;
    checkTime = 0;
    heldPiece = -1;
    auto& pieces = Current().pieces;
    for (Piece& piece : pieces)
    {
        piece.x = piece.targetX;
        piece.y = piece.targetY;
        piece.returning = false;
    }
    if (round >= roundCount - 1)
    {
        RunDoneSequence();
        return;
    }
    app.PlaySample(SOUND_MG_ROUND);
    roundChangeDue = true;
}

void MG4::CompleteByDebugKey()
{
    RunDoneSequence();
}

const std::string& MG4::Objective() const
{
    return app.texts.objectives.MG4;
}

// --- Pointer --------------------------------------------------------------------------------

MG4::Piece* MG4::HeldPiece()
{
    auto& pieces = Current().pieces;
    return heldPiece >= 0 && heldPiece < int(pieces.size()) ? &pieces[size_t(heldPiece)] : nullptr;
}

bool MG4::MaskHits(Piece& piece, bool takenLast, int boardX, int boardY) const
{
    if (piece.shapeImage == nullptr)
        return Hits(piece.image.get(), piece.x, piece.y, boardX, boardY, true);
    DDImage& mask = *piece.shapeImage;
    const int width = mask.GetWidth();
    const int height = mask.GetHeight();
    const int localX = boardX - (piece.x + (piece.width - width) / 2);
    const int localY = boardY - (piece.y + (piece.height - height) / 2);
    if (localX < 0 || localY < 0 || localX >= width || localY >= height)
        return false;
    const uint32_t* bits = mask.GetBits();
    if (bits == nullptr)
        return false;
    const uint32_t pixel = bits[size_t(localY) * size_t(width) + size_t(localX)];
    if (int(pixel >> 24) <= kOpaqueAlpha)
        return false;
    const int red = int((pixel >> 16) & 0xFF);
    const int green = int((pixel >> 8) & 0xFF);
    return green > kMaskChannel || (takenLast && red > kMaskChannel);
}

void MG4::OnPress(int x, int y, int code)
{
    MiniGame::OnPress(x, y, code);
    if (!AcceptsInput())
        return;
    // A press puts down the piece in hand, where it is.
    if (heldPiece >= 0)
    {
        heldPiece = -1;
        return;
    }
    const int boardX = x - BoardX();
    const int boardY = y - BoardY();
    auto& pieces = Current().pieces;
    for (int index = int(pieces.size()) - 1; index >= 0; --index)
    {
        Piece& piece = pieces[size_t(index)];
        if (piece.found != 0 || !MaskHits(piece, index == lastTaken, boardX, boardY))
            continue;
        heldPiece = index;
        lastTaken = index;
        grabX = boardX - piece.x;
        grabY = boardY - piece.y;
        dragMoves = 0;
        piece.returning = false;
        return;
    }
}

void MG4::OnRelease(int x, int y, int code)
{
    MiniGame::OnRelease(x, y, code);
    if (!AcceptsInput())
        return;
    // A piece dragged and let go stays there; one taken with a click stays in hand.
    if (heldPiece >= 0 && !ReleaseIsClick())
        heldPiece = -1;
}

void MG4::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    if (!AcceptsInput())
        return;
    ++dragMoves;
    MoveHeldPiece(x, y);
}

void MG4::OnPointerMove(int x, int y)
{
    MiniGame::OnPointerMove(x, y);
    if (AcceptsInput())
        MoveHeldPiece(x, y);
}

void MG4::MoveHeldPiece(int x, int y)
{
    Piece* held = HeldPiece();
    if (held == nullptr)
        return;
    held->x = x - BoardX() - grabX;
    held->y = y - BoardY() - grabY;
}

// --- Painting -------------------------------------------------------------------------------

void MG4::Paint(Graphics& graphics)
{
    PaintOnOpenPage(graphics);
    PaintGameButtons(graphics);
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MG4::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
    {
        PaintBlurred(graphics, Blur());
        return;
    }
    PaintScene(graphics, BoardX(), BoardY(), roundFlash);
    PaintPieces(graphics, BoardX(), BoardY());
    PaintMark(graphics);
}

// Everything under the present round's pieces, the board's origin at (originX, originY): the
// solved rounds (their first background and their pieces), then the present round's first
// background lifted by the round flash and its second background, and while the flash lasts the
// solved round's second background fading out in white.
void MG4::PaintScene(Graphics& graphics, int originX, int originY, int flash)
{
    auto background = [&](const Round& of, size_t which) -> const Picture*
    { return which < of.backgrounds.size() ? &of.backgrounds[which] : nullptr; };
    for (int earlier = 0; earlier < round; ++earlier)
    {
        const Round& solved = rounds[size_t(earlier)];
        if (const Picture* first = background(solved, 0); first != nullptr)
            graphics.DrawImage(first->image.get(), originX + first->x, originY + first->y);
        for (const Piece& piece : solved.pieces)
            graphics.DrawImage(piece.image.get(), originX + piece.x, originY + piece.y);
    }
    const Round& present = CurrentRound();
    if (const Picture* first = background(present, 0); first != nullptr)
    {
        const int lift = int(flash * app.config.miniGame4.FA);
        graphics.DrawImage(first->image.get(), originX + first->x, originY + first->y - lift);
    }
    if (const Picture* second = background(present, 1); second != nullptr)
        graphics.DrawImage(second->image.get(), originX + second->x, originY + second->y);
    if (flash > 0 && round > 0)
        if (const Picture* second = background(rounds[size_t(round - 1)], 1); second != nullptr)
        {
            graphics.PushState();
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, std::clamp(flash, 0, 255)));
            graphics.DrawImage(second->image.get(), originX + second->x, originY + second->y);
            graphics.PopState();
        }
}

// The present round's pieces in their order; the one in hand over the others.
void MG4::PaintPieces(Graphics& graphics, int originX, int originY)
{
    const auto& pieces = CurrentRound().pieces;
    for (int index = 0; index < int(pieces.size()); ++index)
        if (index != heldPiece)
            graphics.DrawImage(pieces[size_t(index)].image.get(), originX + pieces[size_t(index)].x,
                               originY + pieces[size_t(index)].y);
    if (heldPiece >= 0 && heldPiece < int(pieces.size()))
    {
        const Piece& held = pieces[size_t(heldPiece)];
        graphics.DrawImage(held.image.get(), originX + held.x, originY + held.y);
    }
}

// The check's present mark over the marked piece's place: full size as it appears, swelling as
// it fades.
void MG4::PaintMark(Graphics& graphics)
{
    const int marked = MarkedPiece();
    if (marked < 0)
        return;
    const Piece& piece = CurrentRound().pieces[size_t(marked)];
    Image* mark = WithinReach(piece) ? IMAGE_MG4_YES : IMAGE_MG4_NO;
    if (mark == nullptr)
        return;
    const double strength = MarkStrength();
    const double scale = std::max(1 + (1 - strength) * app.config.miniGame4.ROUNDSCALE, 0.0);
    const int width = int(mark->GetWidth() * scale);
    const int height = int(mark->GetHeight() * scale);
    const int centreX = BoardX() + piece.targetX + piece.width / 2;
    const int centreY = BoardY() + piece.targetY + piece.height / 2;
    graphics.PushState();
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, std::clamp(int(strength * 255), 0, 255)));
    graphics.DrawImage(mark, Rect(centreX - width / 2, centreY - height / 2, width, height), mark->GetRect());
    graphics.PopState();
}

void MG4::PaintGameButtons(Graphics& graphics)
{
    if (checkButton != nullptr)
        checkButton->PaintInPlace(graphics);
    if (resetButton != nullptr)
        resetButton->PaintInPlace(graphics);
}

// The page turning in or out: the still picture stays sharp under its smear and the pieces come
// out of (or go into) a smear of themselves.
void MG4::PaintBlurred(Graphics& graphics, double blurValue)
{
    PrepareBlur();
    blur.Paint(graphics, BoardX(), BoardY(), blurValue, app.config.pages.BlurTransparency);
}

std::vector<std::pair<int, int>> MG4::BlurLayout() const
{
    std::vector<std::pair<int, int>> places{{round, 0}};
    for (const Piece& piece : CurrentRound().pieces)
        places.emplace_back(piece.x, piece.y);
    return places;
}

void MG4::PrepareBlur()
{
    std::vector<std::pair<int, int>> places = BlurLayout();
    if (blurMade && places == blurMadeFor)
        return;
    blurMade = true;
    blurMadeFor = std::move(places);
    blurScene = std::make_unique<MemoryImage>();
    blurScene->Create(kBoardWidth, kBoardHeight);
    {
        Graphics graphics(blurScene.get());
        PaintScene(graphics, 0, 0, 0);
    }
    std::vector<DifferencesBlur::Placed> pieces;
    for (const Piece& piece : CurrentRound().pieces)
        pieces.push_back({piece.image.get(), piece.x, piece.y});
    blur.Prepare({blurScene.get(), 0, 0}, {}, pieces, app.config.pages.BlurAmplitude);
}

} // namespace Vesk
