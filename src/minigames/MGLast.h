#pragma once

#include "minigames/MiniGame.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class ButtonWidget;
class DDImage;

// The final game: a strip of notes lies beside the open publication, one note for each page to
// be stamped. The player leafs through the publication underneath (its corners, presses, drags
// and releases are passed on to it), takes a note and presses it onto its own page, which then
// carries the stamp. A note pressed onto another page costs a try; when every note has its page
// the game is done. The strip shows four notes at a time; its arrows (buttons 41 and 42) slide
// the next four in.
//
// The notes are read once when the application starts (LoadPicture with the folder of the
// "MGLast" page), not when the page is entered. A note names its page by the number its file
// name begins with, counted from 1 as config.xml counts pages ("03_harbour.png" belongs to the
// row 2); its picture.cfg place, a screen position, is where it rests on the strip, and the same
// position on its page's face is where its empty place is drawn until the page is stamped.
class MGLast : public MiniGame
{
public:
    static constexpr int kBackButtonId = 40;
    static constexpr int kLeftArrowId = 41;
    static constexpr int kRightArrowId = 42;
    static constexpr int kMaxNotes = 64;
    static constexpr int kNotesPerStripPage = 4;
    // A press onto the page counts above this height (below it lie the corners and the panel).
    static constexpr int kPageBottom = 500;

    struct Note
    {
        std::unique_ptr<DDImage> image;
        std::string fileName;
        // Screen positions: where the note is now and where it rests on the strip.
        int x = 0;
        int y = 0;
        int homeX = 0;
        int homeY = 0;
        int page = -1; // the row of the page it belongs to
        double found = 0;
    };

    explicit MGLast(GameApp& app);
    ~MGLast() override;

    // Reads dir + "picture.cfg" and the notes' pictures (from "images/local/", else from dir),
    // replacing the notes read before. Lines whose file name names no page that can be stamped,
    // and notes past kMaxNotes, are left out with a log line.
    void LoadPicture(const std::string& dir) override;
    // A fresh game: notes of stamped pages start found, the empty places of the pages not
    // prepared yet are drawn onto their faces, the strip shows its first page.
    void StartGame(int timeLimitSeconds, int itemCount) override;
    // Reads the notes from the folder of every "MGLast" page and draws them onto the faces
    // (start-up, once the screens exist).
    void LoadNotesOfPublication();
    // Draws the empty place of every note whose page is prepared and not stamped onto the
    // page's face: the faces have just been read afresh (start-up, another player's game).
    void DrawPreparedNotes();

    void SetShown(bool show) override;
    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void OnButtonReleased(int id) override;
    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int code) override;
    void OnRelease(int x, int y, int code) override;
    void OnPointerDrag(int x, int y) override;
    void OnPointerMove(int x, int y) override;

    const std::vector<Note>& Notes() const { return notes; }
    // The strip pages there are (at least 1) and the one shown.
    int StripPageCount() const;
    int notePage = 0;
    // The strip page a running slide goes to, and the slide (1 at its start, 0 at rest).
    int targetNotePage = 0;
    double stripSlide = 0;
    // How far the strip is moved out to the right now, 0..1 (the strip offset t).
    double StripOffset() const;
    // Where note index is drawn now (its strip place or, held, under the pointer).
    int NoteScreenX(const Note& note) const;

    std::unique_ptr<ButtonWidget> leftArrow;
    std::unique_ptr<ButtonWidget> rightArrow;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    bool OwnsCursor() const override { return true; }
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    bool AcceptsInput() const;
    bool PublicationTurning() const;
    int NoteAt(int x, int y) const;
    bool OnStripPage(int index) const;
    void MoveHeldNote(int x, int y);
    // The held note is put down at (x, y): pressed onto the page when it lies over the open
    // publication, else simply let go.
    void PutDown(int x, int y);
    void PressOntoPage(Note& note);
    void StampPage(int row);
    void DrawNotePlace(int row);
    void StartStripSlide(int direction);
    void StepStripSlide(float step);
    void UpdateArrows();
    void PlaceArrows();
    // The publication is put back at this game's page before the game leaves it, so that the
    // page's scenes play and the publication returns where the game was entered.
    void ReturnPublicationToGamePage();
    void Complete();
    // The fail script of this game's page, whichever page the publication lies open at.
    std::string FailScript() const;
    bool InPublicationCorner(int x, int y) const;

    void PaintStrip(Graphics& graphics);

    std::vector<Note> notes;
    bool loggedNoNotes = false;
};

} // namespace Vesk
