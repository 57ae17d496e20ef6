#include "minigames/MG9.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardBlur.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "minigames/PictureResize.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace Vesk
{
namespace
{

constexpr double kCaptureStart = 0.01;
// Scene pictures are drawn at this fraction of their size.
constexpr int kSceneShrink = 3;
// A captured object leaves the scene until its flight starts.
constexpr int kAwayY = 800;
// The page turn's smear stands for this many copies of a picture.
constexpr int kBlurCopies = 8;

char LowerCase(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

int ClampAlpha(double alpha)
{
    return std::clamp(int(alpha), 0, 255);
}

void DrawWithAlpha(Graphics& graphics, Image* image, int x, int y, double weight)
{
    const int alpha = ClampAlpha(weight * 255);
    if (image == nullptr || alpha == 0)
        return;
    graphics.SetColor(Color(255, 255, 255, alpha));
    graphics.DrawImage(image, x, y);
}

std::string WithoutExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

MG9::MG9(GameApp& app) : MiniGame(app, "MG9", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame9);
}

MG9::~MG9() = default;

// --- The picture set ------------------------------------------------------------------------

void MG9::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry);
    if (background == nullptr)
        app.Log("MG9: " + dir + "picture.cfg names no background");
    DropIncompleteObjects();
    std::sort(extras.begin(), extras.end(), [](const Extra& a, const Extra& b) { return a.number < b.number; });
    if (objects.empty())
        app.Log("MG9: " + dir + " has no objects to capture");
    MakeResizedPictures();
}

void MG9::ClearSet()
{
    background.reset();
    backgroundEnlarger.reset();
    viewBackground.reset();
    backgroundX = 0;
    backgroundY = 0;
    objects.clear();
    extras.clear();
    reloadObject = -1;
    reloadTime = 0;
    hintTarget = -1;
    view.reset();
    backgroundSmear.reset();
    pieces.reset();
    piecesSmear.reset();
    blurMade = false;
}

void MG9::AddPicture(const std::string& dir, const PictureListEntry& entry)
{
    const std::string& name = entry.fileName;
    const char kindLetter = name.empty() ? '\0' : LowerCase(name[0]);
    if (kindLetter == 'b' && name.size() > 1 && name[1] == '_')
    {
        if (background != nullptr)
        {
            app.Log("MG9: a second background '" + name + "' left out");
            return;
        }
        background = LoadGamePicture(dir + name);
        backgroundX = entry.x;
        backgroundY = entry.y;
        return;
    }
    if (kindLetter == 's' && name.size() > 2 && name[1] == '_')
    {
        AddExtra(dir, entry, name);
        return;
    }
    if ((kindLetter != 'o' && kindLetter != 'p' && kindLetter != 'g') || name.size() < 3 || name[1] != '_')
    {
        app.Log("MG9: " + dir + "picture.cfg names no picture of the game: '" + name + "' left out");
        return;
    }

    const std::string key = WithoutExtension(name.substr(2));
    Object* found = EntryForKey(objects, key, kMaxObjects, "objects", name);
    if (found == nullptr)
        return;
    std::unique_ptr<DDImage>& slot = kindLetter == 'o'   ? found->image
                                     : kindLetter == 'p' ? found->slotImage
                                                         : found->takenImage;
    if (slot != nullptr)
    {
        app.Log("MG9: a second picture '" + name + "' left out");
        return;
    }
    slot = LoadGamePicture(dir + name);
    if (kindLetter == 'o')
    {
        found->homeX = entry.x;
        found->homeY = entry.y;
        if (found->image != nullptr)
        {
            found->width = found->image->GetWidth();
            found->height = found->image->GetHeight();
        }
    }
    else if (kindLetter == 'p')
    {
        found->fileSlotX = entry.x;
        found->fileSlotY = entry.y;
    }
}

