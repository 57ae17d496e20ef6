// The piece matching game on a picture set made in the test: reading the set (and the lines it
// must leave out), dragging, clicking and dropping pieces, tries and the failure, the rounds and
// their change, and sets too small for the page's count.
#include "minigames/MG1.h"

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
#include <map>
#include <memory>
#include <set>
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
constexpr int kListY = 478;
constexpr int kFreeNoteX = 40;
constexpr int kPage = 3;
constexpr int kRanim = 40;
constexpr uint32_t kBackgroundColour = 0xFFE8D8B0u;
constexpr uint32_t kOutlineColour = 0xFF2040C0u;
constexpr uint32_t kPieceColour = 0xFF40A040u;
constexpr int kFind = 501, kLife = 502, kFail = 503, kRound = 504;

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
        const uint32_t colour = kind == 'b' ? kBackgroundColour : kind == 'd' ? kOutlineColour : kPieceColour;
        std::vector<uint32_t> pixels(size_t(width) * size_t(height), colour);
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

class MG1Test : public ::testing::Test
{
protected:
    MG1Test()
    {
        Clock::UseVirtualClock();
        auto& common = app.config.common;
        common.BoardX = kBoardX;
        common.BoardY = kBoardY;
        common.ListY = kListY;
        common.RetSpeed = 10;
        common.ClickTreshold = 6;
        app.config.miniGame1.RANIM = kRanim;
        app.config.miniGame1.ListX1 = kFreeNoteX;
        app.config.miniGame1.CS = 0.25;
        app.config.pages.CSS = 100;
        app.content.pageCount = kPage + 1;
        app.content.pages[kPage].type = "MG1";
        app.texts.objectives.MG1a = "first";
        app.texts.objectives.MG1b = "second";
        app.texts.objectives.MG1c = "third";
        note = std::make_unique<MemoryImage>();
        note->Create(60, 80);
        IMAGE_POST_3 = note.get();
        FONT_POST_IT_21 = &font;
        SOUND_MG_FIND = kFind;
        SOUND_MG_LIFE = kLife;
        SOUND_MG_FAIL = kFail;
        SOUND_MG_ROUND = kRound;
        host.page = kPage;
        host.mode = 1;
        game = std::make_unique<MG1>(app);
        game->host = &host;
    }
    ~MG1Test() override
    {
        game.reset();
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    // Three rounds of `pieces` 20 x 20 pieces; outlines in a row on the picture, pieces in a row
    // on the notes.
    static std::vector<Line> ThreeRounds(int pieces)
    {
        std::vector<Line> lines;
        for (int r = 1; r <= 3; ++r)
        {
            std::string digit = std::to_string(r);
            lines.push_back({"b" + digit + "_map.png", 0, 0, 767, 532});
            for (int i = 0; i < pieces; ++i)
            {
                std::string key = "k" + std::to_string(i) + ".png";
                lines.push_back({"d" + digit + "_" + key, 100 + 60 * i, 100, 20, 20});
                lines.push_back({"p" + digit + "_" + key, 214 + 70 * i, 500, 20, 20});
            }
        }
        return lines;
    }

    void Load(const std::vector<Line>& lines, int itemCount = 2)
    {
        std::string list;
        int id = 0;
        for (const Line& line : lines)
        {
            list += std::to_string(++id) + "\n1\n" + line.name + "\n" + std::to_string(line.width) + "x" +
                    std::to_string(line.height) + "\n" + std::to_string(line.x) + "\n" + std::to_string(line.y) + "\n";
            if (line.fileExists)
                app.sizes["p04/" + line.name] = {line.width, line.height};
        }
        folder.WriteFile("p04/picture.cfg", list);
        game->LoadPicture("p04/");
        game->StartGame(300, itemCount);
        game->SetShown(true);
    }

    const MG1::Piece& Piece(int index) const { return game->CurrentRound().pieces[size_t(index)]; }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            Clock::AdvanceFrame(10);
            game->Tick();
        }
    }

    // Takes a piece where the player sees it and drags it to (x, y).
    void DragTo(int index, int x, int y)
    {
        int fromX = Piece(index).x + 5;
        int fromY = Piece(index).y + 5;
        game->OnPress(fromX, fromY, 1);
        for (int move = 1; move <= 8; ++move)
            game->OnPointerDrag(fromX + (x - fromX) * move / 8, fromY + (y - fromY) * move / 8);
        game->OnRelease(x, y, 1);
    }
    void DragOntoOutline(int index, int ofPiece)
    {
        DragTo(index, kBoardX + Piece(ofPiece).outlineX + 5, kBoardY + Piece(ofPiece).outlineY + 5);
    }
    void PlaceRound()
    {
        int round = game->round;
        for (int i = 0; i < int(game->CurrentRound().pieces.size()) && game->round == round; ++i)
            if (Piece(i).found == 0)
                DragOntoOutline(i, i);
    }

    TestSupport::TempFolder folder;
    SetApp app;
    TestSupport::FakePublication host;
    TestSupport::FakeFont font;
    std::unique_ptr<MemoryImage> note;
    std::unique_ptr<MG1> game;
};

