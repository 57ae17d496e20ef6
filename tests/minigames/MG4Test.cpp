// The arrangement check game on a picture set made in the test: reading the set (and what it
// must leave out), taking pieces by their masks, the check's marks and its three outcomes,
// tries and the failure, the round change, and sets or counts that do not fit together.
#include "minigames/MG4.h"

#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/platform/Clock.h"
#include "support/FakeFont.h"
#include "support/FakePublication.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{
namespace
{

using Platform::Clock;

constexpr int kBoardX = 16;
constexpr int kBoardY = 6;
constexpr int kPage = 12;
constexpr int kRoundAnim = 30;
constexpr int kPieceSize = 20;
constexpr int kMaskSize = 28;
constexpr uint32_t kBackgroundColour = 0xFFE8D8B0u;
constexpr uint32_t kPieceColour = 0xFF40A040u;
constexpr uint32_t kMaskInside = 0xFFFFFF00u; // yellow: green and red
constexpr uint32_t kMaskRim = 0xFFFF0000u;    // red only
constexpr int kClick = 601, kLife = 602, kFail = 603, kRound = 604, kMark = 605, kNoteIn = 606, kNoteOut = 607;

// The game application with the set's pictures made in memory and what the game asks recorded.
struct SetApp : TestSupport::TestGameApp
{
    std::unique_ptr<DDImage> GetImage(const std::string& path, bool commitBits) override
    {
        auto found = sizes.find(path);
        if (found == sizes.end())
            return nullptr;
        auto [width, height] = found->second;
        const char kind = path[path.rfind('/') + 1];
        std::vector<uint32_t> pixels(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const bool rim = x < 4 || y < 4 || x >= width - 4 || y >= height - 4;
                pixels[size_t(y * width + x)] = kind == 'b'   ? kBackgroundColour
                                                : kind == 's' ? (rim ? kMaskRim : kMaskInside)
                                                              : kPieceColour;
            }
        auto image = std::make_unique<DDImage>();
        image->SetBits(pixels.data(), width, height);
        return image;
    }
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    void PlaySample(int soundId) override { samples.push_back(soundId); }
    void Log(const std::string& text) override { logs.push_back(text); }
    void ResumeFromPlaytime() override { ++resumes; }

    int Count(int sound) const { return int(std::count(samples.begin(), samples.end(), sound)); }
    int Scenes(const std::string& event) const { return int(std::count(scenes.begin(), scenes.end(), event)); }
    bool Logged(const std::string& part) const
    {
        return std::any_of(logs.begin(), logs.end(), [&](auto& line) { return line.find(part) != std::string::npos; });
    }

