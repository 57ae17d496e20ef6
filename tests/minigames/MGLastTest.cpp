// The final game on notes and page faces made in the test: which notes a set gives and where
// their empty places go, pressing notes onto the right and the wrong pages (by click and by
// drag), the failure, the end of the game, and the strip's pages.
#include "minigames/MGLast.h"

#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/platform/Clock.h"
#include "support/FakePublication.h"
#include "support/TempFolder.h"
#include "support/TestGameApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using Platform::Clock;

constexpr int kGamePage = 17;
constexpr int kNoteWidth = 40;
constexpr int kNoteHeight = 30;
constexpr uint32_t kPaper = 0xFFF4EBD6u;
constexpr uint32_t kNoteInk = 0xFF3F6FB0u;
constexpr uint32_t kLocalInk = 0xFF20A020u;
constexpr uint32_t kStampInk = 0xFFB8322Au;
constexpr int kLife = 701, kFail = 702, kFind = 703, kSlide = 704;

std::unique_ptr<DDImage> Solid(int width, int height, uint32_t colour)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), colour);
    auto image = std::make_unique<DDImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

// The application with the notes' and the faces' pictures made in memory.
struct NotesApp : TestSupport::TestGameApp
{
    std::unique_ptr<DDImage> GetImage(const std::string& path, bool commitBits) override
    {
        if (path.rfind("faces/", 0) == 0)
            return Solid(767, 532, kPaper);
        if (local.count(path) != 0)
            return Solid(kNoteWidth, kNoteHeight, kLocalInk);
        if (notes.count(path) != 0)
            return Solid(kNoteWidth, kNoteHeight, kNoteInk);
        return nullptr;
    }
    void PlayScene(const std::string& event) override { scenes.push_back(event); }
    void PlaySample(int soundId) override { samples.push_back(soundId); }
    void Log(const std::string& text) override { logs.push_back(text); }

    int Count(int sound) const { return int(std::count(samples.begin(), samples.end(), sound)); }

    std::map<std::string, bool> notes;
    std::map<std::string, bool> local;
    std::vector<std::string> scenes;
    std::vector<int> samples;
    std::vector<std::string> logs;
};

struct Line
{
    std::string name;
    int x, y;
};

class MGLastTest : public ::testing::Test
{
protected:
    MGLastTest()
    {
        Clock::UseVirtualClock();
        app.config.common.BoardX = 16;
        app.config.common.BoardY = 6;
        app.config.common.ClickTreshold = 3;
        app.config.common.RetSpeed = 1000;
        auto& config = app.config.miniGameLast;
        config.NX = 600;
        config.NY = 40;
        config.NDX = 260;
        config.PAGEDX = 0.1;
        config.UNDERTITLE = 60;
        app.config.desktop.STAMPX = 500;
        app.config.desktop.STAMPY = 380;
        app.content.pageCount = 20;
        for (int row = 2; row < 20; ++row)
        {
            PageRecord& record = app.content.pages[size_t(row)];
            record.type = row == kGamePage ? "MGLast" : "Game";
            record.face = "faces/" + std::to_string(row + 1);
            record.open = true;
            record.done = row != kGamePage;
            record.faceImage = std::shared_ptr<DDImage>(Solid(767, 588, kPaper));
            record.doneFaceImage = record.faceImage;
        }
        stamp = Solid(20, 20, kStampInk);
        IMAGE_STAMP = stamp.get();
        SOUND_MG_LIFE = kLife;
        SOUND_MG_FAIL = kFail;
        SOUND_MG_FIND = kFind;
        SOUND_CAMERA_MOVE = kSlide;
        host.page = kGamePage;
        game = std::make_unique<MGLast>(app);
        game->host = &host;
    }
    ~MGLastTest() override
    {
        game.reset();
        ResetResourceIdentifiers();
        Clock::UseRealClock();
    }

    // The notes of rows 2 .. 2 + count - 1, four to a strip page in a column at x 630.
    static std::vector<Line> Notes(int count)
    {
        std::vector<Line> lines;
        for (int i = 0; i < count; ++i)
        {
            char name[32];
            std::snprintf(name, sizeof name, "%02d_place.png", i + 3);
            lines.push_back({name, 630, 90 + 88 * (i % 4)});
        }
        return lines;
    }

    void Load(const std::vector<Line>& lines)
    {
        std::string list;
        int id = 0;
        for (const Line& line : lines)
        {
            list += std::to_string(++id) + "\n1\n" + line.name + "\n40x30\n" + std::to_string(line.x) + "\n" +
                    std::to_string(line.y) + "\n";
            app.notes["p18/" + line.name] = true;
        }
        folder.WriteFile("p18/picture.cfg", list);
        game->LoadPicture("p18/");
        game->StartGame(600, 15);
        game->SetShown(true);
    }

