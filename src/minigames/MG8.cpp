#include "minigames/MG8.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardBlur.h"
#include "board/BoardHost.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/ButtonWidget.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numbers>
#include <vector>

namespace Vesk
{
namespace
{

constexpr double kSlideStart = 0.01;
constexpr int kShuffleSwaps = 1000;
constexpr int kCursorNormal = 0;
constexpr int kCursorHand = 1;
// Moving the pointer this close to the jiggling insect counts as activity.
constexpr int kHintReach = 45;
// An enlarged picture larger than this on a side is not made (a broken set).
constexpr int kMaxEnlargedSide = 4096;
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

// The Catmull-Rom taps of one axis: for each destination position the first source index and
// four weights. A cubic that passes through the source pixels keeps edges crisper than a linear
// blend when a picture is enlarged.
struct CubicTaps
{
    std::vector<int> first;
    std::vector<std::array<float, 4>> weights;
};

CubicTaps MakeCubicTaps(int sourceLength, int destLength)
{
    CubicTaps taps;
    taps.first.resize(size_t(destLength));
    taps.weights.resize(size_t(destLength));
    const double ratio = double(sourceLength) / destLength;
    for (int d = 0; d < destLength; ++d)
    {
        const double position = (d + 0.5) * ratio - 0.5;
        const int index = int(std::floor(position));
        const double t = position - index;
        const double t2 = t * t;
        const double t3 = t2 * t;
        taps.first[size_t(d)] = index - 1;
        taps.weights[size_t(d)] = {float((-t3 + 2 * t2 - t) / 2), float((3 * t3 - 5 * t2 + 2) / 2),
                                   float((-3 * t3 + 4 * t2 + t) / 2), float((t3 - t2) / 2)};
    }
    return taps;
}

// source enlarged by scale (> 1) with a Catmull-Rom cubic on premultiplied pixels, so that
// transparent pixels lend no colour to the edges.
std::unique_ptr<MemoryImage> EnlargeCubic(MemoryImage& source, int width, int height)
{
    const int sourceWidth = source.GetWidth();
    const int sourceHeight = source.GetHeight();
    const uint32_t* bits = source.GetBits();
    if (bits == nullptr)
        return nullptr;
    std::vector<float> premultiplied(size_t(sourceWidth) * size_t(sourceHeight) * 4);
    for (size_t i = 0; i < size_t(sourceWidth) * size_t(sourceHeight); ++i)
    {
        const uint32_t pixel = bits[i];
        const float alpha = float(pixel >> 24);
        premultiplied[i * 4 + 0] = alpha;
        premultiplied[i * 4 + 1] = float((pixel >> 16) & 0xFF) * alpha / 255;
        premultiplied[i * 4 + 2] = float((pixel >> 8) & 0xFF) * alpha / 255;
        premultiplied[i * 4 + 3] = float(pixel & 0xFF) * alpha / 255;
    }
    const CubicTaps across = MakeCubicTaps(sourceWidth, width);
    const CubicTaps down = MakeCubicTaps(sourceHeight, height);
    // Rows enlarged across first, then the columns of that.
    std::vector<float> rows(size_t(width) * size_t(sourceHeight) * 4);
    for (int y = 0; y < sourceHeight; ++y)
        for (int x = 0; x < width; ++x)
        {
            float sum[4] = {0, 0, 0, 0};
            for (int tap = 0; tap < 4; ++tap)
            {
                const int sx = std::clamp(across.first[size_t(x)] + tap, 0, sourceWidth - 1);
                const float weight = across.weights[size_t(x)][size_t(tap)];
                const float* from = &premultiplied[(size_t(y) * size_t(sourceWidth) + size_t(sx)) * 4];
                for (int channel = 0; channel < 4; ++channel)
                    sum[channel] += from[channel] * weight;
            }
            std::copy(sum, sum + 4, &rows[(size_t(y) * size_t(width) + size_t(x)) * 4]);
        }
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            float sum[4] = {0, 0, 0, 0};
            for (int tap = 0; tap < 4; ++tap)
            {
                const int sy = std::clamp(down.first[size_t(y)] + tap, 0, sourceHeight - 1);
                const float weight = down.weights[size_t(y)][size_t(tap)];
                const float* from = &rows[(size_t(sy) * size_t(width) + size_t(x)) * 4];
                for (int channel = 0; channel < 4; ++channel)
                    sum[channel] += from[channel] * weight;
            }
            const float alpha = std::clamp(sum[0], 0.0f, 255.0f);
            uint32_t pixel = uint32_t(std::lround(alpha)) << 24;
            if (alpha > 0)
                for (int channel = 1; channel < 4; ++channel)
                {
                    const float value = std::clamp(sum[channel], 0.0f, alpha) * 255 / alpha;
                    pixel |= uint32_t(std::lround(value)) << (8 * (3 - channel));
                }
            pixels[size_t(y) * size_t(width) + size_t(x)] = pixel;
        }
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(pixels.data(), width, height);
    return image;
}

// source enlarged by scale; null when nothing or too much would come of it. Pictures that grow
// are enlarged with the cubic; the rare one that shrinks (a glass set below 1) with the
// filtered stretch.
std::unique_ptr<MemoryImage> Enlarge(Image* source, double scale)
{
    if (source == nullptr)
        return nullptr;
    const long width = std::lround(source->GetWidth() * scale);
    const long height = std::lround(source->GetHeight() * scale);
    if (width <= 0 || height <= 0 || width > kMaxEnlargedSide || height > kMaxEnlargedSide)
        return nullptr;
    if (auto* memory = dynamic_cast<MemoryImage*>(source); memory != nullptr && scale > 1)
        if (auto image = EnlargeCubic(*memory, int(width), int(height)); image != nullptr)
            return image;
    auto image = std::make_unique<MemoryImage>();
    image->Create(int(width), int(height));
    Graphics graphics(image.get());
    graphics.SetFastStretch(false);
    graphics.DrawImage(source, Rect(0, 0, int(width), int(height)), source->GetRect());
    return image;
}

// Whether picture has about the size of source enlarged by scale: a close-up drawn for the glass
// may be cut a little wider or narrower than its insect's picture.
bool HasEnlargedSize(Image* picture, Image* source, double scale)
{
    if (picture == nullptr || source == nullptr)
        return false;
    auto near = [](int drawn, double expected)
    { return std::fabs(drawn - expected) <= std::max(4.0, expected * 0.15); };
    return near(picture->GetWidth(), source->GetWidth() * scale) &&
           near(picture->GetHeight(), source->GetHeight() * scale);
}

} // namespace

