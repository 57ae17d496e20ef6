#include "minigames/MiniGame.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/appbase/Buffer.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Transform.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr int kCursorNormal = 0;
constexpr int kCursorHand = 1;

int ClampAlpha(double alpha)
{
    return std::clamp(int(alpha), 0, 255);
}

// The element of the panel-and-notes slide in motion at stage value g: the largest m with
// m <= g <= m + 1, -1 when the slide is at rest in place.
int SlideElement(double g, double slide, int elements)
{
    if (slide <= 0)
        return -1;
    return std::clamp(int(std::floor(g)), 0, elements - 1);
}

} // namespace

MiniGame::MiniGame(GameApp& app, std::string kind, int backButtonId)
    : app(app), kind(std::move(kind)), backButtonId(backButtonId)
{
    SetBounds(0, 0, 800, 600);
    Widget::SetShown(false);
}

MiniGame::~MiniGame()
{
    if (backButton != nullptr && backButton->parent != nullptr)
        backButton->parent->RemoveChild(backButton.get());
}

Image* MiniGame::Snapshot() const
{
    return snapshot.get();
}

// --- Starting -------------------------------------------------------------------------------

void MiniGame::StartGame(int timeLimitSeconds, int itemCount)
{
    finished = false;
    openSignalled = false;
    heldPiece = -1;
    grabX = 0;
    grabY = 0;
    dragMoves = 0;
    round = 0;
    roundTimer = 0;
    backGlow = 0;
    startTime = Now();
    timeLimitMs = uint32_t(std::max(timeLimitSeconds, 0)) * 1000u;
    pauseStartTime = 0;
    tries = kStartTries;
    requiredCount = std::max(itemCount, 0);
    page = host != nullptr ? host->CurrentPage() : -1;
    slideElement = -1;
    panelText.clear();
}

std::vector<PictureListEntry> MiniGame::ReadPictureList(const std::string& dir)
{
    Buffer list;
    if (!app.ReadBufferFromFile(dir + "picture.cfg", list))
    {
        app.Log(kind + ": no picture list " + dir + "picture.cfg");
        return {};
    }
    return PictureListReader::ReadObjects(list);
}

void MiniGame::LogTableFull(int capacity, const std::string& what, const std::string& fileName)
{
    app.Log(kind + ": more than " + std::to_string(capacity) + " " + what + ": '" + fileName + "' left out");
}

std::unique_ptr<DDImage> MiniGame::LoadGamePicture(const std::string& path)
{
    std::unique_ptr<DDImage> image = app.GetImage(path, true);
    if (image == nullptr)
        app.Log(kind + ": picture " + path + " not found");
    return image;
}

// --- The back button ------------------------------------------------------------------------

void MiniGame::OnAttachedToManager(WidgetManager* newManager)
{
    Widget::OnAttachedToManager(newManager);
    if (backButton != nullptr && backButton->parent != nullptr)
        backButton->parent->RemoveChild(backButton.get());
    backButton = std::make_unique<ButtonWidget>(backButtonId, this);
    backButton->buttonImage = IMAGE_POST_BACK_B;
    backButton->overImage = IMAGE_POST_BACK_BH;
    backButton->downImage = IMAGE_POST_BACK_BP;
    backButton->label.clear();
    if (FONT_DEFAULT != nullptr)
        backButton->SetFont(FONT_DEFAULT);
    // The game paints the button itself, under its glow and over its panel.
    backButton->noDraw = true;
    int width = IMAGE_POST_BACK_B != nullptr ? IMAGE_POST_BACK_B->GetWidth() : 0;
    int height = IMAGE_POST_BACK_B != nullptr ? IMAGE_POST_BACK_B->GetHeight() : 0;
    backButton->SetBounds(layout.panelX + layout.backX, layout.panelY + layout.backY, width, height);
    backButton->SetShown(shown);
    newManager->AddChild(backButton.get());
}

