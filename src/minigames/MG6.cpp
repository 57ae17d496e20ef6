#include "minigames/MG6.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr int kCursorNormal = 0;
constexpr int kCursorNone = 11;
constexpr int kBoardWidth = 767;
constexpr int kBoardHeight = 532;

int ClampAlpha(double alpha)
{
    return std::clamp(int(alpha), 0, 255);
}

} // namespace

MG6::MG6(GameApp& app) : MiniGame(app, "MG6", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame6);
}

MG6::~MG6() = default;

// --- The picture set ------------------------------------------------------------------------

void MG6::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry.fileName, entry.x, entry.y);
    DropUnplayableDifferences();

    // A set drawn for fewer rounds than configured ends after its last round with differences.
    int lastRound = -1;
    for (int index = 0; index < kMaxRounds; ++index)
        if (!rounds[size_t(index)].differences.empty())
            lastRound = index;
    const int configured = app.config.miniGame6.rounds;
    roundCount = std::clamp(configured, 1, kMaxRounds);
    if (lastRound >= 0 && lastRound + 1 < roundCount)
    {
        app.Log("MG6: " + dir + " has differences for " + std::to_string(lastRound + 1) + " of " +
                std::to_string(roundCount) + " rounds; the game ends after them");
        roundCount = lastRound + 1;
    }
    for (int index = 0; index < roundCount; ++index)
        if (rounds[size_t(index)].differences.empty())
            app.Log("MG6: round " + std::to_string(index + 1) + " of " + dir +
                    " has no differences and cannot be won; the back button leaves it");
    // The page turns in from a blur: its layers are made now, with the loading, rather than
    // on its first frame.
    PrepareBlur();
}

void MG6::ClearSet()
{
    background = {};
    for (Round& each : rounds)
    {
        each.differences.clear();
        each.extras.clear();
    }
    roundCount = 1;
    blur.Invalidate();
    blurRound = -1;
}

void MG6::FreePictures()
{
    ClearSet();
}

void MG6::AddPicture(const std::string& dir, const std::string& fileName, int x, int y)
{
    const char kindLetter = fileName.size() >= 2 && fileName[1] == '_' ? fileName[0] : '\0';
    if (kindLetter == 'b')
    {
        if (background.image != nullptr)
        {
            app.Log("MG6: a second background " + fileName + " is ignored");
            return;
        }
        background = Picture{LoadGamePicture(dir + fileName), x, y};
        return;
    }
    if (kindLetter != 'p' && kindLetter != 'l' && kindLetter != 'r')
    {
        app.Log("MG6: picture " + fileName + " is neither background, extra picture nor patch; skipped");
        return;
    }
    const int roundIndex = fileName.size() >= 3 ? fileName[2] - '1' : -1;
    if (roundIndex < 0 || roundIndex >= kMaxRounds)
    {
        app.Log("MG6: picture " + fileName + " names no round 1 to 8; skipped");
        return;
    }
    Round& target = rounds[size_t(roundIndex)];
    if (kindLetter == 'p')
    {
        if (int(target.extras.size()) >= kMaxExtras)
        {
            app.Log("MG6: round " + std::to_string(roundIndex + 1) + " already has " + std::to_string(kMaxExtras) +
                    " extra pictures; " + fileName + " skipped");
            return;
        }
        target.extras.push_back(Picture{LoadGamePicture(dir + fileName), x, y});
        return;
    }
    AddPatch(roundIndex, kindLetter == 'l', fileName, Picture{LoadGamePicture(dir + fileName), x, y});
}

void MG6::AddPatch(int roundIndex, bool left, const std::string& fileName, Picture picture)
{
    Round& target = rounds[size_t(roundIndex)];
    const std::string key = fileName.substr(2);
    auto found = std::find_if(target.differences.begin(), target.differences.end(),
                              [&](const Difference& difference) { return difference.key == key; });
    if (found == target.differences.end())
    {
        if (int(target.differences.size()) >= kMaxDifferences)
        {
            app.Log("MG6: round " + std::to_string(roundIndex + 1) + " already has " + std::to_string(kMaxDifferences) +
                    " differences; " + fileName + " skipped");
            return;
        }
        target.differences.push_back(Difference{key, {}, {}, 0});
        found = target.differences.end() - 1;
    }
    Picture& side = left ? found->left : found->right;
    if (side.image != nullptr)
    {
        app.Log("MG6: a second patch " + fileName + " is ignored");
        return;
    }
    side = std::move(picture);
}