// "s_d": the extra picture number d, a single digit from 1.
void MG9::AddExtra(const std::string& dir, const PictureListEntry& entry, const std::string& name)
{
    const std::string number = WithoutExtension(name.substr(2));
    if (number.size() != 1 || number[0] < '1' || number[0] > '9')
    {
        app.Log("MG9: extra picture '" + name + "' is not numbered 1 to 9: left out");
        return;
    }
    const int d = number[0] - '0';
    if (std::any_of(extras.begin(), extras.end(), [&](const Extra& extra) { return extra.number == d; }))
    {
        app.Log("MG9: a second extra picture '" + name + "' left out");
        return;
    }
    Extra extra;
    extra.number = d;
    extra.image = LoadGamePicture(dir + name);
    extra.x = entry.x;
    extra.y = entry.y;
    if (extra.image != nullptr)
        extras.push_back(std::move(extra));
}

// An object without its scene picture cannot be captured, one without its portrait cannot be
// asked for, and one smaller than a pixel in the scene cannot be seen: none may hold the page up.
void MG9::DropIncompleteObjects()
{
    std::erase_if(objects,
                  [&](const Object& object)
                  {
                      const bool tiny = object.width < kSceneShrink || object.height < kSceneShrink;
                      if (object.image != nullptr && object.slotImage != nullptr && !tiny)
                      {
                          if (object.takenImage == nullptr)
                              app.Log("MG9: object '" + object.key + "' has no picture for once it is caught");
                          return false;
                      }
                      app.Log("MG9: object '" + object.key + "' has no " +
                              (object.image == nullptr || tiny ? "usable scene picture" : "portrait") + ": left out");
                      return true;
                  });
}

// The scene's copies at a third of the size, and, when the glass does not enlarge by exactly
// three, the glass's copies at its scale. The background is enlarged for the glass's window as
// the glass moves.
void MG9::MakeResizedPictures()
{
    const double scale = Scale();
    const bool asDrawn = std::fabs(scale - kSceneShrink) < 1e-9;
    auto glassSize = [&](int side) { return int(scale * side / kSceneShrink); };
    if (background != nullptr)
        backgroundEnlarger = std::make_unique<PictureResize::PartEnlarger>(background.get());
    for (Extra& extra : extras)
    {
        const int width = extra.image->GetWidth();
        const int height = extra.image->GetHeight();
        extra.small = PictureResize::Resize(extra.image.get(), width / kSceneShrink, height / kSceneShrink);
        if (!asDrawn)
            extra.enlarged = PictureResize::Resize(extra.image.get(), glassSize(width), glassSize(height));
    }
    for (Object& object : objects)
    {
        object.small =
            PictureResize::Resize(object.image.get(), object.width / kSceneShrink, object.height / kSceneShrink);
        // The caught picture covers the object's place in the glass, whatever size it was drawn.
        const int width = glassSize(object.width);
        const int height = glassSize(object.height);
        if (!asDrawn)
            object.enlarged = PictureResize::Resize(object.image.get(), width, height);
        Image* taken = object.takenImage.get();
        if (taken != nullptr && (!asDrawn || taken->GetWidth() != width || taken->GetHeight() != height))
            object.takenEnlarged = PictureResize::Resize(taken, width, height);
    }
}

void MG9::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    for (Object& object : objects)
    {
        object.x = object.startX = object.homeX;
        object.y = object.startY = object.homeY;
        object.slotX = object.fileSlotX;
        object.slotY = object.fileSlotY;
        object.found = 0;
    }
    const int present = int(objects.size());
    requiredFinds = requiredCount > 0 ? std::min(requiredCount, present) : present;
    if (present > 0 && requiredCount > present)
        app.Log("MG9: the page asks for " + std::to_string(requiredCount) + " objects, the set has " +
                std::to_string(present));
    const auto& config = app.config.miniGame9;
    glassX = config.LX;
    glassY = config.LY;
    dragging = false;
    buttonDown = false;
    lights = {};
    lightsStarted = false;
    reloadObject = -1;
    reloadTime = 0;
    reloadTargetY = 0;
    hintTarget = -1;
    blurMade = false;
    RestartIdleClock();
    // The page turns in as soon as the game opens: its smeared layers are made now, while the
    // page loads, rather than on the turn's first frame (tens of milliseconds).
    if (background != nullptr)
        PrepareBlur();
}

void MG9::FreePictures()
{
    ClearSet();
}

Image* MG9::Background() const
{
    return background.get();
}