void MiniGame::OnDetachedFromManager(WidgetManager* oldManager)
{
    if (backButton != nullptr && backButton->parent != nullptr)
        backButton->parent->RemoveChild(backButton.get());
    Widget::OnDetachedFromManager(oldManager);
}

void MiniGame::SetShown(bool show)
{
    Widget::SetShown(show);
    // Hidden, the button cannot take the publication's clicks.
    if (backButton != nullptr)
        backButton->SetShown(show);
}

void MiniGame::OnButtonReleased(int id)
{
    if (id != backButtonId || finished)
        return;
    if (host != nullptr && host->Blur() == 0)
        host->RequestPageAction();
}

// --- The update -----------------------------------------------------------------------------

void MiniGame::Tick()
{
    Widget::Tick();
    TickFrame(1.0f);
}

void MiniGame::TickFrame(float step)
{
    if (!shown)
        return;
    Invalidate();
    StepBackGlow(step);
    if (app.config.common.debug_mode && !finished && KeyHeld(kDebugKeyF5))
        CompleteByDebugKey();
    if (finished)
        return;
    if (TickPause())
        return;
    if (!IsPlayTime())
        return;
    if (!OwnsCursor())
        app.SetCursor(backButton != nullptr && backButton->isHovered ? kCursorHand : kCursorNormal);
    TickRules(step);
    if (!finished)
        SignalOpen();
}

void MiniGame::StepBackGlow(float step)
{
    double speed = app.config.pages.BBGLOWdT;
    if (backGlow > 0 && backGlow < 1)
        backGlow = speed > 0 ? std::min(backGlow + step * speed, 1.0) : 1.0;
    else if (backGlow == 0 && ListSlide() == 0)
        backGlow = 0.001;
}

bool MiniGame::TickPause()
{
    uint32_t now = Now();
    if ((host != nullptr && host->IsPauseOpen()) || app.IsMuted())
    {
        if (pauseStartTime == 0)
            pauseStartTime = now;
        return true;
    }
    if (pauseStartTime != 0)
    {
        startTime += now - pauseStartTime;
        pauseStartTime = 0;
    }
    return false;
}

void MiniGame::SignalOpen()
{
    if (openSignalled || (host != nullptr && host->OpenGate() != 0) || !ReadyToOpen())
        return;
    app.PlayScene("open");
    if (host != nullptr)
    {
        host->SetListSlideDirection(-1);
        // Every game turns its page in: a blur left at 1 would keep the back button dead.
        host->SetBlurDirection(-1);
    }
    openSignalled = true;
}

void MiniGame::PieceCompleted()
{
    app.ResumeFromPlaytime();
}

// --- Ending ---------------------------------------------------------------------------------

void MiniGame::RunDoneSequence()
{
    if (finished)
        return;
    finished = true;
    heldPiece = -1;
    app.PlayScene("done");
    app.CompletePage(page, host);
}

void MiniGame::LoseTry()
{
    if (finished)
        return;
    tries = std::max(tries - 1, 0);
    if (tries > 0)
        app.PlaySample(SOUND_MG_LIFE);
    else
        Fail();
}

void MiniGame::Fail()
{
    if (finished)
        return;
    // A failed game stops at once: no late find or animation may still complete the page.
    finished = true;
    heldPiece = -1;
    tries = 0;
    app.PlaySample(SOUND_MG_FAIL);
    app.PlayScene("fail");
    if (host != nullptr)
    {
        host->SetPageComplete();
        host->RequestPageAction();
    }
}

// --- Painting -------------------------------------------------------------------------------