TEST_F(MG1Test, SetIsReadIntoRoundsLeavingOutLinesItCannotUse)
{
    std::vector<Line> lines = ThreeRounds(3);
    // Lines naming no round or kind, a piece whose outline file is missing and a loose piece
    // without an outline: all left out with a log line.
    lines.push_back({"b0_map.png", 0, 0, 10, 10});
    lines.push_back({"d4_x.png", 0, 0, 10, 10});
    lines.push_back({"q1_x.png", 0, 0, 10, 10});
    lines.push_back({"d1", 0, 0, 10, 10});
    lines.push_back({"d2_lost.png", 5, 5, 10, 10, false});
    lines.push_back({"p2_lost.png", 400, 500, 10, 10});
    lines.push_back({"p3_alone.png", 400, 500, 10, 10});
    Load(lines);

    for (int r = 0; r < MG1::kRounds; ++r)
    {
        const MG1::Round& loaded = game->RoundAt(r);
        ASSERT_NE(loaded.background, nullptr);
        ASSERT_EQ(loaded.pieces.size(), 3u) << r;
        // The shuffle trades homes and notes together: each note keeps its home.
        std::set<int> slots;
        for (int i = 0; i < 3; ++i)
        {
            const MG1::Piece& piece = loaded.pieces[size_t(i)];
            EXPECT_EQ(piece.key, "k" + std::to_string(i) + ".png");
            EXPECT_EQ(piece.outlineX, 100 + 60 * i);
            EXPECT_EQ(piece.homeX, 214 + 70 * piece.slot);
            EXPECT_EQ(piece.x, piece.homeX);
            EXPECT_EQ(piece.y, 500);
            slots.insert(piece.slot);
        }
        EXPECT_EQ(slots, (std::set<int>{0, 1, 2}));
    }
    for (const char* name : {"b0_map.png", "d4_x.png", "q1_x.png", "'d1'", "lost", "alone"})
        EXPECT_TRUE(app.Logged(name)) << name;

    // Entering again replaces the set rather than adding to it.
    Load(ThreeRounds(2));
    EXPECT_EQ(game->RoundAt(0).pieces.size(), 2u);
    game->FreePictures();
    EXPECT_TRUE(game->RoundAt(0).pieces.empty());
    EXPECT_EQ(game->RoundAt(1).background, nullptr);
}