    const MGLast::Note& Note(int index) const { return game->Notes()[size_t(index)]; }
    int NoteX(int index) const { return game->NoteScreenX(Note(index)) + kNoteWidth / 2; }
    int NoteY(int index) const { return Note(index).y + kNoteHeight / 2; }
    uint32_t FacePixel(int row, int x, int y)
    {
        return app.content.pages[size_t(row)].faceImage->GetBits()[y * 767 + x];
    }

    // Takes note index with a click and presses it onto the publication at (x, y).
    void ClickOnto(int index, int x = 300, int y = 200)
    {
        game->OnPress(NoteX(index), NoteY(index), 1);
        game->OnRelease(NoteX(index), NoteY(index), 1);
        game->OnPointerMove(x, y);
        game->OnPress(x, y, 1);
        game->OnRelease(x, y, 1);
    }

    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            Clock::AdvanceFrame(10);
            game->Tick();
        }
    }

    TestSupport::TempFolder folder;
    NotesApp app;
    TestSupport::FakePublication host;
    std::unique_ptr<DDImage> stamp;
    std::unique_ptr<MGLast> game;
};

TEST_F(MGLastTest, NotesNameTheirPagesByNumberAndOnlyPagesThatCanBeStampedCount)
{
    app.local["images/local/05_fish.png"] = true;
    Load({{"03_harbour.png", 630, 90},
          {"4_map.png", 630, 178},
          {"05_fish.png", 630, 266},
          {"01_cover.png", 630, 90},
          {"02_contents.png", 630, 90},
          {"21_beyond.png", 630, 90},
          {"harbour.png", 630, 90}});
    ASSERT_EQ(game->Notes().size(), 3u);
    EXPECT_EQ(Note(0).page, 2);
    EXPECT_EQ(Note(1).page, 3);
    EXPECT_EQ(Note(2).page, 4);
    EXPECT_EQ(Note(1).homeX, 630);
    EXPECT_EQ(Note(1).homeY, 178);
    // The localised picture is taken before the folder's own.
    EXPECT_EQ(Note(2).image->GetBits()[0], kLocalInk);
    EXPECT_EQ(Note(0).image->GetBits()[0], kNoteInk);
    EXPECT_EQ(std::count_if(app.logs.begin(), app.logs.end(),
                            [](const std::string& line) { return line.find("names no page") != std::string::npos; }),
              4);
    // Read again, the set replaces the notes read before.
    game->LoadPicture("p18/");
    EXPECT_EQ(game->Notes().size(), 3u);
}

TEST_F(MGLastTest, EmptyPlacesAreDrawnOnceAndNotesOfStampedPagesStartFound)
{
    app.content.pages[3].stamped = true;
    app.content.pages[4].notePrepared = true;
    Load(Notes(3));
    EXPECT_EQ(Note(0).found, 0);
    EXPECT_EQ(Note(1).found, 1);
    // The place of row 2's note on its face, none on the stamped page, none again on a page
    // prepared before.
    EXPECT_EQ(FacePixel(2, 650, 100), kNoteInk);
    EXPECT_EQ(FacePixel(3, 650, 190), kPaper);
    EXPECT_EQ(FacePixel(4, 650, 280), kPaper);
    for (int row = 2; row <= 4; ++row)
        EXPECT_TRUE(app.content.pages[size_t(row)].notePrepared) << row;

    // The faces read afresh (another player's game): prepared, unstamped pages get theirs back.
    for (int row = 2; row <= 4; ++row)
        app.content.pages[size_t(row)].faceImage = std::shared_ptr<DDImage>(Solid(767, 588, kPaper));
    game->DrawPreparedNotes();
    EXPECT_EQ(FacePixel(2, 650, 100), kNoteInk);
    EXPECT_EQ(FacePixel(3, 650, 190), kPaper);
    EXPECT_EQ(FacePixel(4, 650, 280), kNoteInk);
}