void MG9::BuildSnapshot()
{
    snapshot = std::make_unique<MemoryImage>();
    snapshot->Create(800, 600);
    Graphics graphics(snapshot.get());
    PaintScene(graphics, BoardX(), BoardY(), true, false);
    PaintLights(graphics);
    PaintScene(graphics, BoardX(), BoardY(), false, true);
}

// --- Rules ----------------------------------------------------------------------------------

double MG9::Scale() const
{
    const double configured = app.config.miniGame9.SCL;
    if (!(configured > 0))
        return 1;
    return std::min(configured, kMaxScale);
}

int MG9::FoundCount() const
{
    return int(std::count_if(objects.begin(), objects.end(), [](const Object& object) { return object.found >= 1; }));
}

bool MG9::Paused() const
{
    return (host != nullptr && host->IsPauseOpen()) || app.IsMuted();
}

void MG9::Tick()
{
    // A paused player is not idle: the hint waits for play to go on.
    if (shown && !finished && Paused())
        RestartIdleClock();
    MiniGame::Tick();
}

void MG9::TickRules(float step)
{
    if (openSignalled && !lightsStarted)
    {
        StartLights();
        app.PlaySample(SOUND_MG9_LIGHT);
    }
    TickReload(step);
    TickCaptures(step);
    TickLights();
    CaptureRemaining();
    if (requiredFinds > 0 && FoundCount() >= requiredFinds)
    {
        RunDoneSequence();
        return;
    }
    TickHint();
}

void MG9::TickReload(float step)
{
    if (reloadObject < 0)
        return;
    reloadTime = std::max(reloadTime - step, 0.0);
    const auto& config = app.config.miniGame9;
    if (reloadTime <= 0 || config.RELOADT <= 0)
    {
        FinishReload();
        return;
    }
    objects[size_t(reloadObject)].slotY = reloadTargetY - int(config.RELOADY * reloadTime / config.RELOADT);
}

void MG9::FinishReload()
{
    if (reloadObject >= 0 && reloadObject < int(objects.size()))
        objects[size_t(reloadObject)].slotY = reloadTargetY;
    reloadObject = -1;
    reloadTime = 0;
}

// A captured object flies from its place in the scene to its place in the box in the first half
// of its animation and rests there while its portrait fades in the second.
void MG9::TickCaptures(float step)
{
    const auto& config = app.config.miniGame9;
    const double speed = layout.completionSpeed;
    for (Object& object : objects)
    {
        if (object.found <= 0 || object.found >= 1)
            continue;
        const int restX = object.slotX + config.SANIMDX;
        const int restY = object.slotY + config.SANIMDY;
        if (object.found <= 0.5)
        {
            const double m = 2 * object.found;
            object.x = int(std::trunc(m * restX + (1 - m) * object.startX));
            object.y = int(std::trunc(m * restY + (1 - m) * object.startY));
        }
        else
        {
            object.x = restX;
            object.y = restY;
        }
        object.found += step * speed;
        if (object.found >= 1 || speed <= 0)
        {
            object.found = 1;
            object.x = restX;
            object.y = restY;
            StartReload(object);
            PieceCompleted();
        }
    }
}

// A waiting object, chosen at random, drops into the place the caught one leaves. A drop still
// running lands first: there is one drop at a time.
void MG9::StartReload(const Object& freed)
{
    std::vector<int> waiting;
    for (int index = 0; index < int(objects.size()); ++index)
        if (!objects[size_t(index)].Wanted() && objects[size_t(index)].found == 0)
            waiting.push_back(index);
    if (waiting.empty())
        return;
    FinishReload();
    const int chosen = waiting[size_t(app.Random().NextIndex(int(waiting.size())))];
    Object& object = objects[size_t(chosen)];
    const auto& config = app.config.miniGame9;
    object.slotX = freed.slotX;
    reloadTargetY = freed.slotY;
    reloadObject = chosen;
    reloadTime = config.RELOADT;
    object.slotY = reloadTargetY - config.RELOADY;
    if (config.RELOADT <= 0)
        FinishReload();
}