TEST_F(MG1Test, PiecesFillTheirOwnOutlineAndWrongDropsCostTries)
{
    Load(ThreeRounds(3), 3);
    // Piece 0 on piece 1's outline is a wrong drop; it travels back home.
    DragOntoOutline(0, 1);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(app.Count(kLife), 1);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_NE(Piece(0).x, Piece(0).homeX);
    Ticks(100);
    EXPECT_EQ(Piece(0).x, Piece(0).homeX);
    EXPECT_EQ(Piece(0).y, Piece(0).homeY);

    // Put down on the first note, or let go with the right button: free.
    DragTo(0, kFreeNoteX + 30, kListY + 40);
    game->OnPress(Piece(1).x + 5, Piece(1).y + 5, 1);
    game->OnPointerDrag(300, 300);
    game->OnRelease(300, 300, -1);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(game->heldPiece, -1);

    // Its own outline: placed, filling in, then a scene waiting for the game goes on.
    DragOntoOutline(0, 0);
    EXPECT_EQ(Piece(0).found, 0.01);
    EXPECT_EQ(app.Count(kFind), 1);
    Ticks(2);
    EXPECT_GT(Piece(0).found, 0.01);
    Ticks(10);
    EXPECT_EQ(Piece(0).found, 1);
    EXPECT_EQ(app.resumes, 1);
    // A placed piece cannot be taken again.
    game->OnPress(Piece(0).x + 5, Piece(0).y + 5, 1);
    EXPECT_EQ(game->heldPiece, -1);
}

TEST_F(MG1Test, ClickedPieceFollowsThePointerUntilTheNextRelease)
{
    Load(ThreeRounds(3), 3);
    int x = Piece(2).x + 5;
    int y = Piece(2).y + 5;
    game->OnPress(x, y, 1);
    game->OnRelease(x, y, 1);
    ASSERT_EQ(game->heldPiece, 2);
    game->OnPointerMove(kBoardX + Piece(2).outlineX + 5, kBoardY + Piece(2).outlineY + 5);
    EXPECT_EQ(Piece(2).x, kBoardX + Piece(2).outlineX);
    game->OnPress(kBoardX + Piece(2).outlineX + 5, kBoardY + Piece(2).outlineY + 5, 1);
    game->OnRelease(kBoardX + Piece(2).outlineX + 5, kBoardY + Piece(2).outlineY + 5, 1);
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_GT(Piece(2).found, 0);
    EXPECT_EQ(game->tries, 5);
}

TEST_F(MG1Test, FifthWrongDropFailsAndTheGameThenIgnoresThePointer)
{
    Load(ThreeRounds(2));
    for (int drop = 0; drop < 5; ++drop)
    {
        DragTo(0, 400, 300);
        Ticks(60);
    }
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(app.Count(kFail), 1);
    EXPECT_EQ(app.Scenes("fail"), 1);
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);

    DragTo(0, 400, 300);
    DragOntoOutline(1, 1);
    Ticks(50);
    EXPECT_EQ(game->tries, 0);
    EXPECT_EQ(Piece(1).found, 0);
    EXPECT_EQ(app.Count(kFail), 1);
    EXPECT_FALSE(app.content.pages[kPage].done);

    // Entered again, the page starts from scratch.
    Load(ThreeRounds(2));
    EXPECT_FALSE(game->finished);
    EXPECT_EQ(game->tries, 5);
}

TEST_F(MG1Test, RoundsChangeBehindTheNotesAndTheThirdCompletesThePage)
{
    Load(ThreeRounds(3), 2);
    Ticks(1);
    EXPECT_EQ(host.blurRequests, std::vector<int>{-1});
    host.slideRequests.clear();

    // Two of three pieces finish the round; the change starts once they are filled in.
    DragOntoOutline(1, 1);
    DragOntoOutline(0, 0);
    Ticks(4);
    EXPECT_EQ(game->round, 0);
    ASSERT_EQ(game->roundTimer, kRanim);
    EXPECT_EQ(app.Count(kRound), 1);
    // The piece left over rides away with the notes: it cannot be taken (nor dropped at a cost).
    game->OnPress(Piece(2).x + 5, Piece(2).y + 5, 1);
    EXPECT_EQ(game->heldPiece, -1);
    Ticks(kRanim / 2 - 1);
    EXPECT_EQ(game->round, 0);
    EXPECT_EQ(host.slideRequests.back(), 1);
    Ticks(1);
    EXPECT_EQ(game->round, 1);
    Ticks(kRanim / 2 - 1);
    EXPECT_EQ(host.slideRequests.back(), -1);
    Ticks(1);
    EXPECT_EQ(game->roundTimer, 0);
    EXPECT_EQ(host.slideRequests.back(), 0);
    EXPECT_EQ(host.listSlide, 0);
    EXPECT_EQ(game->PlacedInRound(), 0);

    PlaceRound();
    Ticks(kRanim + 10);
    ASSERT_EQ(game->round, 2);
    // A scene's [round] completes the round at hand.
    game->CompleteRound();
    Ticks(1);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Scenes("done"), 1);
    EXPECT_TRUE(app.content.pages[kPage].done);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.Count(kRound), 2);
}