void MG6::DropUnplayableDifferences()
{
    for (int index = 0; index < kMaxRounds; ++index)
    {
        auto& differences = rounds[size_t(index)].differences;
        for (const Difference& difference : differences)
            if (difference.left.image == nullptr || difference.right.image == nullptr)
                app.Log("MG6: difference " + difference.key + " of round " + std::to_string(index + 1) + " has " +
                        (difference.left.image == nullptr && difference.right.image == nullptr
                             ? "no picture and is left out"
                             : "one patch only"));
        std::erase_if(differences, [](const Difference& difference)
                      { return difference.left.image == nullptr && difference.right.image == nullptr; });
    }
}

// --- Starting -------------------------------------------------------------------------------

void MG6::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    EndLockOut();
    missCount = 0;
    roundChangeDue = false;
    for (Round& each : rounds)
        for (Difference& difference : each.differences)
            difference.found = 0;
}

int MG6::RequiredFinds() const
{
    const auto& config = app.config.miniGame6;
    const int items[kMaxRounds] = {config.items1, config.items2, config.items3, config.items4,
                                   config.items5, config.items6, config.items7, config.items8};
    const int present = int(CurrentRound().differences.size());
    const int wanted = items[std::clamp(round, 0, kMaxRounds - 1)];
    return wanted <= 0 || wanted > present ? present : wanted;
}

Image* MG6::Background() const
{
    return background.image.get();
}

int MG6::DifferencesLeft() const
{
    const auto& differences = CurrentRound().differences;
    return int(std::count_if(differences.begin(), differences.end(),
                             [](const Difference& difference) { return difference.found == 0; }));
}

// --- The rules ------------------------------------------------------------------------------

void MG6::TickRules(float step)
{
    ChangeRoundIfDue();
    FillInFinds(step);
    EndRoundIfComplete();
    if (!finished)
        CountDownLockOut(step);
}

void MG6::ChangeRoundIfDue()
{
    if (!roundChangeDue)
        return;
    roundChangeDue = false;
    round = std::min(round + 1, roundCount - 1);
    // Ready for the page turning out of this round.
    PrepareBlur();
}

void MG6::FillInFinds(float step)
{
    const double speed = layout.completionSpeed;
    for (Difference& difference : rounds[size_t(round)].differences)
    {
        if (difference.found <= 0 || difference.found >= 1)
            continue;
        difference.found = speed > 0 ? std::min(difference.found + step * speed, 1.0) : 1.0;
        if (difference.found >= 1)
            PieceCompleted();
    }
}

void MG6::EndRoundIfComplete()
{
    if (roundChangeDue)
        return;
    const auto& differences = CurrentRound().differences;
    // A round without differences cannot be won (logged when the set was read).
    if (differences.empty())
        return;
    const int complete = int(std::count_if(differences.begin(), differences.end(),
                                           [](const Difference& difference) { return difference.found >= 1; }));
    if (complete < RequiredFinds())
        return;
    if (round < roundCount - 1)
    {
        app.PlayScene("round_1");
        app.PlaySample(SOUND_MG_ROUND);
        roundChangeDue = true;
        return;
    }
    RunDoneSequence();
}

void MG6::CountDownLockOut(float step)
{
    if (penaltyTime <= 0)
        return;
    penaltyTime -= step;
    if (penaltyTime > 0)
        return;
    penaltyTime = 0;
    app.SetCursor(kCursorNormal);
}

void MG6::EndLockOut()
{
    if (penaltyTime != 0)
        app.SetCursor(kCursorNormal);
    penaltyTime = 0;
}

void MG6::SetShown(bool show)
{
    // A page left during a lock-out gives the pointer back to the publication.
    if (!show)
        EndLockOut();
    MiniGame::SetShown(show);
}