void MG9::StartLights()
{
    lightsStarted = true;
    const auto& config = app.config.miniGame9;
    const bool flicker = config.LIT > config.LIt && config.LIQ > 0;
    for (Light& light : lights)
    {
        // Without a flicker range the lamps simply come on.
        light.countdown = flicker ? std::max(config.LIt + app.Random().NextIndex(config.LIT - config.LIt), 0) : 0;
        light.on = !flicker || light.countdown == 0;
    }
}

void MG9::TickLights()
{
    const auto& config = app.config.miniGame9;
    for (Light& light : lights)
    {
        if (light.countdown <= 0)
            continue;
        --light.countdown;
        if (config.LIQ > 0 && light.countdown % config.LIQ == 0 && app.Random().NextIndex(100) < config.LISP)
            light.on = !light.on;
        if (light.countdown == 0)
            light.on = true;
    }
}

// With two captures or fewer left, the rest are caught at once.
void MG9::CaptureRemaining()
{
    const int caught = FoundCount();
    if (objects.empty() || reloadObject >= 0 || caught == 0 || caught < requiredFinds - 2)
        return;
    for (Object& object : objects)
        if (object.found == 0)
            Capture(object);
}

void MG9::Capture(Object& object)
{
    object.found = kCaptureStart;
    object.y = kAwayY;
    if (hintTarget >= 0 && &objects[size_t(hintTarget)] == &object)
        hintTarget = -1;
}

// Every wanted object whose scene picture is opaque under the glass's centre.
void MG9::CaptureUnderGlass()
{
    const double scale = Scale();
    const double centreX = glassX - BoardX();
    const double centreY = glassY - BoardY();
    bool captured = false;
    for (Object& object : objects)
    {
        if (object.found != 0 || !object.Wanted())
            continue;
        if (!(object.x < centreX && centreX < object.x + object.width / scale && object.y < centreY &&
              centreY < object.y + object.height / scale))
            continue;
        auto* picture = dynamic_cast<MemoryImage*>(object.image.get());
        const int px = int((centreX - object.x) * scale);
        const int py = int((centreY - object.y) * scale);
        if (picture == nullptr || px < 0 || py < 0 || px >= object.width || py >= object.height ||
            picture->AlphaAt(px, py) <= kOpaqueAlpha)
            continue;
        Capture(object);
        captured = true;
    }
    if (captured)
        return;
    // Nothing there: the page's fail scene says so; the last try ends the page.
    if (tries > 1)
        app.PlayScene("fail");
    LoseTry();
}

// The jiggle hint on a wanted object, in three windows of idleness (the last one open-ended),
// with the hint sound at the start of each.
void MG9::TickHint()
{
    const auto& config = app.config.miniGame9;
    const uint32_t now = Now();
    const int64_t idle = int64_t(uint32_t(now - lastActivityTime));
    const bool jiggling =
        idle > config.n1_ && (idle < int64_t(config.n1_) + config.m1_ ||
                              (idle > config.n2_ && idle < int64_t(config.n2_) + config.m2_) || idle > config.n3_);
    if (hintTarget >= 0 && (!jiggling || objects[size_t(hintTarget)].found != 0))
        PutHome(objects[size_t(hintTarget)]);
    if (!jiggling)
    {
        hintSoundArmed = true;
        return;
    }
    if (hintTarget < 0 || objects[size_t(hintTarget)].found != 0 || !objects[size_t(hintTarget)].Wanted())
    {
        std::vector<int> candidates;
        for (int index = 0; index < int(objects.size()); ++index)
            if (objects[size_t(index)].found == 0 && objects[size_t(index)].Wanted())
                candidates.push_back(index);
        // No candidate, no hint.
        hintTarget = candidates.empty() ? -1 : candidates[size_t(app.Random().NextIndex(int(candidates.size())))];
        if (hintTarget < 0)
            return;
    }
    Object& object = objects[size_t(hintTarget)];
    object.x = int(std::trunc(std::sin(double(now) * config.hT) * config.hX + object.homeX));
    object.y = int(std::trunc(std::cos(double(now) * config.hT) * config.hY + object.homeY));
    if (hintSoundArmed)
    {
        hintSoundArmed = false;
        app.PlaySample(SOUND_HINT);
    }
}