MG8::MG8(GameApp& app) : MiniGame(app, "MG8", kBackButtonId)
{
    layout = MiniGameLayout::From(app.config.miniGame8);
}

MG8::~MG8() = default;

// --- The picture set ------------------------------------------------------------------------

void MG8::LoadPicture(const std::string& dir)
{
    ClearSet();
    for (const PictureListEntry& entry : ReadPictureList(dir))
        AddPicture(dir, entry);
    if (background == nullptr)
        app.Log("MG8: " + dir + "picture.cfg names no background");
    DropIncompleteObjects();
    BuildOrder();
    if (order.empty())
        app.Log("MG8: " + dir + " has no insects to find");
    const double configured = app.config.miniGame8.SCL;
    if (configured != Scale())
        app.Log("MG8: the glass enlarges " + std::to_string(Scale()) + " times, not " + std::to_string(configured));
    MakeEnlargedPictures();
    ResetObjects();
    // The page-turn pictures are made now, while the page is being entered, not in its first
    // frames.
    PrepareBlur();
}

void MG8::ClearSet()
{
    background.reset();
    enlargedBackground.reset();
    backgroundX = 0;
    backgroundY = 0;
    objects.clear();
    order.clear();
    stripPlaces.clear();
    wanted = 0;
    requiredFinds = 0;
    hintShowing = false;
    backgroundSmear.reset();
    pieces.reset();
    piecesSmear.reset();
    blurMade = false;
}