    std::map<std::string, std::pair<int, int>> sizes;
    std::vector<std::string> scenes;
    std::vector<int> samples;
    std::vector<std::string> logs;
    int resumes = 0;
};

struct Line
{
    std::string name;
    int x, y, width, height;
    bool fileExists = true;
};

class MG4Test : public ::testing::Test
{
protected:
    MG4Test()
    {
        Clock::UseVirtualClock();
        auto& common = app.config.common;
        common.BoardX = kBoardX;
        common.BoardY = kBoardY;
        common.ListY = 478;
        common.ClickTreshold = 3;
        auto& config = app.config.miniGame4;
        config.rounds = 2;
        config.items1 = 3;
        config.items2 = 2;
        config.normD = 5;
        config.normSD = 3;
        config.RS = 10;
        config.FA = 0.2;
        config.ROUNDANIM = kRoundAnim;
        config.ROUNDSCALE = 0.5;
        app.config.pages.CSS = 100;
        app.config.pages.BlurAmplitude = 6;
        app.config.pages.BlurTransparency = 60;
        app.content.pageCount = kPage + 1;
        app.content.pages[kPage].type = "MG4";
        app.texts.objectives.MG4 = "arrange";
        FONT_POST_IT_21 = &font;
        SOUND_CLICK = kClick;
        SOUND_MG_LIFE = kLife;
        SOUND_MG_FAIL = kFail;
        SOUND_MG_ROUND = kRound;
        SOUND_MG4_OBJ = kMark;
        SOUND_POST_IT_IN = kNoteIn;
        SOUND_POST_IT_OUT = kNoteOut;
        host.page = kPage;
        host.mode = 4;
        game = std::make_unique<MG4>(app);
        game->host = &host;
    }
    ~MG4Test() override
    {
        game.reset();
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    // Two rounds of three pieces (extensions differing between a piece's three pictures): the
    // pieces in a row on the bench, their places in a row on the shelf (the drop area). Round 2's
    // first background covers only the lower part of the board.
    static std::vector<Line> TwoRounds()
    {
        std::vector<Line> lines;
        for (int r = 1; r <= 2; ++r)
        {
            const std::string digit = std::to_string(r);
            lines.push_back(r == 1 ? Line{"b_1_room.png", 0, 0, 767, 532} : Line{"b_2_lower.png", 0, 300, 767, 232});
            lines.push_back({"b_" + digit + "_drop.png", 400, 40 + 100 * r, 300, 60});
            for (int i = 0; i < 3; ++i)
            {
                const std::string key = "_" + digit + "_jar" + std::to_string(i);
                lines.push_back({"i" + key + ".png", 100 + 60 * i, 400, kPieceSize, kPieceSize});
                lines.push_back({"m" + key + ".jpg", 420 + 60 * i, 50 + 100 * r, kPieceSize, kPieceSize});
                lines.push_back({"s" + key + ".gif", 0, 0, kMaskSize, kMaskSize});
            }
        }
        return lines;
    }

    void Load(const std::vector<Line>& lines)
    {
        std::string list;
        int id = 0;
        for (const Line& line : lines)
        {
            list += std::to_string(++id) + "\n1\n" + line.name + "\n" + std::to_string(line.width) + "x" +
                    std::to_string(line.height) + "\n" + std::to_string(line.x) + "\n" + std::to_string(line.y) + "\n";
            if (line.fileExists)
                app.sizes["p13/" + line.name] = {line.width, line.height};
        }
        folder.WriteFile("p13/picture.cfg", list);
        game->StartGame(300, 6);
        game->LoadPicture("p13/");
        game->StartGame(300, 6);
        game->SetShown(true);
    }

    const MG4::Piece& Piece(int index) const { return game->CurrentRound().pieces[size_t(index)]; }
    int ScreenX(int index) const { return kBoardX + Piece(index).x + kPieceSize / 2; }
    int ScreenY(int index) const { return kBoardY + Piece(index).y + kPieceSize / 2; }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            Clock::AdvanceFrame(10);
            game->Tick();
        }
    }

    // Drags piece index by its middle so that its corner lands at (x, y) + its place.
    void DragToPlace(int index, int offsetX = 0, int offsetY = 0)
    {
        const int fromX = ScreenX(index);
        const int fromY = ScreenY(index);
        const int toX = kBoardX + Piece(index).targetX + kPieceSize / 2 + offsetX;
        const int toY = kBoardY + Piece(index).targetY + kPieceSize / 2 + offsetY;
        game->OnPress(fromX, fromY, 1);
        for (int move = 1; move <= 6; ++move)
            game->OnPointerDrag(fromX + (toX - fromX) * move / 6, fromY + (toY - fromY) * move / 6);
        game->OnRelease(toX, toY, 1);
    }

    void PressCheck() { game->OnButtonReleased(MG4::kCheckButtonId); }

    TestSupport::TempFolder folder;
    SetApp app;
    TestSupport::FakePublication host;
    TestSupport::FakeFont font;
    std::unique_ptr<MG4> game;
};