void MiniGame::Paint(Graphics& graphics)
{
    PaintSurroundings(graphics);
    PaintPlayArea(graphics);
    PaintPanelAndNotes(graphics);
    PaintOnNotes(graphics);
    PaintBackButtonAndTries(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MiniGame::PaintSurroundings(Graphics& graphics)
{
    if (host == nullptr)
        return;
    host->DrawDeskBackground(graphics);
    host->PaintContentsNote(graphics);
}

void MiniGame::PaintPageShadows(Graphics& graphics)
{
    const auto& pages = app.config.pages;
    graphics.DrawImage(IMAGE_SHAD_L, pages.ShadLX, pages.ShadLY);
    graphics.DrawImage(IMAGE_SHAD_R, pages.ShadRX, pages.ShadRY);
}

void MiniGame::PaintOnOpenPage(Graphics& graphics)
{
    if (host != nullptr)
        host->DrawDeskBackground(graphics);
    PaintPageShadows(graphics);
    if (host != nullptr)
        host->PaintContentsNote(graphics);
    PaintPlayArea(graphics);
    graphics.DrawImage(IMAGE_PAGES, BoardX(), BoardY());
    if (host != nullptr)
        host->DrawOverlays(graphics);
}

void MiniGame::WriteObjective()
{
    const std::string& text = Objective();
    if (panelLayer == nullptr)
    {
        panelLayer = std::make_unique<MemoryImage>();
        if (IMAGE_POST_BACK != nullptr)
            panelLayer->Create(IMAGE_POST_BACK->GetWidth(), IMAGE_POST_BACK->GetHeight());
        panelText.clear();
    }
    if (panelLayer->GetWidth() == 0 || text == panelText)
        return;
    panelText = text;
    Graphics graphics(panelLayer.get());
    graphics.ClearRect(0, 0, panelLayer->GetWidth(), panelLayer->GetHeight());
    if (FONT_POST_IT_21 == nullptr)
        return;
    const auto& common = app.config.common;
    graphics.SetFont(FONT_POST_IT_21);
    graphics.SetColor(Color(common.ListTr, common.ListTg, common.ListTb));
    graphics.WriteWordWrapped(Rect(layout.textX, layout.textY, layout.textWidth, panelLayer->GetHeight()), text);
}

double MiniGame::NoteDrop(int note) const
{
    double factor = std::clamp(SlideStage(ListSlide()) - note, 0.0, 1.0);
    return factor * (600 - app.config.common.ListY);
}

void MiniGame::PaintPanelAndNotes(Graphics& graphics)
{
    WriteObjective();
    const double slide = ListSlide();
    const double g = SlideStage(slide);
    const int elements = PanelStage() + 1;
    int element = SlideElement(g, slide, elements);
    if (element > slideElement)
        app.PlaySample(SOUND_POST_IT_IN);
    else if (element < slideElement)
        app.PlaySample(SOUND_POST_IT_OUT);
    slideElement = element;

    const double growth = app.config.pages.CSS - 100;
    const int listY = app.config.common.ListY;
    struct Place
    {
        double x, y, width, height, scale;
    };
    auto placeOf = [&](Image* image, int restX, int restY, double factor)
    {
        int width = image->GetWidth();
        int height = image->GetHeight();
        double scale = (growth * factor + 100) / 100;
        double x = restX - int(growth * width * factor / 200);
        double y = restY + factor * (600 - listY);
        return Place{x, y, width * scale, height * scale, scale};
    };
    auto drawScaled = [&](Image* image, const Place& place)
    {
        if (place.scale == 1)
            graphics.DrawImage(image, int(place.x), int(place.y));
        else
            graphics.DrawImage(image, Rect(int(place.x), int(place.y), int(place.width), int(place.height)),
                               image->GetRect());
    };

    Image* notes[8] = {IMAGE_POST_1, IMAGE_POST_2, IMAGE_POST_3, IMAGE_POST_4,
                       IMAGE_POST_5, IMAGE_POST_6, IMAGE_POST_7, IMAGE_POST_8};
    const int noteCount = std::clamp(NoteCount(), 0, 8);
    for (int note = 0; note < noteCount; ++note)
        if (notes[note] != nullptr)
            drawScaled(notes[note],
                       placeOf(notes[note], layout.noteX[size_t(note)], listY, std::clamp(g - note, 0.0, 1.0)));
    if (IMAGE_POST_BACK == nullptr)
        return;
    Place panel = placeOf(IMAGE_POST_BACK, layout.panelX, layout.panelY, std::clamp(g - PanelStage(), 0.0, 1.0));
    drawScaled(IMAGE_POST_BACK, panel);
    if (panelLayer != nullptr && panelLayer->GetWidth() > 0)
    {
        Transform transform;
        if (panel.scale != 1)
            transform.Scale(float(panel.scale), float(panel.scale));
        transform.RotateDeg(-1);
        transform.Translate(float(panel.x + panel.width / 2), float(panel.y + panel.height / 2));
        graphics.DrawImageTransformF(panelLayer.get(), transform, 0, 0);
    }
}

void MiniGame::PaintBackButtonAndTries(Graphics& graphics)
{
    graphics.PushState();
    if (backButton != nullptr)
        backButton->PaintInPlace(graphics);
    if (backGlow > 0 && backGlow < 1)
    {
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, ClampAlpha(std::sin(std::numbers::pi * backGlow) * 255)));
        graphics.DrawImage(IMAGE_POST_BACK_BG, layout.panelX + layout.glowX, layout.panelY + layout.glowY);
    }
    graphics.PopState();
    if (backGlow == 0 || IMAGE_TRY == nullptr)
        return;
    int cel = backGlow < 1 ? 1 + int(5 * backGlow) : tries;
    int cels = std::max(IMAGE_TRY->columns, 1) * std::max(IMAGE_TRY->rows, 1);
    cel = std::clamp(cel, 0, std::max(cels - 1, 0));
    graphics.DrawImageCel(IMAGE_TRY, layout.panelX + layout.triesX, layout.panelY + layout.triesY, cel);
}