void MG6::Tick()
{
    MiniGame::Tick();
    // The lock-out hides the pointer, but not from the pause dialog over the game (its clock
    // stands still meanwhile).
    if (shown && penaltyTime > 0)
        app.SetCursor(host != nullptr && host->IsPauseOpen() ? kCursorNormal : kCursorNone);
}

void MG6::MarkRoundFound()
{
    if (finished || roundChangeDue)
        return;
    for (Difference& difference : rounds[size_t(round)].differences)
        difference.found = 1;
}

void MG6::CompleteByDebugKey()
{
    MarkRoundFound();
}

void MG6::CompleteRound()
{
    MarkRoundFound();
}

// --- The pointer ----------------------------------------------------------------------------

void MG6::OnPointerMove(int x, int y)
{
    MiniGame::OnPointerMove(x, y);
    pointerX = x;
    pointerY = y;
}

void MG6::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    pointerX = x;
    pointerY = y;
}

void MG6::OnRelease(int x, int y, int clickCode)
{
    MiniGame::OnRelease(x, y, clickCode);
    pointerX = x;
    pointerY = y;
    if (finished || !shown || penaltyTime > 0 || roundChangeDue || !IsPlayTime())
        return;
    // The patches lie on the board, so they are tested where they are drawn.
    const int boardX = BoardX();
    const int boardY = BoardY();
    bool anyFound = false;
    for (Difference& difference : rounds[size_t(round)].differences)
    {
        if (difference.found != 0)
            continue;
        if (Hits(difference.right.image.get(), boardX + difference.right.x, boardY + difference.right.y, x, y, true) ||
            Hits(difference.left.image.get(), boardX + difference.left.x, boardY + difference.left.y, x, y, true))
        {
            difference.found = 0.01;
            app.PlaySample(SOUND_MG_FIND);
            missCount = 0;
            anyFound = true;
        }
    }
    if (anyFound)
        return;
    if (x < boardX || x > boardX + kBoardWidth || y < boardY || y > boardY + kBoardHeight)
        return;
    ++missCount;
    const int allowed = app.config.miniGame6.MIS;
    if (allowed <= 0 || missCount < allowed)
        return;
    app.PlaySample(SOUND_PENALTY);
    missCount = 0;
    penaltyTime = std::max(app.config.ispy.PENALTY, 0.0);
    if (penaltyTime > 0)
        app.SetCursor(kCursorNone);
}

// --- Painting -------------------------------------------------------------------------------

const std::string& MG6::Objective() const
{
    return app.texts.objectives.MG6;
}

void MG6::Paint(Graphics& graphics)
{
    PaintOnOpenPage(graphics);
    PaintCounter(graphics);
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
    PaintLockOut(graphics);
}

void MG6::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
        PaintBlurredPicture(graphics, Blur());
    else
        PaintPicture(graphics);
}

void MG6::PaintPicture(Graphics& graphics)
{
    const int boardX = BoardX();
    const int boardY = BoardY();
    if (background.image != nullptr)
        graphics.DrawImage(background.image.get(), boardX + background.x, boardY + background.y);
    const Round& shownRound = CurrentRound();
    for (const Picture& extra : shownRound.extras)
        if (extra.image != nullptr)
            graphics.DrawImage(extra.image.get(), boardX + extra.x, boardY + extra.y);
    for (const Difference& difference : shownRound.differences)
    {
        for (const Picture* patch : {&difference.right, &difference.left})
            if (patch->image != nullptr)
                graphics.DrawImage(patch->image.get(), boardX + patch->x, boardY + patch->y);
        if (difference.found > 0)
        {
            PaintOutline(graphics, difference.right, difference.found);
            PaintOutline(graphics, difference.left, difference.found);
        }
    }
}

void MG6::PrepareBlur()
{
    if (blurRound == round && blur.IsPrepared())
        return;
    const Round& shownRound = CurrentRound();
    std::vector<DifferencesBlur::Placed> extras;
    for (const Picture& extra : shownRound.extras)
        extras.push_back({extra.image.get(), extra.x, extra.y});
    std::vector<DifferencesBlur::Placed> patches;
    for (const Difference& difference : shownRound.differences)
    {
        patches.push_back({difference.right.image.get(), difference.right.x, difference.right.y});
        patches.push_back({difference.left.image.get(), difference.left.x, difference.left.y});
    }
    blur.Prepare({background.image.get(), background.x, background.y}, extras, patches, app.config.pages.BlurAmplitude);
    blurRound = round;
}