TEST_F(MG4Test, SetIsReadIntoRoundsLeavingOutWhatItCannotUse)
{
    app.config.miniGame4.rounds = 12;
    std::vector<Line> lines = TwoRounds();
    lines.push_back({"b_0_room.png", 0, 0, 10, 10});
    lines.push_back({"i_9_jar.png", 0, 0, 10, 10});
    lines.push_back({"q_1_jar.png", 0, 0, 10, 10});
    lines.push_back({"i1", 0, 0, 10, 10});
    lines.push_back({"i_1_lost.png", 5, 5, 10, 10, false});
    lines.push_back({"m_1_lost.png", 5, 5, 10, 10});
    lines.push_back({"i_1_nowhere.png", 5, 5, 10, 10});
    lines.push_back({"i_1_nomask.png", 300, 300, kPieceSize, kPieceSize});
    lines.push_back({"m_1_nomask.png", 600, 100, kPieceSize, kPieceSize});
    for (int extra = 0; extra < MG4::kMaxPieces; ++extra)
    {
        lines.push_back({"i_2_many" + std::to_string(extra) + ".png", 0, 0, 4, 4});
        lines.push_back({"m_2_many" + std::to_string(extra) + ".png", 0, 0, 4, 4});
    }
    Load(lines);

    // Rounds 12 is read as 8, and the set has pieces for two.
    EXPECT_EQ(game->RoundCount(), 2);
    EXPECT_TRUE(app.Logged("has pieces for 2 of 8 rounds"));
    const MG4::Round& first = game->RoundAt(0);
    ASSERT_EQ(first.pieces.size(), 4u);
    ASSERT_EQ(first.backgrounds.size(), 2u);
    EXPECT_TRUE(first.hasDropArea);
    EXPECT_EQ(first.dropArea.x, 400);
    EXPECT_EQ(first.dropArea.width, 300);
    for (int i = 0; i < 3; ++i)
    {
        const MG4::Piece& piece = first.pieces[size_t(i)];
        EXPECT_EQ(piece.key, "1_jar" + std::to_string(i) + ".xxx");
        EXPECT_EQ(piece.x, 100 + 60 * i);
        EXPECT_EQ(piece.homeY, 400);
        EXPECT_EQ(piece.targetX, 420 + 60 * i);
        EXPECT_NE(piece.shapeImage, nullptr);
    }
    // Round 2 keeps its own three pieces and the first of the extra ones up to the table's size.
    EXPECT_EQ(game->RoundAt(1).pieces.size(), size_t(MG4::kMaxPieces));
    for (const char* name : {"b_0_room.png", "i_9_jar.png", "q_1_jar.png", "'i1'", "'1_lost.xxx' has no picture",
                             "'1_nowhere.xxx' has no place", "nomask.xxx' has no click mask", "more than 32"})
        EXPECT_TRUE(app.Logged(name)) << name;

    // Without a mask the piece's picture is pressed.
    const MG4::Piece& unmasked = first.pieces[3];
    game->OnPress(kBoardX + unmasked.x + 10, kBoardY + unmasked.y + 10, 1);
    EXPECT_EQ(game->heldPiece, 3);

    // Entering again replaces the set; freeing it keeps the snapshot for the zoom out.
    Load(TwoRounds());
    EXPECT_EQ(game->RoundAt(0).pieces.size(), 3u);
    EXPECT_EQ(game->heldPiece, -1);
    game->BuildSnapshot();
    game->FreePictures();
    EXPECT_TRUE(game->RoundAt(0).pieces.empty());
    EXPECT_TRUE(game->RoundAt(1).backgrounds.empty());
    EXPECT_NE(game->Snapshot(), nullptr);
}