void MG9::PutHome(Object& object)
{
    if (object.found != 0)
        return;
    object.x = object.homeX;
    object.y = object.homeY;
}

void MG9::RestartIdleClock()
{
    lastActivityTime = Now();
    hintSoundArmed = true;
}

void MG9::CompleteByDebugKey()
{
    RunDoneSequence();
}

const std::string& MG9::Objective() const
{
    return app.texts.objectives.MG9;
}

// --- Pointer --------------------------------------------------------------------------------

bool MG9::AcceptsInput() const
{
    return shown && !finished && !Paused() && IsPlayTime() && !BlurRunning();
}

int MG9::ButtonX() const
{
    const int glassWidth = IMAGE_GLASS != nullptr ? IMAGE_GLASS->GetWidth() : 0;
    return glassX + app.config.miniGame9.BX - glassWidth / 2;
}

int MG9::ButtonY() const
{
    const int glassHeight = IMAGE_GLASS != nullptr ? IMAGE_GLASS->GetHeight() : 0;
    return glassY + app.config.miniGame9.BY - glassHeight / 2;
}

bool MG9::OnButton(int x, int y) const
{
    return Hits(IMAGE_GLASS_BTN, ButtonX(), ButtonY(), x, y);
}

void MG9::OnPress(int x, int y, int clickCode)
{
    MiniGame::OnPress(x, y, clickCode);
    if (!AcceptsInput() || clickCode < 0)
        return;
    RestartIdleClock();
    grabX = glassX - x;
    grabY = glassY - y;
    const double reach = (IMAGE_GLASS != nullptr ? IMAGE_GLASS->GetWidth() : kViewSize) / 2.0;
    dragging = std::hypot(double(glassX - x), double(glassY - y)) < reach;
    buttonDown = OnButton(x, y);
}

void MG9::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    if (!dragging || !AcceptsInput())
        return;
    const auto& config = app.config.miniGame9;
    glassX = std::clamp(x + grabX, config.Lx, std::max(config.LX, config.Lx));
    glassY = std::clamp(y + grabY, config.Ly, std::max(config.LY, config.Ly));
}

void MG9::OnRelease(int x, int y, int clickCode)
{
    MiniGame::OnRelease(x, y, clickCode);
    dragging = false;
    // The button springs back wherever the pointer is let go.
    buttonDown = false;
    if (!AcceptsInput() || clickCode < 0 || !OnButton(x, y))
        return;
    app.PlaySample(SOUND_MG9_BUTTON);
    CaptureUnderGlass();
}

void MG9::SetShown(bool show)
{
    // The camera flies out over the page as it was left.
    if (shown && !show && background != nullptr)
        BuildSnapshot();
    if (!show)
    {
        dragging = false;
        buttonDown = false;
    }
    MiniGame::SetShown(show);
}

// --- Painting -------------------------------------------------------------------------------

void MG9::Paint(Graphics& graphics)
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
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    // The glass comes with the page: it shows nothing while the page turns.
    if (!BlurRunning())
        PaintGlass(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MG9::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
    {
        PaintBlurred(graphics, Blur());
        return;
    }
    PaintScene(graphics, BoardX(), BoardY(), true, false);
    PaintLights(graphics);
    PaintScene(graphics, BoardX(), BoardY(), false, true);
}

void MG9::PaintLights(Graphics& graphics) const
{
    if (IMAGE_MG9_LIGHT == nullptr)
        return;
    const auto& config = app.config.miniGame9;
    for (int k = 0; k < kLights; ++k)
        if (lights[size_t(k)].on)
            graphics.DrawImage(IMAGE_MG9_LIGHT, config.LIX,
                               config.LIY + k * (config.LIDY + IMAGE_MG9_LIGHT->GetHeight()));
}

