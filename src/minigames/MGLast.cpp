#include "minigames/MGLast.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "publication/Page.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace Vesk
{
namespace
{

constexpr int kCursorHand = 1;
// The pages' corners as the publication takes them: x beyond these, y between kCornerTop and
// the bottom of the page's text area.
constexpr int kLeftCornerX = 69;
constexpr int kRightCornerX = 731;
constexpr int kCornerTop = 501;
constexpr int kPageTextHeight = 532;
constexpr int kDisabledArrowAlpha = 90;
// The localised pictures' folder (matched without case by the file layer).
const char* const kLocalFolder = "images/local/";

void RemoveFromParent(ButtonWidget* button)
{
    if (button != nullptr && button->parent != nullptr)
        button->parent->RemoveChild(button);
}

// The page number a file name begins with (counted from 1), 0 when it begins with none.
int LeadingNumber(const std::string& fileName)
{
    int number = 0;
    size_t digits = 0;
    while (digits < fileName.size() && digits < 4 && std::isdigit(static_cast<unsigned char>(fileName[digits])))
        number = number * 10 + (fileName[digits++] - '0');
    return digits > 0 ? number : 0;
}

} // namespace

MGLast::MGLast(GameApp& app) : MiniGame(app, "MGLast", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGameLast);
}

MGLast::~MGLast()
{
    RemoveFromParent(leftArrow.get());
    RemoveFromParent(rightArrow.get());
}

// --- The notes --------------------------------------------------------------------------------

void MGLast::LoadPicture(const std::string& dir)
{
    notes.clear();
    loggedNoNotes = false;
    for (const PictureListEntry& entry : ReadPictureList(dir))
    {
        const int row = LeadingNumber(entry.fileName) - 1;
        // The cover and the contents are never stamped.
        if (row < 2 || row >= std::min(app.content.pageCount, kMaxPages))
        {
            app.Log("MGLast: note " + entry.fileName + " names no page to stamp; left out");
            continue;
        }
        if (int(notes.size()) >= kMaxNotes)
        {
            app.Log("MGLast: more than 64 notes; " + entry.fileName + " left out");
            continue;
        }
        Note note;
        note.fileName = entry.fileName;
        note.image = app.GetImage(kLocalFolder + entry.fileName, true);
        if (note.image == nullptr)
            note.image = LoadGamePicture(dir + entry.fileName);
        note.homeX = note.x = entry.x;
        note.homeY = note.y = entry.y;
        note.page = row;
        notes.push_back(std::move(note));
    }
}

void MGLast::LoadNotesOfPublication()
{
    const int pageCount = std::clamp(app.content.pageCount, 0, kMaxPages);
    for (int row = 0; row < pageCount; ++row)
        if (app.content.pages[size_t(row)].type == "MGLast")
            LoadPicture(app.content.pages[size_t(row)].dir);
    DrawPreparedNotes();
}

void MGLast::DrawPreparedNotes()
{
    std::vector<bool> drawn(size_t(kMaxPages), false);
    for (const Note& note : notes)
    {
        const PageRecord& record = app.content.pages[size_t(note.page)];
        if (record.notePrepared && !record.stamped && !drawn[size_t(note.page)])
        {
            DrawNotePlace(note.page);
            drawn[size_t(note.page)] = true;
        }
    }
}

void MGLast::DrawNotePlace(int row)
{
    DDImage* face = app.content.pages[size_t(row)].faceImage.get();
    if (face == nullptr)
        return;
    Graphics graphics(face);
    for (const Note& note : notes)
        if (note.page == row && note.image != nullptr)
            graphics.DrawImage(note.image.get(), note.homeX, note.homeY);
    face->CommitBits();
}

void MGLast::StampPage(int row)
{
    PageRecord& record = app.content.pages[size_t(row)];
    record.stamped = true;
    DDImage* face = record.faceImage.get();
    if (face == nullptr)
        return;
    const auto& desktop = app.config.desktop;
    // The face is drawn afresh, without the note's empty place, and carries the stamp (with the
    // player's name on a done page, as the face has it when the game is loaded).
    std::unique_ptr<DDImage> picture = app.GetImage(record.face, true);
    Graphics graphics(face);
    if (picture != nullptr)
    {
        face->Clear();
        graphics.DrawImage(picture.get(), 0, 0);
        if (row != 0)
            graphics.DrawImage(IMAGE_PAGES, 0, 0);
    }
    else
        app.Log("MGLast: " + record.face + " not found; the stamp goes on the face as it is");
    graphics.DrawImage(IMAGE_STAMP, desktop.STAMPX, desktop.STAMPY);
    if (picture != nullptr && record.done && FONT_SCRIPT != nullptr)
    {
        graphics.SetFont(FONT_SCRIPT);
        graphics.SetColor(Color(desktop.STAMP_Wr, desktop.STAMP_Wg, desktop.STAMP_Wb));
        graphics.DrawString(app.playerName, desktop.STAMP_WX, desktop.STAMP_WY);
    }
    face->CommitBits();
}

