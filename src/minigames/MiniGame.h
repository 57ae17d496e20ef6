#pragma once

#include "app/PictureListReader.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class BoardHost;
class ButtonWidget;
class DDImage;
class GameApp;
class Image;
class MemoryImage;

// Where one mini-game's frame lies on the screen and how fast its pieces fill in: the game's
// MiniGameN keys of config.xml, gathered so that the frame draws every game alike.
struct MiniGameLayout
{
    int panelX = 0; // the objective panel at rest (BPPX, BPPY)
    int panelY = 0;
    int textX = 0; // the objective text inside the panel (BPOX, BPOY, BPOW)
    int textY = 0;
    int textWidth = 0;
    int backX = 0; // offsets from the panel: back button, its glow, the tries counter
    int backY = 0;
    int glowX = 0;
    int glowY = 0;
    int triesX = 0;
    int triesY = 0;
    std::array<int, 8> noteX{}; // ListX1..ListX8 (games with notes)
    double completionSpeed = 0; // CS: a piece's fill-in per step unit

    // Reads the keys a game's section has; a section without notes or CS leaves them 0.
    template <class Section> static MiniGameLayout From(const Section& section)
    {
        MiniGameLayout layout;
        layout.panelX = section.BPPX;
        layout.panelY = section.BPPY;
        layout.textX = section.BPOX;
        layout.textY = section.BPOY;
        layout.textWidth = section.BPOW;
        layout.backX = section.BPBX;
        layout.backY = section.BPBY;
        layout.glowX = section.BPBGX;
        layout.glowY = section.BPBGY;
        layout.triesX = section.BPBTX;
        layout.triesY = section.BPBTY;
        if constexpr (requires { section.CS; })
            layout.completionSpeed = section.CS;
        if constexpr (requires { section.ListX5; })
            layout.noteX = {section.ListX1, section.ListX2, section.ListX3, section.ListX4, section.ListX5, 0, 0, 0};
        if constexpr (requires { section.ListX8; })
            layout.noteX = {section.ListX1, section.ListX2, section.ListX3, section.ListX4,
                            section.ListX5, section.ListX6, section.ListX7, section.ListX8};
        return layout;
    }
};

// What every mini-game shares: how the publication starts it (LoadPicture, StartGame), how its
// rules are held while the game is paused or a scene plays, its objective panel, notes, back
// button and tries counter, and how it ends: "done" (the page is complete, saved and stamped)
// or "fail" (the tries are used up; the page is left and can be played again from scratch).
//
// Each game is a widget of its own deriving from this one. It reads its picture set in
// LoadPicture, resets itself in StartGame (calling this class's), runs its rules in TickRules
// and draws its play area in PaintPlayArea; the frame calls them in their place. A game ends by
// calling RunDoneSequence or, through LoseTry, Fail. The rules run once per fixed update from
// Tick (step 1.0 per 10 ms), so windowed and smooth play agree.
class MiniGame : public Widget, public ButtonListener
{
public:
    static constexpr int kStartTries = 5;
    static constexpr int kOpaqueAlpha = 20;
    static constexpr int kDebugKeyF5 = 116;

    // kind: the page type the game plays ("MG1"); backButtonId: its back button's id.
    MiniGame(GameApp& app, std::string kind, int backButtonId);
    ~MiniGame() override;

    // Reads dir + "picture.cfg" and loads the game's pictures from dir, after emptying every
    // table of the previous set.
    virtual void LoadPicture(const std::string& dir) = 0;
    // A fresh game: every counter, glow and timer reset, five tries, round 0.
    virtual void StartGame(int timeLimitSeconds, int itemCount);
    // (Re)draws the 800 x 600 picture of the game's present look that the publication shows
    // during the camera zoom. Games without one keep the default (none).
    virtual void BuildSnapshot() {}
    // Frees the pictures of the set. The snapshot stays until the next one is built, since the
    // zoom out of the page still shows it.
    virtual void FreePictures() {}
    // A scene asks that the current round be complete; games without rounds ignore it.
    virtual void CompleteRound() {}

    // The picture the publication draws during the zoom into and out of this game; null: none.
    Image* Snapshot() const;
    // The page type this game plays.
    const std::string& Kind() const { return kind; }

    void SetShown(bool show) override;
    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnButtonReleased(int id) override;

    // The frame's update: the glow, the pause, the scene gate, then the game's rules.
    void TickFrame(float step);

    GameApp& app;
    // The publication screen; null until it exists (then the game acts as if the publication
    // were at rest, at no page).
    BoardHost* host = nullptr;