// One line of picture.cfg: the first character says what the picture is, the rest after "_"
// names the insect.
void MG8::AddPicture(const std::string& dir, const PictureListEntry& entry)
{
    const std::string& name = entry.fileName;
    const char kindLetter = name.size() >= 2 && name[1] == '_' ? LowerCase(name[0]) : '\0';
    if (kindLetter == 'b')
    {
        if (background != nullptr)
        {
            app.Log("MG8: a second background '" + name + "' left out");
            return;
        }
        background = LoadGamePicture(dir + name);
        backgroundX = entry.x;
        backgroundY = entry.y;
        return;
    }
    if ((kindLetter != 's' && kindLetter != 'p' && kindLetter != 'v') || name.size() < 3)
    {
        app.Log("MG8: " + dir + "picture.cfg names no picture of the game: '" + name + "' left out");
        return;
    }

    const std::string key = name.substr(2);
    Object* found = EntryForKey(objects, key, kMaxObjects, "insects", name);
    if (found == nullptr)
        return;
    std::unique_ptr<DDImage>& slot = kindLetter == 's'   ? found->sceneImage
                                     : kindLetter == 'p' ? found->stripImage
                                                         : found->viewImage;
    if (slot != nullptr)
    {
        app.Log("MG8: a second picture '" + name + "' left out");
        return;
    }
    slot = LoadGamePicture(dir + name);
    if (kindLetter == 's')
    {
        found->homeX = entry.x;
        found->homeY = entry.y;
        if (found->sceneImage != nullptr)
        {
            found->width = found->sceneImage->GetWidth();
            found->height = found->sceneImage->GetHeight();
        }
    }
    else if (kindLetter == 'p')
    {
        found->stripX = entry.x;
        found->stripY = entry.y;
    }
}

// An insect without its scene picture cannot be clicked, and one without its strip picture
// cannot be asked for: neither may hold the page up.
void MG8::DropIncompleteObjects()
{
    std::erase_if(objects,
                  [&](const Object& object)
                  {
                      const bool empty = object.width <= 0 || object.height <= 0;
                      if (object.sceneImage != nullptr && object.stripImage != nullptr && !empty)
                          return false;
                      app.Log("MG8: insect '" + object.key + "' has no " +
                              (object.sceneImage == nullptr || empty ? "scene picture" : "strip picture") +
                              ": left out");
                      return true;
                  });
}

// The insects lying on the page, in a random order; the strip's places from left to right go to
// them in that order.
void MG8::BuildOrder()
{
    order.clear();
    stripPlaces.clear();
    for (int index = 0; index < int(objects.size()); ++index)
        if (objects[size_t(index)].homeX > 0 && objects[size_t(index)].homeX < 800)
            order.push_back(index);
    const int count = int(order.size());
    if (count >= 2)
        for (int swap = 0; swap < kShuffleSwaps; ++swap)
            std::swap(order[0], order[size_t(app.Random().NextIndex(count))]);
    for (int index : order)
        stripPlaces.emplace_back(objects[size_t(index)].stripX, objects[size_t(index)].stripY);
    std::sort(stripPlaces.begin(), stripPlaces.end());
}

void MG8::MakeEnlargedPictures()
{
    const double scale = Scale();
    enlargedBackground = Enlarge(background.get(), scale);
    for (Object& object : objects)
    {
        object.enlarged.reset();
        // A "v_" picture drawn at the glass's scale is sharper than any enlargement.
        if (HasEnlargedSize(object.viewImage.get(), object.sceneImage.get(), scale))
            object.enlarged = std::make_unique<MemoryImage>(*object.viewImage);
        else
            object.enlarged = Enlarge(object.sceneImage.get(), scale);
        object.enlargedStrip = Enlarge(object.stripImage.get(), scale);
        if (object.enlarged == nullptr)
            app.Log("MG8: insect '" + object.key + "' is too large for the glass");
    }
}

void MG8::ResetObjects()
{
    for (Object& object : objects)
    {
        object.x = object.homeX;
        object.y = object.homeY;
        object.found = 0;
    }
    hintShowing = false;
}