TEST_F(MG4Test, PiecesAreTakenByTheirMasksAndFollowThePointer)
{
    Load(TwoRounds());
    // The red rim counts only for the piece taken last: here none was.
    const int rimX = kBoardX + Piece(1).x - 2;
    const int rimY = kBoardY + Piece(1).y + 10;
    game->OnPress(rimX, rimY, 1);
    EXPECT_EQ(game->heldPiece, -1);

    // A click takes a piece; it follows the pointer until the next press puts it down.
    game->OnPress(ScreenX(1), ScreenY(1), 1);
    game->OnRelease(ScreenX(1), ScreenY(1), 1);
    ASSERT_EQ(game->heldPiece, 1);
    game->OnPointerMove(300, 200);
    EXPECT_EQ(Piece(1).x, 300 - kBoardX - kPieceSize / 2);
    EXPECT_EQ(Piece(1).y, 200 - kBoardY - kPieceSize / 2);
    game->OnPress(400, 250, 1);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_EQ(Piece(1).x, 300 - kBoardX - kPieceSize / 2);

    // Now its rim takes it; a drag and a release put it down where it was let go.
    game->OnRelease(400, 250, 1);
    const int heldX = kBoardX + Piece(1).x - 2;
    game->OnPress(heldX, 200, 1);
    ASSERT_EQ(game->heldPiece, 1);
    for (int move = 1; move <= 4; ++move)
        game->OnPointerDrag(heldX + 10 * move, 200);
    game->OnRelease(heldX + 40, 200, 1);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_EQ(Piece(1).x, 300 - kBoardX - kPieceSize / 2 + 40);

    // Overlapping pieces: the one drawn last is taken.
    DragToPlace(0);
    game->OnPress(ScreenX(2), ScreenY(2), 1);
    game->OnPointerDrag(ScreenX(0) + 3, ScreenY(0));
    game->OnPointerDrag(ScreenX(0) + 3, ScreenY(0));
    game->OnPointerDrag(ScreenX(0) + 3, ScreenY(0));
    game->OnRelease(ScreenX(0) + 3, ScreenY(0), 1);
    game->OnPress(ScreenX(0) + 1, ScreenY(0), 1);
    EXPECT_EQ(game->heldPiece, 2);
    EXPECT_EQ(game->tries, 5);
}

TEST_F(MG4Test, CheckMarksEachPieceThenWinsTheRoundOrSendsThePiecesBack)
{
    Load(TwoRounds());
    // Within reach on average but one piece beyond normD: a miss.
    DragToPlace(0, 0, 6);
    DragToPlace(1);
    DragToPlace(2);
    EXPECT_EQ(game->Judge(), MG4::Outcome::Restart);
    // Each within normD, but on average too far: a miss as well.
    DragToPlace(0, 4, 0);
    DragToPlace(1, 0, 4);
    DragToPlace(2, 4, 0);
    ASSERT_EQ(game->Judge(), MG4::Outcome::Restart);

    PressCheck();
    EXPECT_EQ(app.Count(kClick), 1);
    ASSERT_TRUE(game->Checking());
    // The marks run from the last piece to the first; the pieces and Reset are locked meanwhile.
    EXPECT_EQ(game->MarkedPiece(), 2);
    EXPECT_DOUBLE_EQ(game->MarkStrength(), 1);
    game->OnPress(ScreenX(1), ScreenY(1), 1);
    EXPECT_EQ(game->heldPiece, -1);
    game->OnButtonReleased(MG4::kResetButtonId);
    EXPECT_EQ(Piece(1).returning, false);
    Ticks(kRoundAnim / 2);
    EXPECT_EQ(game->MarkedPiece(), 1);
    Ticks(kRoundAnim / 2 - 1);
    EXPECT_EQ(game->MarkedPiece(), 0);
    EXPECT_EQ(game->tries, 5);
    Ticks(1);
    EXPECT_FALSE(game->Checking());
    EXPECT_EQ(app.Count(kMark), 3);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(app.Count(kLife), 1);
    EXPECT_EQ(app.Scenes("fail"), 1);
    EXPECT_EQ(app.resumes, 1);
    EXPECT_FALSE(game->finished);
    EXPECT_EQ(host.pageActions, 0);
    Ticks(100);
    EXPECT_EQ(Piece(0).x, Piece(0).homeX);
    EXPECT_EQ(Piece(2).y, Piece(2).homeY);

    // Reset sends pieces home for free.
    DragToPlace(1);
    game->OnButtonReleased(MG4::kResetButtonId);
    Ticks(100);
    EXPECT_EQ(Piece(1).x, Piece(1).homeX);
    EXPECT_EQ(game->tries, 4);

    // One piece exactly normD away (3, 4) still passes: the round is won.
    DragToPlace(0, 3, 4);
    DragToPlace(1);
    DragToPlace(2);
    PressCheck();
    EXPECT_EQ(app.Count(kRound), 1);
    Ticks(kRoundAnim);
    EXPECT_EQ(app.Scenes("round_1"), 1);
    EXPECT_EQ(game->round, 0);
    Ticks(1);
    ASSERT_EQ(game->round, 1);
    EXPECT_EQ(game->roundFlash, MG4::kFlashStart - MG4::kFlashFall);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(game->RoundAt(0).pieces[0].found, 1);

    // The solved shelf stays under the next round's lower part: its pieces show in the snapshot.
    game->BuildSnapshot();
    auto* snapshot = dynamic_cast<MemoryImage*>(game->Snapshot());
    ASSERT_NE(snapshot, nullptr);
    const MG4::Piece& solved = game->RoundAt(0).pieces[1];
    EXPECT_EQ(snapshot->GetBits()[(kBoardY + solved.y + 10) * 800 + kBoardX + solved.x + 10], kPieceColour);
    EXPECT_EQ(snapshot->GetBits()[(kBoardY + 20) * 800 + kBoardX + 20], kBackgroundColour);

    // The last round counts two of its three pieces; winning it completes the page.
    EXPECT_EQ(game->PiecesToCheck(), 2);
    DragToPlace(0);
    DragToPlace(1);
    PressCheck();
    Ticks(kRoundAnim);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Scenes("done"), 1);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.Count(kRound), 1);
}