    bool finished = false;
    bool openSignalled = false;
    uint32_t startTime = 0;
    uint32_t timeLimitMs = 0;
    uint32_t pauseStartTime = 0;
    int requiredCount = 0;
    int tries = kStartTries;
    int round = 0;
    double roundTimer = 0;
    int heldPiece = -1;
    int grabX = 0;
    int grabY = 0;
    int dragMoves = 0;
    double backGlow = 0;
    // The page being played (the host's current page when the game started), -1 none.
    int page = -1;
    std::unique_ptr<ButtonWidget> backButton;

protected:
    // The game's own rules of one update (the frame has checked the pause and the scenes).
    virtual void TickRules(float step) = 0;
    // The debug key F5: completes the current round or the game.
    virtual void CompleteByDebugKey() {}
    // Whether the game may send its "open" event now (besides the tab being at rest).
    virtual bool ReadyToOpen() { return true; }
    // The game sets the cursor itself now (the frame's hand-over-the-back-button rule rests).
    virtual bool OwnsCursor() const { return false; }
    // The objective written on the panel.
    virtual const std::string& Objective() const = 0;
    // The game's picture under the frame's panel and notes, and what lies on the notes.
    virtual void PaintPlayArea(Graphics& graphics) = 0;
    virtual void PaintOnNotes(Graphics& graphics) {}
    // Notes the game shows (IMAGE_POST_1 ..), and how the publication's list slide F maps onto
    // the stages of the notes and the panel: note m (0-based) moves while the stage value runs
    // from m + 1 down to m, the panel while it runs from PanelStage() + 1 down to PanelStage().
    // A game without notes slides its panel alone, over the whole slide.
    virtual int NoteCount() const { return 0; }
    virtual double SlideStage(double slide) const { return NoteCount() > 0 ? 9 * slide : slide; }
    virtual int PanelStage() const { return NoteCount() > 0 ? 8 : 0; }

    // The done sequence: "done" scene, the page marked done with its contents light, the set
    // advanced, the page complete, the game saved and the page left. Sets finished.
    void RunDoneSequence();
    // A wrong move: one try less with its sound, or the failure when none is left.
    void LoseTry();
    // The failure: the fail scene, the page complete and left. Sets finished: nothing more runs.
    void Fail();
    // A piece's fill-in reached 1: a scene waiting for the game goes on.
    void PieceCompleted();

    // The frame's layers, for games that paint in their own order.
    void PaintSurroundings(Graphics& graphics);
    void PaintPageShadows(Graphics& graphics);
    // The play area on the open page, as the board draws its page: the desk, the page's shadows
    // and the contents note under it, the page edges and the publication's overlays over it.
    void PaintOnOpenPage(Graphics& graphics);
    void PaintPanelAndNotes(Graphics& graphics);
    void PaintBackButtonAndTries(Graphics& graphics);
    // The vertical drop of note m (0-based) in the present slide: pieces resting on it ride
    // with it.
    double NoteDrop(int note) const;

    // The publication's present state (at rest without a host).
    double ListSlide() const;
    double Blur() const;
    bool BlurRunning() const;
    bool IsPlayTime() const;
    uint32_t Now() const;
    bool KeyHeld(int keyCode) const;
    int BoardX() const;
    int BoardY() const;

    // The pictures of dir + "picture.cfg" in file order (the file name tells the game what each
    // is); empty (and a log line) without the file.
    std::vector<PictureListEntry> ReadPictureList(const std::string& dir);
    // A picture of the set, or null and a log line when it cannot be read.
    std::unique_ptr<DDImage> LoadGamePicture(const std::string& path);
    // The entry of table keyed key (a picture set's lines of one piece share a key), added at the
    // end when there is none yet; null, with a log line naming fileName, when the table already
    // holds capacity entries (what: what it holds, for the line).
    template <class Entry>
    Entry* EntryForKey(std::vector<Entry>& table, const std::string& key, int capacity, const std::string& what,
                       const std::string& fileName)
    {
        for (Entry& entry : table)
            if (entry.key == key)
                return &entry;
        if (int(table.size()) >= capacity)
        {
            LogTableFull(capacity, what, fileName);
            return nullptr;
        }
        table.emplace_back();
        table.back().key = key;
        return &table.back();
    }
    void LogTableFull(int capacity, const std::string& what, const std::string& fileName);
    // (px, py) lies strictly inside image drawn at (x, y); with opaque, also on a pixel whose
    // alpha is above kOpaqueAlpha. A null image is never hit.
    static bool Hits(Image* image, int x, int y, int px, int py, bool opaque = false);
    // Moves (x, y) one update's way back toward (homeX, homeY) at Common/RetSpeed.
    void TravelHome(int& x, int& y, int homeX, int homeY, float step) const;
    // The release after a press counts as a click (too few drag events to be a drag).
    bool ReleaseIsClick() const;

    MiniGameLayout layout;
    // The present look for the zoom; kept across FreePictures.
    std::unique_ptr<MemoryImage> snapshot;

private:
    void StepBackGlow(float step);
    bool TickPause();
    void SignalOpen();
    void WriteObjective();

    std::string kind;
    int backButtonId;
    std::unique_ptr<MemoryImage> panelLayer;
    std::string panelText;
    // The slide element in motion at the last paint (-1 none), for the notes' sounds.
    int slideElement = -1;
};

} // namespace Vesk