TEST_F(MGLastTest, NotesPressedOntoPagesStampTheRightOneAndCostATryOnAWrongOne)
{
    Load(Notes(3));
    host.page = 5;
    ClickOnto(0);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(app.Count(kLife), 1);
    ASSERT_FALSE(app.scenes.empty());
    EXPECT_EQ(app.scenes.back(), "scenes/page_18_fail.scr");
    EXPECT_EQ(game->heldPiece, -1);
    EXPECT_FALSE(app.content.pages[2].stamped);

    // Let go over the strip or below the page: no cost.
    ClickOnto(0, 700, 200);
    ClickOnto(0, 300, 520);
    EXPECT_EQ(game->tries, 4);
    EXPECT_EQ(game->heldPiece, -1);
    Ticks(2);
    EXPECT_EQ(Note(0).x, Note(0).homeX);

    // Its own page: stamped, the empty place gone, the stamp on.
    host.page = 2;
    EXPECT_EQ(FacePixel(2, 650, 100), kNoteInk);
    ClickOnto(0);
    EXPECT_TRUE(app.content.pages[2].stamped);
    EXPECT_EQ(Note(0).found, 1);
    EXPECT_EQ(app.Count(kFind), 1);
    EXPECT_EQ(FacePixel(2, 650, 100), kPaper);
    EXPECT_EQ(FacePixel(2, 505, 385), kStampInk);
    EXPECT_EQ(game->tries, 4);
    // A found note cannot be taken again.
    game->OnPress(NoteX(0), NoteY(0), 1);
    EXPECT_EQ(game->heldPiece, -1);

    // Dragged and let go over its page.
    host.page = 3;
    const int fromX = NoteX(1), fromY = NoteY(1);
    game->OnPress(fromX, fromY, 1);
    for (int move = 1; move <= 6; ++move)
        game->OnPointerDrag(fromX - 60 * move, fromY);
    game->OnRelease(fromX - 360, fromY, 1);
    EXPECT_TRUE(app.content.pages[3].stamped);

    host.page = 4;
    ClickOnto(2);
    EXPECT_FALSE(game->finished);
    Ticks(1);
    EXPECT_TRUE(game->finished);
    EXPECT_TRUE(app.content.pages[kGamePage].done);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_EQ(app.scenes.back(), "done");
}

TEST_F(MGLastTest, FiveWrongPagesFailTheGameWhichThenTakesNoMoreNotes)
{
    Load(Notes(2));
    host.page = 9;
    for (int wrong = 0; wrong < 4; ++wrong)
        ClickOnto(0);
    EXPECT_EQ(game->tries, 1);
    EXPECT_FALSE(game->finished);
    ClickOnto(0);
    EXPECT_EQ(game->tries, 0);
    EXPECT_TRUE(game->finished);
    EXPECT_EQ(app.Count(kFail), 1);
    EXPECT_EQ(app.scenes.back(), "fail");
    EXPECT_TRUE(host.pageComplete);
    EXPECT_EQ(host.pageActions, 1);
    EXPECT_FALSE(app.content.pages[kGamePage].done);
    game->OnPress(NoteX(1), NoteY(1), 1);
    EXPECT_EQ(game->heldPiece, -1);
    // Played again, the tries are back and nothing was stamped.
    game->StartGame(600, 15);
    EXPECT_EQ(game->tries, 5);
    EXPECT_EQ(Note(0).found, 0);
}

TEST_F(MGLastTest, TheStripShowsFourNotesAtATimeAndItsArrowsStayWithinItsPages)
{
    Load(Notes(6));
    EXPECT_EQ(game->StripPageCount(), 2);
    // A note of the second strip page is not on the strip yet.
    game->OnPress(NoteX(4), NoteY(4), 1);
    EXPECT_EQ(game->heldPiece, 0);
    game->OnPress(700, 560, 1);
    game->OnButtonReleased(MGLast::kLeftArrowId);
    EXPECT_EQ(game->stripSlide, 0);
    EXPECT_EQ(app.Count(kSlide), 0);

    game->OnButtonReleased(MGLast::kRightArrowId);
    EXPECT_EQ(app.Count(kSlide), 1);
    EXPECT_EQ(game->stripSlide, 1);
    Ticks(4);
    EXPECT_EQ(game->notePage, 0);
    EXPECT_GT(game->StripOffset(), 0.5);
    Ticks(2);
    EXPECT_EQ(game->notePage, 1);
    Ticks(10);
    EXPECT_EQ(game->stripSlide, 0);
    EXPECT_EQ(game->StripOffset(), 0);
    game->OnButtonReleased(MGLast::kRightArrowId);
    EXPECT_EQ(game->stripSlide, 0);

    host.page = 6;
    ClickOnto(4);
    EXPECT_TRUE(app.content.pages[6].stamped);
}

TEST_F(MGLastTest, WithoutNotesTheGameNeverEndsByItself)
{
    Load({});
    Ticks(5);
    EXPECT_FALSE(game->finished);
    EXPECT_FALSE(app.content.pages[kGamePage].done);
}

} // namespace
} // namespace Vesk