TEST_F(MG4Test, FifthMissedCheckFailsTheGameWhichThenIgnoresInput)
{
    Load(TwoRounds());
    for (int check = 1; check <= 5; ++check)
    {
        PressCheck();
        Ticks(kRoundAnim + 1);
    }
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(app.Count(kLife), 4);
    EXPECT_EQ(app.Count(kFail), 1);
    EXPECT_EQ(app.Scenes("fail"), 5);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);

    const int clicks = app.Count(kClick);
    PressCheck();
    game->OnButtonReleased(MG4::kResetButtonId);
    game->OnPress(ScreenX(0), ScreenY(0), 1);
    Ticks(kRoundAnim + 1);
    EXPECT_EQ(app.Count(kClick), clicks);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_EQ(app.Count(kFail), 1);
    EXPECT_FALSE(app.content.pages[kPage].done);

    // Entered again, the page starts from scratch.
    Load(TwoRounds());
    EXPECT_FALSE(game->finished);
    EXPECT_EQ(game->tries, 5);
    EXPECT_EQ(game->round, 0);
}

TEST_F(MG4Test, SetsAndCountsThatDoNotFitStillLeaveAGameThatCanBeLeft)
{
    // More pieces asked for than the round has, and a check without marks: decided at once.
    app.config.miniGame4.items1 = 9;
    app.config.miniGame4.ROUNDANIM = 0;
    Load(TwoRounds());
    EXPECT_EQ(game->PiecesToCheck(), 3);
    for (int i = 0; i < 3; ++i)
        DragToPlace(i);
    PressCheck();
    EXPECT_FALSE(game->Checking());
    Ticks(1);
    EXPECT_EQ(game->round, 1);

    // A mask of another size than its piece is centred on it.
    std::vector<Line> lines = TwoRounds();
    for (Line& line : lines)
        if (line.name == "s_1_jar0.gif")
            line.width = line.height = 12;
    Load(lines);
    game->OnPress(ScreenX(0) - 5, ScreenY(0) - 5, 1);
    EXPECT_EQ(game->heldPiece, -1);
    game->OnPress(ScreenX(0), ScreenY(0), 1);
    EXPECT_EQ(game->heldPiece, 0);

    // No picture list: nothing to play, a log line; the check does nothing, painting and the
    // snapshot still work and the back button leaves.
    app.sizes.clear();
    game->StartGame(300, 6);
    game->LoadPicture("missing/");
    game->StartGame(300, 6);
    EXPECT_EQ(game->RoundCount(), 0);
    EXPECT_TRUE(app.Logged("has pieces for 0 of 2 rounds"));
    PressCheck();
    Ticks(kRoundAnim + 1);
    EXPECT_FALSE(game->Checking());
    EXPECT_EQ(game->tries, 5);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    game->Paint(graphics);
    host.blur = 0.5;
    game->Paint(graphics);
    host.blur = 0;
    game->BuildSnapshot();
    EXPECT_NE(game->Snapshot(), nullptr);
    game->OnButtonReleased(MG4::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1);

    // The pictures' files are all missing: the pieces are left out the same way.
    lines = TwoRounds();
    for (Line& line : lines)
        line.fileExists = false;
    Load(lines);
    EXPECT_EQ(game->RoundCount(), 0);
    EXPECT_TRUE(game->CurrentRound().pieces.empty());
    game->Paint(graphics);
}