// --- Starting ---------------------------------------------------------------------------------

void MGLast::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    for (Note& note : notes)
    {
        note.found = app.content.pages[size_t(note.page)].stamped ? 1 : 0;
        note.x = note.homeX;
        note.y = note.homeY;
    }
    for (const Note& note : notes)
    {
        PageRecord& record = app.content.pages[size_t(note.page)];
        if (record.notePrepared)
            continue;
        if (!record.stamped)
            DrawNotePlace(note.page);
        record.notePrepared = true;
    }
    notePage = 0;
    targetNotePage = 0;
    stripSlide = 0;
    UpdateArrows();
    PlaceArrows();
}

int MGLast::StripPageCount() const
{
    return std::max(1, (int(notes.size()) + kNotesPerStripPage - 1) / kNotesPerStripPage);
}

bool MGLast::OnStripPage(int index) const
{
    return index / kNotesPerStripPage == notePage;
}

// --- Buttons ----------------------------------------------------------------------------------

void MGLast::OnAttachedToManager(WidgetManager* newManager)
{
    MiniGame::OnAttachedToManager(newManager);
    RemoveFromParent(leftArrow.get());
    RemoveFromParent(rightArrow.get());
    auto makeArrow = [&](int id, Image* normal, Image* pressed)
    {
        auto arrow = std::make_unique<ButtonWidget>(id, this);
        arrow->buttonImage = normal;
        arrow->downImage = pressed;
        arrow->label.clear();
        // The game paints the arrows with the strip they ride on.
        arrow->noDraw = true;
        arrow->SetBounds(0, 0, normal != nullptr ? normal->GetWidth() : 0, normal != nullptr ? normal->GetHeight() : 0);
        arrow->SetShown(shown);
        newManager->AddChild(arrow.get());
        return arrow;
    };
    leftArrow = makeArrow(kLeftArrowId, IMAGE_MGLAST_LARR, IMAGE_MGLAST_LARRD);
    rightArrow = makeArrow(kRightArrowId, IMAGE_MGLAST_RARR, IMAGE_MGLAST_RARRD);
    PlaceArrows();
    UpdateArrows();
}

void MGLast::OnDetachedFromManager(WidgetManager* oldManager)
{
    RemoveFromParent(leftArrow.get());
    RemoveFromParent(rightArrow.get());
    MiniGame::OnDetachedFromManager(oldManager);
}

void MGLast::SetShown(bool show)
{
    MiniGame::SetShown(show);
    if (leftArrow != nullptr)
        leftArrow->SetShown(show);
    if (rightArrow != nullptr)
        rightArrow->SetShown(show);
}

void MGLast::OnButtonReleased(int id)
{
    if (id == kLeftArrowId || id == kRightArrowId)
    {
        if (AcceptsInput())
            StartStripSlide(id == kLeftArrowId ? -1 : +1);
        return;
    }
    if (id == kBackButtonId && !finished && host != nullptr && host->Blur() == 0)
        ReturnPublicationToGamePage();
    MiniGame::OnButtonReleased(id);
}

void MGLast::UpdateArrows()
{
    if (leftArrow != nullptr)
        leftArrow->SetDisabled(notePage <= 0);
    if (rightArrow != nullptr)
        rightArrow->SetDisabled(notePage >= StripPageCount() - 1);
}

void MGLast::PlaceArrows()
{
    const auto& config = app.config.miniGameLast;
    const int shift = int(config.NDX * StripOffset());
    if (leftArrow != nullptr)
        leftArrow->MoveTo(config.NX + config.LARRX + shift, config.NY + config.LARRY);
    if (rightArrow != nullptr)
        rightArrow->MoveTo(config.NX + config.RARRX + shift, config.NY + config.RARRY);
}

void MGLast::StartStripSlide(int direction)
{
    const int target = std::clamp(notePage + direction, 0, StripPageCount() - 1);
    if (target == notePage)
        return;
    app.PlaySample(SOUND_CAMERA_MOVE);
    targetNotePage = target;
    stripSlide = 1;
    heldPiece = -1;
}

void MGLast::StepStripSlide(float step)
{
    if (stripSlide <= 0)
        return;
    const double before = stripSlide;
    const double speed = app.config.miniGameLast.PAGEDX;
    stripSlide = speed > 0 ? stripSlide - step * speed : 0;
    // Halfway the strip is out of sight: the next four notes take its place.
    if (before > 0.5 && stripSlide <= 0.5)
    {
        notePage = targetNotePage;
        UpdateArrows();
    }
    if (stripSlide <= 0)
        stripSlide = 0;
}