// The background, or the box's portraits, the extra pictures and the objects, with the board's
// corner at (offsetX, offsetY).
void MG9::PaintScene(Graphics& graphics, int offsetX, int offsetY, bool withBackground, bool withPieces) const
{
    if (withBackground)
        graphics.DrawImage(background.get(), offsetX + backgroundX, offsetY + backgroundY);
    if (!withPieces)
        return;
    graphics.PushState();
    for (const Object& object : objects)
    {
        if (!object.Wanted() || object.slotImage == nullptr)
            continue;
        // The portrait fades while the caught object settles on it.
        const double fade = object.found > 0.5 ? 1 - (object.found - 0.5) * 2 : 1;
        graphics.SetColorizeImages(fade < 1);
        graphics.SetColor(Color(255, 255, 255, ClampAlpha(fade * 255)));
        if (fade > 0)
            graphics.DrawImage(object.slotImage.get(), offsetX + object.slotX, offsetY + object.slotY);
    }
    graphics.SetColorizeImages(false);
    for (const Extra& extra : extras)
        graphics.DrawImage(extra.small.get(), offsetX + extra.x, offsetY + extra.y);
    // Without MiniGame9/draw_objects only the glass shows the objects.
    if (!app.config.miniGame9.draw_objects)
    {
        graphics.PopState();
        return;
    }
    graphics.SetFastStretch(false);
    for (const Object& object : objects)
    {
        if (object.small == nullptr)
            continue;
        if (object.found <= 0.5)
        {
            graphics.SetColorizeImages(false);
            graphics.DrawImage(object.small.get(), offsetX + object.x, offsetY + object.y);
            continue;
        }
        // Settled on its place, it shrinks towards its centre and fades.
        const double f = 1 - (object.found - 0.5) * 2;
        const int width = int(f * object.width / kSceneShrink);
        const int height = int(f * object.height / kSceneShrink);
        if (width <= 0 || height <= 0)
            continue;
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, ClampAlpha(f * 255)));
        graphics.DrawImage(object.small.get(),
                           Rect(offsetX + object.x + int((1 - f) * object.width / (2 * kSceneShrink)),
                                offsetY + object.y + int((1 - f) * object.height / (2 * kSceneShrink)), width, height),
                           object.small->GetRect());
    }
    graphics.PopState();
}

// The page turning in or out: the background stays sharp under its smear, and the box, the
// extras and the objects come out of a smear of themselves, as on the insects page.
void MG9::PaintBlurred(Graphics& graphics, double blur)
{
    const double s = std::sin(std::numbers::pi * (1 - blur));
    const double e = (1 - blur) * (1 - blur) * (1 - blur);
    PrepareBlur();
    const double backgroundCopy = std::clamp(e * app.config.pages.BlurTransparency / 255, 0.0, 1.0);
    const double backgroundWeight = (1 - std::pow(1 - backgroundCopy, kBlurCopies)) * s;
    const double pieceCopy = int(e * 255) / 255.0;
    const double pieceWeight = 1 - std::pow(1 - pieceCopy, kBlurCopies);

    graphics.PushState();
    PaintScene(graphics, BoardX(), BoardY(), true, false);
    PaintLights(graphics);
    graphics.SetColorizeImages(true);
    DrawWithAlpha(graphics, backgroundSmear.get(), BoardX() + backgroundX, BoardY() + backgroundY, backgroundWeight);
    DrawWithAlpha(graphics, pieces.get(), BoardX(), BoardY(), pieceWeight * (1 - s));
    DrawWithAlpha(graphics, piecesSmear.get(), BoardX(), BoardY(), pieceWeight * s);
    graphics.PopState();
}

// What the pieces' layer shows: which objects are caught and where the portraits lie.
uint64_t MG9::PiecesState() const
{
    uint64_t state = 1469598103934665603ull;
    auto mix = [&](int64_t value)
    {
        state ^= uint64_t(value);
        state *= 1099511628211ull;
    };
    for (const Object& object : objects)
    {
        mix(object.found >= 1 ? 2 : object.found > 0 ? 1 : 0);
        mix(object.slotX);
        mix(object.slotY);
    }
    return state;
}