TEST_F(MG4Test, PageTurnBlurShowsTheRoundAsItLiesAndThePanelSlidesAlone)
{
    Load(TwoRounds());
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    Ticks(1);
    EXPECT_EQ(host.blurRequests, std::vector<int>{-1});
    auto at = [&](int x, int y) { return screen.GetBits()[size_t(y) * 800 + size_t(x)]; };
    auto near = [](uint32_t pixel, uint32_t colour)
    {
        for (int shift : {0, 8, 16})
            if (std::abs(int((pixel >> shift) & 0xFF) - int((colour >> shift) & 0xFF)) > 24)
                return false;
        return true;
    };
    // At rest the background and the pieces are sharp.
    game->Paint(graphics);
    EXPECT_EQ(at(kBoardX + 20, kBoardY + 20), kBackgroundColour);
    EXPECT_EQ(at(ScreenX(0), ScreenY(0)), kPieceColour);
    // Early in the turn the pieces are still faint over the sharp background; near its end they
    // are almost there. Pointer input waits for the turn to end.
    host.blur = 0.95;
    game->Paint(graphics);
    EXPECT_TRUE(near(at(kBoardX + 20, kBoardY + 20), kBackgroundColour));
    EXPECT_FALSE(near(at(ScreenX(0), ScreenY(0)), kPieceColour));
    game->OnPress(ScreenX(0), ScreenY(0), 1);
    EXPECT_EQ(game->heldPiece, -1);
    host.blur = 0.02;
    game->Paint(graphics);
    EXPECT_TRUE(near(at(ScreenX(0), ScreenY(0)), kPieceColour));
    // A piece moved: the blur shows it at its new place.
    host.blur = 0;
    DragToPlace(0);
    host.blur = 0.02;
    game->Paint(graphics);
    EXPECT_TRUE(near(at(ScreenX(0), ScreenY(0)), kPieceColour));

    // The page has no notes: the panel slides alone, with one sound each way.
    host.blur = 0;
    host.listSlide = 1;
    game->Paint(graphics);
    app.samples.clear();
    for (int stage = 19; stage >= 0; --stage)
    {
        host.listSlide = stage / 20.0;
        game->Paint(graphics);
    }
    for (int stage = 1; stage <= 20; ++stage)
    {
        host.listSlide = stage / 20.0;
        game->Paint(graphics);
    }
    EXPECT_EQ(app.Count(kNoteOut), 1);
    EXPECT_EQ(app.Count(kNoteIn), 1);
}

} // namespace
} // namespace Vesk