double MGLast::StripOffset() const
{
    if (stripSlide > 0)
        return stripSlide <= 0.5 ? 2 * stripSlide : 2 * (1 - stripSlide);
    return std::clamp(ListSlide(), 0.0, 1.0);
}

// --- Rules ------------------------------------------------------------------------------------

void MGLast::TickRules(float step)
{
    PlaceArrows();
    const bool overButton = (backButton != nullptr && backButton->isHovered) ||
                            (leftArrow != nullptr && leftArrow->isHovered && !leftArrow->disabled) ||
                            (rightArrow != nullptr && rightArrow->isHovered && !rightArrow->disabled);
    if (overButton)
        app.SetCursor(kCursorHand);
    StepStripSlide(step);
    for (int index = 0; index < int(notes.size()); ++index)
        if (index != heldPiece)
        {
            Note& note = notes[size_t(index)];
            TravelHome(note.x, note.y, note.homeX, note.homeY, step);
        }
    if (notes.empty())
    {
        // Nothing to stamp: the game cannot be won and waits to be left.
        if (!loggedNoNotes)
            app.Log("MGLast: no notes were read; the final game cannot be played");
        loggedNoNotes = true;
        return;
    }
    if (std::all_of(notes.begin(), notes.end(), [](const Note& note) { return note.found >= 1; }))
        Complete();
}

void MGLast::Complete()
{
    ReturnPublicationToGamePage();
    RunDoneSequence();
}

void MGLast::CompleteByDebugKey()
{
    for (Note& note : notes)
        if (note.found < 1)
        {
            if (!app.content.pages[size_t(note.page)].stamped)
                StampPage(note.page);
            note.found = 1;
        }
    heldPiece = -1;
}

void MGLast::ReturnPublicationToGamePage()
{
    Page* publication = app.pageScreen.get();
    if (publication == nullptr || publication->Flipping() || !ContentModel::IsPage(page) ||
        page >= app.content.pageCount)
        return;
    publication->currentPage = page;
}

// --- Input ------------------------------------------------------------------------------------

// Notes are taken and pressed only in play: not after the end, nor while the page is entered or
// left, a scene plays or the game is paused.
bool MGLast::AcceptsInput() const
{
    if (!shown || finished || !IsPlayTime())
        return false;
    return host == nullptr || (host->OpenGate() == 0 && !host->IsPauseOpen());
}

bool MGLast::PublicationTurning() const
{
    return app.pageScreen != nullptr && app.pageScreen->Flipping();
}

int MGLast::NoteScreenX(const Note& note) const
{
    return int(note.x + app.config.miniGameLast.NDX * StripOffset());
}

int MGLast::NoteAt(int x, int y) const
{
    if (stripSlide > 0)
        return -1;
    int hit = -1;
    for (int index = 0; index < int(notes.size()); ++index)
    {
        const Note& note = notes[size_t(index)];
        if (OnStripPage(index) && note.found < 1 && Hits(note.image.get(), NoteScreenX(note), note.y, x, y, true))
            hit = index;
    }
    return hit;
}

bool MGLast::InPublicationCorner(int x, int y) const
{
    return (x <= kLeftCornerX || x >= kRightCornerX) && y >= kCornerTop && y < BoardY() + kPageTextHeight;
}

void MGLast::OnPress(int x, int y, int code)
{
    MiniGame::OnPress(x, y, code);
    if (!AcceptsInput())
        return;
    if (heldPiece >= 0)
        PutDown(x, y);
    else if (int hit = NoteAt(x, y); hit >= 0)
    {
        Note& note = notes[size_t(hit)];
        heldPiece = hit;
        grabX = x - note.x;
        grabY = y - note.y;
        dragMoves = 0;
        return;
    }
    if (InPublicationCorner(x, y) && app.pageScreen != nullptr)
        app.pageScreen->OnPress(x, y, code);
}

void MGLast::OnRelease(int x, int y, int code)
{
    MiniGame::OnRelease(x, y, code);
    if (!AcceptsInput())
        return;
    // A note dragged and let go is put down there; one taken with a click stays in hand.
    if (heldPiece >= 0 && !ReleaseIsClick())
        PutDown(x, y);
    if (app.pageScreen != nullptr)
        app.pageScreen->OnRelease(x, y, code);
}

void MGLast::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    if (!AcceptsInput())
        return;
    ++dragMoves;
    MoveHeldNote(x, y);
    if (app.pageScreen != nullptr)
        app.pageScreen->OnPointerDrag(x, y);
}