// --- The publication's state and small helpers ---------------------------------------------

double MiniGame::ListSlide() const
{
    return host != nullptr ? host->ListSlide() : 0.0;
}

double MiniGame::Blur() const
{
    return host != nullptr ? host->Blur() : 0.0;
}

bool MiniGame::BlurRunning() const
{
    double blur = Blur();
    return blur > 0 && blur <= 1;
}

bool MiniGame::IsPlayTime() const
{
    std::string state = app.SceneState();
    return state.empty() || state == "Playtime";
}

uint32_t MiniGame::Now() const
{
    return Platform::Clock::GetTickCount();
}

bool MiniGame::KeyHeld(int keyCode) const
{
    return manager != nullptr && keyCode >= 0 && keyCode < int(manager->keyDown.size()) &&
           manager->keyDown[size_t(keyCode)];
}

int MiniGame::BoardX() const
{
    return app.config.common.BoardX;
}

int MiniGame::BoardY() const
{
    return app.config.common.BoardY;
}

bool MiniGame::Hits(Image* image, int x, int y, int px, int py, bool opaque)
{
    if (image == nullptr)
        return false;
    int localX = px - x;
    int localY = py - y;
    if (localX <= 0 || localY <= 0 || localX >= image->GetWidth() || localY >= image->GetHeight())
        return false;
    if (!opaque)
        return true;
    auto* memory = dynamic_cast<MemoryImage*>(image);
    return memory != nullptr && memory->AlphaAt(localX, localY) > kOpaqueAlpha;
}

void MiniGame::TravelHome(int& x, int& y, int homeX, int homeY, float step) const
{
    if (x == homeX && y == homeY)
        return;
    double speed = app.config.common.RetSpeed;
    double dx = homeX - x;
    double dy = homeY - y;
    double distance = std::sqrt(dx * dx + dy * dy);
    if (distance < speed || speed <= 0)
    {
        x = homeX;
        y = homeY;
        return;
    }
    auto move = [&](double share)
    {
        double amount = step * speed * share;
        int whole = int(amount);
        if (whole == 0 && share != 0)
            whole = share > 0 ? 1 : -1;
        return whole;
    };
    x += move(dx / distance);
    y += move(dy / distance);
}

bool MiniGame::ReleaseIsClick() const
{
    return dragMoves < app.config.common.ClickTreshold;
}

} // namespace Vesk