void MG8::StartGame(int timeLimitSeconds, int itemCount)
{
    MiniGame::StartGame(timeLimitSeconds, itemCount);
    ResetObjects();
    const int present = int(order.size());
    requiredFinds = requiredCount > 0 ? std::min(requiredCount, present) : present;
    if (present > 0 && requiredCount > present)
        app.Log("MG8: the page asks for " + std::to_string(requiredCount) + " insects, the set has " +
                std::to_string(present));
    wanted = requiredFinds;
    glassX = 400;
    glassY = 600;
    RestartIdleClock();
}

void MG8::FreePictures()
{
    ClearSet();
}

Image* MG8::Background() const
{
    return background.get();
}

void MG8::BuildSnapshot()
{
    snapshot = std::make_unique<MemoryImage>();
    snapshot->Create(800, 600);
    Graphics graphics(snapshot.get());
    PaintScene(graphics, BoardX(), BoardY(), true, true);
}

// --- Rules ----------------------------------------------------------------------------------

double MG8::Scale() const
{
    const double configured = app.config.miniGame8.SCL;
    if (!(configured > 0))
        return 1;
    return std::min(configured, kMaxScale);
}

int MG8::WantedObject() const
{
    return wanted >= 1 && wanted <= int(order.size()) ? order[size_t(wanted - 1)] : -1;
}

int MG8::FoundCount() const
{
    return int(std::count_if(objects.begin(), objects.end(), [](const Object& object) { return object.found >= 1; }));
}

void MG8::StripPlace(int orderIndex, int& x, int& y) const
{
    if (orderIndex >= 0 && orderIndex < int(stripPlaces.size()))
    {
        x = stripPlaces[size_t(orderIndex)].first;
        y = stripPlaces[size_t(orderIndex)].second;
        return;
    }
    x = 0;
    y = 0;
}

bool MG8::Paused() const
{
    return (host != nullptr && host->IsPauseOpen()) || app.IsMuted();
}

void MG8::Tick()
{
    // A paused player is not idle: the hint waits for play to go on.
    if (shown && !finished && Paused())
        RestartIdleClock();
    MiniGame::Tick();
    UpdateCursor();
}

void MG8::TickRules(float step)
{
    SlideFoundObjects(step);
    if (requiredFinds > 0 && FoundCount() >= requiredFinds)
    {
        RunDoneSequence();
        return;
    }
    TickHint();
}

void MG8::SlideFoundObjects(float step)
{
    const double speed = layout.completionSpeed;
    for (Object& object : objects)
    {
        if (object.found <= 0 || object.found >= 1)
            continue;
        object.found += step * speed;
        if (object.found >= 1 || speed <= 0)
        {
            object.found = 1;
            wanted = std::max(wanted - 1, 0);
            PieceCompleted();
        }
    }
}

// The wanted insect jiggles in three windows of idleness (the last one open-ended), with the
// hint sound at the start of each.
void MG8::TickHint()
{
    const int target = WantedObject();
    for (int index = 0; index < int(objects.size()); ++index)
        if (index != target)
            PutHome(objects[size_t(index)]);
    if (target < 0)
        return;
    Object& object = objects[size_t(target)];
    const auto& config = app.config.miniGame8;
    const uint32_t now = Now();
    const int64_t idle = int64_t(uint32_t(now - lastActivityTime));
    const bool jiggling =
        idle > config.n1_ && (idle < int64_t(config.n1_) + config.m1_ ||
                              (idle > config.n2_ && idle < int64_t(config.n2_) + config.m2_) || idle > config.n3_);
    hintShowing = jiggling;
    if (!jiggling)
    {
        PutHome(object);
        hintSoundArmed = true;
        return;
    }
    object.x = int(std::trunc(std::sin(double(now) * config.hT) * config.hX + object.homeX));
    object.y = int(std::trunc(std::cos(double(now) * config.hT) * config.hY + object.homeY));
    if (hintSoundArmed)
    {
        hintSoundArmed = false;
        app.PlaySample(SOUND_HINT);
    }
}

void MG8::PutHome(Object& object)
{
    object.x = object.homeX;
    object.y = object.homeY;
}

void MG8::RestartIdleClock()
{
    lastActivityTime = Now();
    hintSoundArmed = true;
}