TEST_F(MG1Test, CountsTheSetCannotMeetStillLeaveAPlayableGame)
{
    // The page asks for more pieces than round 1 has: the round ends with all of them.
    Load(ThreeRounds(2), 9);
    EXPECT_EQ(game->RequiredInRound(), 2);
    PlaceRound();
    Ticks(10);
    EXPECT_GT(game->roundTimer, 0);

    // No count from the page: every piece of the round. A change of length 0 is at once.
    app.config.miniGame1.RANIM = 0;
    Load(ThreeRounds(2), 0);
    EXPECT_EQ(game->RequiredInRound(), 2);
    PlaceRound();
    Ticks(10);
    EXPECT_EQ(game->round, 1);

    // A round without pieces never ends on its own, the back button still leaves, and the
    // debug completion of a held piece's round leaves nothing held.
    std::vector<Line> lines = ThreeRounds(2);
    std::erase_if(lines, [](const Line& line) { return line.name[1] == '2' && line.name[0] != 'b'; });
    Load(lines, 2);
    EXPECT_TRUE(app.Logged("round 2"));
    PlaceRound();
    Ticks(20);
    ASSERT_EQ(game->round, 1);
    EXPECT_EQ(game->RequiredInRound(), 0);
    game->OnPress(300, 300, 1);
    game->OnRelease(300, 300, 1);
    Ticks(50);
    EXPECT_FALSE(game->finished);
    game->OnButtonReleased(MG1::kBackButtonId);
    EXPECT_EQ(host.pageActions, 1);

    // Nothing loads at all: no pieces, no picture, a log line; painting and snapshots still work.
    app.sizes.clear();
    lines = ThreeRounds(2);
    for (Line& line : lines)
        line.fileExists = false;
    Load(lines);
    EXPECT_TRUE(game->CurrentRound().pieces.empty());
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);
    game->Paint(graphics);
    game->BuildSnapshot();
    EXPECT_NE(game->Snapshot(), nullptr);
}

TEST_F(MG1Test, NothingIsDrawnBeforeTheZoomArrivesAndTheSnapshotShowsPlacedPieces)
{
    // Pictures larger than the board or a single pixel draw clipped, never past the screen.
    std::vector<Line> lines = ThreeRounds(2);
    lines[0] = {"b1_map.png", -30, -30, 1000, 900};
    lines.push_back({"d1_dot.png", 760, 525, 1, 1});
    lines.push_back({"p1_dot.png", 799, 599, 1, 1});
    Load(lines, 3);
    MemoryImage screen;
    screen.Create(800, 600);
    Graphics graphics(&screen);

    host.modeZoom = 0.5;
    game->Paint(graphics);
    EXPECT_EQ(screen.GetBits()[300 * 800 + 400], 0u);
    host.modeZoom = 1;
    game->Paint(graphics);
    EXPECT_EQ(screen.GetBits()[300 * 800 + 400], kBackgroundColour);

    DragOntoOutline(0, 0);
    Ticks(10);
    game->BuildSnapshot();
    auto* snapshot = dynamic_cast<MemoryImage*>(game->Snapshot());
    ASSERT_NE(snapshot, nullptr);
    ASSERT_EQ(snapshot->GetWidth(), 800);
    EXPECT_EQ(snapshot->GetBits()[(kBoardY + 110) * 800 + kBoardX + 110], kOutlineColour);
    EXPECT_EQ(snapshot->GetBits()[(kBoardY + 110) * 800 + kBoardX + 300], kBackgroundColour);
    // The snapshot outlives the pictures: the zoom out still shows it.
    game->FreePictures();
    EXPECT_NE(game->Snapshot(), nullptr);
}

} // namespace
} // namespace Vesk