void MGLast::OnPointerMove(int x, int y)
{
    MiniGame::OnPointerMove(x, y);
    if (!AcceptsInput())
        return;
    MoveHeldNote(x, y);
    if (app.pageScreen != nullptr)
        app.pageScreen->OnPointerMove(x, y);
    if (heldPiece >= 0 || NoteAt(x, y) >= 0)
        app.SetCursor(kCursorHand);
}

void MGLast::MoveHeldNote(int x, int y)
{
    if (heldPiece < 0 || heldPiece >= int(notes.size()))
        return;
    Note& note = notes[size_t(heldPiece)];
    note.x = x - grabX;
    note.y = y - grabY;
}

void MGLast::PutDown(int x, int y)
{
    if (heldPiece < 0 || heldPiece >= int(notes.size()))
        return;
    Note& note = notes[size_t(heldPiece)];
    const bool overPage = x < app.config.miniGameLast.NX && y < kPageBottom;
    // While a page turns there is no page to press onto: the note stays in hand.
    if (overPage && PublicationTurning())
        return;
    heldPiece = -1;
    if (overPage)
        PressOntoPage(note);
}

void MGLast::PressOntoPage(Note& note)
{
    const int current = host != nullptr ? host->CurrentPage() : -1;
    if (note.page != current)
    {
        if (tries > 1)
            app.PlayScene(FailScript());
        else
            ReturnPublicationToGamePage();
        LoseTry();
        return;
    }
    PageRecord& record = app.content.pages[size_t(note.page)];
    // A page stamped already takes no second stamp, and costs nothing.
    if (!record.stamped)
    {
        StampPage(note.page);
        app.PlaySample(SOUND_MG_FIND);
        PieceCompleted();
    }
    note.found = 1;
}

std::string MGLast::FailScript() const
{
    char name[64];
    std::snprintf(name, sizeof name, "scenes/page_%d_fail.scr", page + 1);
    return name;
}

// --- Painting ---------------------------------------------------------------------------------

void MGLast::Paint(Graphics& graphics)
{
    if (app.pageScreen != nullptr)
        app.pageScreen->Paint(graphics);
    else if (host != nullptr)
        host->DrawDeskBackground(graphics);
    PlaceArrows();
    PaintPlayArea(graphics);
    // The objective on the panel as every game shows it: written small enough to fit.
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    const auto& config = app.config.miniGameLast;
    if (IMAGE_MGLAST_PAGES != nullptr)
        graphics.DrawImageCel(IMAGE_MGLAST_PAGES, int(config.NX + config.PAGEX + config.NDX * StripOffset()),
                              config.NY + config.PAGEY, notePage);
}

void MGLast::PaintPlayArea(Graphics& graphics)
{
    PaintStrip(graphics);
}

void MGLast::PaintStrip(Graphics& graphics)
{
    const auto& config = app.config.miniGameLast;
    const double shift = config.NDX * StripOffset();
    graphics.DrawImage(IMAGE_MGLAST_NOTE, int(config.NX + shift), config.NY);
    for (ButtonWidget* arrow : {leftArrow.get(), rightArrow.get()})
    {
        if (arrow == nullptr)
            continue;
        // An arrow with no strip page beyond it is faded.
        graphics.PushState();
        if (arrow->disabled)
        {
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, kDisabledArrowAlpha));
        }
        arrow->PaintInPlace(graphics);
        graphics.PopState();
    }
    const int alpha = std::clamp(config.UNDERTITLE, 0, 255);
    for (int index = 0; index < int(notes.size()); ++index)
    {
        const Note& note = notes[size_t(index)];
        if (!OnStripPage(index) || note.image == nullptr)
            continue;
        // A faint copy marks the note's place on the strip, found or taken; a note lying at its
        // place covers it (and it is not drawn).
        const bool resting = note.found < 1 && index != heldPiece && note.x == note.homeX && note.y == note.homeY;
        if (!resting)
        {
            graphics.PushState();
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, alpha));
            graphics.DrawImage(note.image.get(), int(note.homeX + shift), note.homeY);
            graphics.PopState();
        }
        if (note.found < 1 && index != heldPiece)
            graphics.DrawImage(note.image.get(), NoteScreenX(note), note.y);
    }
    // The note in hand lies over everything else on the strip.
    if (heldPiece >= 0 && heldPiece < int(notes.size()) && notes[size_t(heldPiece)].image != nullptr)
    {
        const Note& held = notes[size_t(heldPiece)];
        graphics.DrawImage(held.image.get(), NoteScreenX(held), held.y);
    }
}

const std::string& MGLast::Objective() const
{
    return app.texts.objectives.MGLast;
}

} // namespace Vesk