void MG8::CompleteByDebugKey()
{
    RunDoneSequence();
}

const std::string& MG8::Objective() const
{
    return app.texts.objectives.MG8;
}

// --- Pointer --------------------------------------------------------------------------------

bool MG8::AcceptsClicks() const
{
    return shown && !finished && !Paused() && IsPlayTime() && !BlurRunning();
}

void MG8::OnPointerMove(int x, int y)
{
    MiniGame::OnPointerMove(x, y);
    if (!shown)
        return;
    MoveGlass(x, y);
    if (!finished && hintShowing && NearWanted(x, y))
        RestartIdleClock();
}

void MG8::OnPointerDrag(int x, int y)
{
    MiniGame::OnPointerDrag(x, y);
    if (shown)
        MoveGlass(x, y);
}

void MG8::MoveGlass(int x, int y)
{
    pointerX = x;
    pointerY = y;
    const int halfWidth = IMAGE_GLASS8 != nullptr ? IMAGE_GLASS8->GetWidth() / 2 : kViewSize / 2;
    const int halfHeight = IMAGE_GLASS8 != nullptr ? IMAGE_GLASS8->GetHeight() / 2 : kViewSize / 2;
    glassX = std::clamp(x, halfWidth, std::max(800 - halfWidth, halfWidth));
    glassY = std::clamp(y, halfHeight, std::max(600 - halfHeight, halfHeight));
    UpdateCursor();
}

bool MG8::NearWanted(int x, int y) const
{
    const int target = WantedObject();
    if (target < 0)
        return false;
    const Object& object = objects[size_t(target)];
    const int left = BoardX() + object.x - kHintReach;
    const int top = BoardY() + object.y - kHintReach;
    return x >= left && y >= top && x < left + object.width + 2 * kHintReach &&
           y < top + object.height + 2 * kHintReach;
}

void MG8::OnRelease(int x, int y, int clickCode)
{
    MiniGame::OnRelease(x, y, clickCode);
    if (!AcceptsClicks())
        return;
    RestartIdleClock();
    if (clickCode < 0)
        return;
    const int hit = ObjectAt(x - BoardX(), y - BoardY());
    if (hit < 0)
        return;
    if (hit != WantedObject())
    {
        WrongObject();
        return;
    }
    Object& object = objects[size_t(hit)];
    if (object.found > 0)
        return;
    object.found = kSlideStart;
    app.PlaySample(SOUND_MG8_OBJ);
}

// The topmost insect whose picture's rectangle holds the point (board coordinates); insects
// already found are no longer in the way.
int MG8::ObjectAt(int boardX, int boardY) const
{
    for (int index = int(objects.size()) - 1; index >= 0; --index)
    {
        const Object& object = objects[size_t(index)];
        if (object.found <= 0 && Hits(object.sceneImage.get(), object.x, object.y, boardX, boardY))
            return index;
    }
    return -1;
}

// A wrong insect: the page's fail scene tells the player so; the last try ends the page.
void MG8::WrongObject()
{
    if (tries > 1)
        app.PlayScene("fail");
    LoseTry();
}

bool MG8::GlassHidesCursor() const
{
    const auto& config = app.config.miniGame8;
    const bool overBack = backButton != nullptr && backButton->isHovered;
    return shown && !finished && !overBack && !Paused() && IsPlayTime() && config.Gx < pointerX &&
           pointerX < config.GX && config.Gy < pointerY && pointerY < config.GY;
}

bool MG8::OwnsCursor() const
{
    return GlassHidesCursor();
}

// Over the glass's rectangle the glass is the pointer; anywhere else, or once the game stops
// for a scene, a pause or its end, the pointer comes back.
void MG8::UpdateCursor()
{
    const bool hide = GlassHidesCursor();
    if (hide)
        app.SetCursor(kCursorHidden);
    else if (cursorHidden)
        app.SetCursor(backButton != nullptr && backButton->isHovered ? kCursorHand : kCursorNormal);
    cursorHidden = hide;
}