// The smeared pictures of the page turn: the background's once per set, the pieces' again when
// captures have changed them (the turn out shows the page as it was left).
void MG9::PrepareBlur()
{
    const double amplitude = app.config.pages.BlurAmplitude;
    const uint64_t state = PiecesState();
    if (blurMade && blurState == state && backgroundSmear != nullptr)
        return;
    if (backgroundSmear == nullptr)
    {
        auto* picture = dynamic_cast<MemoryImage*>(background.get());
        backgroundSmear = picture != nullptr ? BoardBlur::Smear(*picture, amplitude, true) : nullptr;
    }
    blurMade = true;
    blurState = state;
    pieces = std::make_unique<MemoryImage>();
    pieces->Create(800, 600);
    {
        Graphics layer(pieces.get());
        PaintScene(layer, 0, 0, false, true);
    }
    piecesSmear = BoardBlur::Smear(*pieces, amplitude, false);
}

// The glass: its window shows the scene enlarged about the point under its centre, then its
// frame over it and, while held, its button pressed.
void MG9::PaintGlass(Graphics& graphics)
{
    ComposeView(glassX - BoardX(), glassY - BoardY());
    graphics.PushState();
    graphics.SetFastStretch(false);
    if (view != nullptr)
    {
        const Rect window(glassX - kViewSize / 2, glassY - kViewSize / 2, kViewSize, kViewSize);
        if (view->GetWidth() == kViewSize && view->GetHeight() == kViewSize)
            graphics.DrawImage(view.get(), window.x, window.y);
        else
            graphics.DrawImage(view.get(), window, view->GetRect());
    }
    if (IMAGE_GLASS != nullptr)
        graphics.DrawImage(IMAGE_GLASS, glassX - IMAGE_GLASS->GetWidth() / 2, glassY - IMAGE_GLASS->GetHeight() / 2);
    if (buttonDown)
        graphics.DrawImage(IMAGE_GLASS_BTN, ButtonX(), ButtonY());
    graphics.PopState();
}

// The glass's window: the part of the enlarged scene about (boardX, boardY) x SCL, as wide as
// the window shows at its scale (a third of 270 at SCL 3: the window's own 90 pixels). Only the
// pictures that reach it are drawn: the background, the extras, every object where it was laid,
// and over a caught one the scene behind it.
void MG9::ComposeView(int boardX, int boardY)
{
    const double scale = Scale();
    const int side = std::clamp(int(270 / scale), 1, PictureResize::kMaxSide);
    if (view == nullptr || view->GetWidth() != side)
    {
        view = std::make_unique<MemoryImage>();
        view->Create(side, side);
    }
    Graphics graphics(view.get());
    const int originX = int(boardX * scale - 135 / scale);
    const int originY = int(boardY * scale - 135 / scale);
    // The background's part under the window, enlarged again only when the glass has moved.
    const int left = originX - int(backgroundX * scale);
    const int top = originY - int(backgroundY * scale);
    if (viewBackground == nullptr || viewBackground->GetWidth() != side)
    {
        viewBackground = std::make_unique<MemoryImage>();
        viewBackground->Create(side, side);
        viewBackgroundMade = false;
    }
    if (!viewBackgroundMade || left != viewBackgroundLeft || top != viewBackgroundTop)
    {
        if (backgroundEnlarger != nullptr)
            backgroundEnlarger->Draw(scale, left, top, *viewBackground);
        viewBackgroundMade = true;
        viewBackgroundLeft = left;
        viewBackgroundTop = top;
    }
    graphics.ClearRect(0, 0, side, side);
    graphics.DrawImage(viewBackground.get(), 0, 0);
    auto place = [&](Image* image, int x, int y)
    {
        if (image == nullptr)
            return;
        const int drawX = int(x * scale) - originX;
        const int drawY = int(y * scale) - originY;
        if (drawX >= side || drawY >= side || drawX + image->GetWidth() <= 0 || drawY + image->GetHeight() <= 0)
            return;
        graphics.DrawImage(image, drawX, drawY);
    };
    for (const Extra& extra : extras)
        place(extra.enlarged != nullptr ? extra.enlarged.get() : extra.image.get(), extra.x, extra.y);
    for (const Object& object : objects)
    {
        place(object.enlarged != nullptr ? object.enlarged.get() : object.image.get(), object.homeX, object.homeY);
        if (object.found > 0)
            place(object.takenEnlarged != nullptr ? object.takenEnlarged.get() : object.takenImage.get(), object.startX,
                  object.startY);
    }
}

} // namespace Vesk