void MG6::PaintBlurredPicture(Graphics& graphics, double blurValue)
{
    const auto& pages = app.config.pages;
    PrepareBlur();
    blur.Paint(graphics, BoardX(), BoardY(), blurValue, pages.BlurTransparency);

    // The outlines of differences already found fade with the patches.
    const double strength = std::sin(std::numbers::pi / 2 * (1 - blurValue));
    graphics.PushState();
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, ClampAlpha(strength * 255)));
    for (const Difference& difference : CurrentRound().differences)
        if (difference.found > 0)
        {
            PaintOutline(graphics, difference.right, difference.found);
            PaintOutline(graphics, difference.left, difference.found);
        }
    graphics.PopState();
}

void MG6::PaintOutline(Graphics& graphics, const Picture& patch, double found)
{
    Image* outline = IMAGE_MG6_OUTLINE;
    if (outline == nullptr || patch.image == nullptr)
        return;
    const int cels = std::max(outline->columns, 1) * std::max(outline->rows, 1);
    const int cel = std::clamp(int(cels * found), 0, cels - 1);
    const int width = outline->GetCelWidth();
    const int height = outline->GetCelHeight();
    const int x = BoardX() + patch.x + patch.image->GetWidth() / 2 - width / 2;
    const int y = BoardY() + patch.y + patch.image->GetHeight() / 2 - height / 2;
    graphics.DrawImageCel(outline, x, y, cel);
}

void MG6::PaintCounter(Graphics& graphics)
{
    const auto& config = app.config.miniGame6;
    const int drop = int(ListSlide() * (600 - app.config.common.ListY));
    graphics.DrawImage(IMAGE_POST_1, config.PostX, config.PostY + drop);
    if (FONT_MAIN18 == nullptr)
        return;
    const auto& interface = app.texts.interface;
    const int left = DifferencesLeft();
    std::string text;
    switch (left)
    {
    case 1:
        text = interface.rest1;
        break;
    case 2:
        text = interface.rest2;
        break;
    case 3:
        text = interface.rest3;
        break;
    case 4:
        text = interface.rest4;
        break;
    default:
        text = std::to_string(left) + " " + interface.rest;
        break;
    }
    graphics.PushState();
    graphics.SetFont(FONT_MAIN18);
    graphics.SetColor(Color(140, 140, 140));
    // A text too long for the note from CounterX on is wrapped and centred on the note instead.
    const int noteWidth = IMAGE_POST_1 != nullptr ? IMAGE_POST_1->GetWidth() : 0;
    const int margin = std::max(noteWidth / 40, 1);
    if (noteWidth <= 2 * margin || FONT_MAIN18->StringWidth(text) <= config.PostX + noteWidth - config.CounterX)
        graphics.DrawString(text, config.CounterX, config.CounterY + drop);
    else
        graphics.DrawStringWordWrapped(text, config.PostX + margin, config.CounterY + drop, noteWidth - 2 * margin, -1,
                                       0);
    graphics.PopState();
}

void MG6::PaintLockOut(Graphics& graphics)
{
    // The pointer fades away as the lock-out starts and comes back as it ends.
    const auto& ispy = app.config.ispy;
    const double p = penaltyTime;
    if (p <= 0 || ispy.PENALTY_FADE <= 0 || IMAGE_CUR_POINTER == nullptr)
        return;
    const double e = p < ispy.PENALTY * 0.5 ? (ispy.PENALTY_FADE - p) / ispy.PENALTY_FADE
                                            : 1 - (ispy.PENALTY - p) / ispy.PENALTY_FADE;
    if (!(e > 0 && e < 1))
        return;
    graphics.PushState();
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, ClampAlpha(e * 255)));
    graphics.DrawImage(IMAGE_CUR_POINTER, pointerX, pointerY);
    graphics.PopState();
}

} // namespace Vesk