void MG8::SetShown(bool show)
{
    if (shown && !show)
    {
        // The camera flies out over the page as it was left.
        if (background != nullptr)
            BuildSnapshot();
        if (cursorHidden)
            app.SetCursor(kCursorNormal);
        cursorHidden = false;
    }
    MiniGame::SetShown(show);
}

// --- Painting -------------------------------------------------------------------------------

void MG8::Paint(Graphics& graphics)
{
    PaintOnOpenPage(graphics);
    PaintPanelAndNotes(graphics);
    PaintBackButtonAndTries(graphics);
    // The glass comes with the page: it shows nothing while the page turns.
    if (!BlurRunning())
        PaintGlass(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void MG8::PaintPlayArea(Graphics& graphics)
{
    if (BlurRunning())
        PaintBlurred(graphics, Blur());
    else
        PaintScene(graphics, BoardX(), BoardY(), true, true);
}

void MG8::PaintScene(Graphics& graphics, int offsetX, int offsetY, bool withBackground, bool withPieces) const
{
    if (withBackground)
        graphics.DrawImage(background.get(), offsetX + backgroundX, offsetY + backgroundY);
    if (!withPieces)
        return;
    const int onStrip = std::min(wanted, int(order.size()));
    const int slide = app.config.miniGame8.PS;
    for (int index = 0; index < onStrip; ++index)
    {
        const Object& object = objects[size_t(order[size_t(index)])];
        int x = 0;
        int y = 0;
        StripPlace(index, x, y);
        graphics.DrawImage(object.stripImage.get(), offsetX + x + int(slide * object.found), offsetY + y);
    }
    for (const Object& object : objects)
        graphics.DrawImage(object.sceneImage.get(), offsetX + object.x, offsetY + object.y);
}

// The page turning in or out: the background stays sharp under its smear, and the strip and the
// insects come out of a smear of themselves, as the container page does.
void MG8::PaintBlurred(Graphics& graphics, double blur)
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
    graphics.SetColorizeImages(true);
    DrawWithAlpha(graphics, backgroundSmear.get(), BoardX() + backgroundX, BoardY() + backgroundY, backgroundWeight);
    DrawWithAlpha(graphics, pieces.get(), BoardX(), BoardY(), pieceWeight * (1 - s));
    DrawWithAlpha(graphics, piecesSmear.get(), BoardX(), BoardY(), pieceWeight * s);
    graphics.PopState();
}

uint64_t MG8::FoundMask() const
{
    uint64_t mask = 0;
    for (size_t index = 0; index < objects.size() && index < 64; ++index)
        if (objects[index].found > 0)
            mask |= uint64_t(1) << index;
    return mask;
}

// The smeared pictures of the page turn: the background's once per set, the strip and insects'
// again when finds have changed them (the turn out shows the page as it was left).
void MG8::PrepareBlur()
{
    const double amplitude = app.config.pages.BlurAmplitude;
    const uint64_t found = FoundMask();
    if (blurMade && blurFound == found)
        return;
    if (!blurMade)
    {
        auto* picture = dynamic_cast<MemoryImage*>(background.get());
        backgroundSmear = picture != nullptr ? BoardBlur::Smear(*picture, amplitude, true) : nullptr;
    }
    blurMade = true;
    blurFound = found;
    pieces.reset();
    piecesSmear.reset();
    // The layer covers the board from its corner to the farthest piece, with room for the smear.
    int right = 0;
    int bottom = 0;
    auto reach = [&](Image* image, int x, int y)
    {
        if (image == nullptr)
            return;
        right = std::max(right, x + image->GetWidth());
        bottom = std::max(bottom, y + image->GetHeight());
    };
    for (int index = 0; index < int(order.size()); ++index)
    {
        int x = 0;
        int y = 0;
        StripPlace(index, x, y);
        reach(objects[size_t(order[size_t(index)])].stripImage.get(), x + app.config.miniGame8.PS, y);
    }
    for (const Object& object : objects)
        reach(object.sceneImage.get(), object.homeX, object.homeY);
    const int margin = int(std::ceil(std::fabs(amplitude) * 1.3)) + 2;
    const int width = std::min(right + margin, 800);
    const int height = std::min(bottom + margin, 600);
    if (width <= 0 || height <= 0)
        return;
    pieces = std::make_unique<MemoryImage>();
    pieces->Create(width, height);
    {
        Graphics layer(pieces.get());
        PaintScene(layer, 0, 0, false, true);
    }
    piecesSmear = BoardBlur::Smear(*pieces, amplitude, false);
}

int MG8::GlassAlpha(int centreX, int centreY) const
{
    const auto& config = app.config.miniGame8;
    if (config.Gx < centreX && centreX < config.GX && config.Gy < centreY && centreY < config.GY)
        return 255;
    int distance = 0;
    if (centreX < config.Gx)
        distance = std::max(distance, config.Gx - centreX);
    if (centreX > config.GX)
        distance = std::max(distance, centreX - config.GX);
    if (centreY < config.Gy)
        distance = std::max(distance, config.Gy - centreY);
    if (centreY > config.GY)
        distance = std::max(distance, centreY - config.GY);
    if (distance >= config.GD)
        return 0;
    return ClampAlpha((1 - double(distance) / config.GD) * 255);
}

// The glass: its window shows the scene enlarged about the point under its centre, then its
// frame and handle over it; outside its rectangle it fades out.
void MG8::PaintGlass(Graphics& graphics)
{
    const int alpha = GlassAlpha(glassX, glassY);
    if (alpha <= 0)
        return;
    ComposeView(glassX, glassY);
    const auto& config = app.config.miniGame8;
    graphics.PushState();
    if (alpha < 255)
    {
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, alpha));
    }
    graphics.DrawImage(view.get(), glassX - kViewSize / 2, glassY - kViewSize / 2);
    if (IMAGE_GLASS8 != nullptr)
        graphics.DrawImage(IMAGE_GLASS8, glassX - IMAGE_GLASS8->GetWidth() / 2, glassY - IMAGE_GLASS8->GetHeight() / 2);
    graphics.DrawImage(IMAGE_GLASS8_HANDLE, glassX + config.LHDX, glassY + config.LHDY);
    graphics.PopState();
}

// The glass's window: the scene as if enlarged about (centreX, centreY), so that the point
// under the centre stays in place. Only the enlarged pictures that reach the window are drawn.
void MG8::ComposeView(int centreX, int centreY)
{
    if (view == nullptr)
    {
        view = std::make_unique<MemoryImage>();
        view->Create(kViewSize, kViewSize);
    }
    Graphics graphics(view.get());
    graphics.ClearRect(0, 0, kViewSize, kViewSize);
    const double scale = Scale();
    const int originX = int(centreX * scale) - kViewSize / 2;
    const int originY = int(centreY * scale) - kViewSize / 2;
    auto place = [&](MemoryImage* image, double screenX, double screenY)
    {
        if (image == nullptr)
            return;
        const int x = int(std::lround(screenX * scale)) - originX;
        const int y = int(std::lround(screenY * scale)) - originY;
        if (x >= kViewSize || y >= kViewSize || x + image->GetWidth() <= 0 || y + image->GetHeight() <= 0)
            return;
        graphics.DrawImage(image, x, y);
    };
    place(enlargedBackground.get(), BoardX() + backgroundX, BoardY() + backgroundY);
    const int onStrip = std::min(wanted, int(order.size()));
    const int slide = app.config.miniGame8.PS;
    for (int index = 0; index < onStrip; ++index)
    {
        const Object& object = objects[size_t(order[size_t(index)])];
        int x = 0;
        int y = 0;
        StripPlace(index, x, y);
        place(object.enlargedStrip.get(), BoardX() + x + int(slide * object.found), BoardY() + y);
    }
    // An insect's enlarged look is centred on its picture's centre, enlarged.
    for (const Object& object : objects)
        if (object.enlarged != nullptr)
            place(object.enlarged.get(), BoardX() + object.x + (object.width - object.enlarged->GetWidth() / scale) / 2,
                  BoardY() + object.y + (object.height - object.enlarged->GetHeight() / scale) / 2);
}

} // namespace Vesk
