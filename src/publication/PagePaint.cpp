// The publication screen's painting: the desk under the camera, the publication at rest or
// turning, its stickers, menu and decorations, the camera flights and the name stamp.

#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Transform.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/ButtonWidget.h"
#include "minigames/MiniGame.h"
#include "publication/Page.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{

namespace
{

constexpr double Pi = std::numbers::pi;
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;
constexpr int kFaceWidth = 767;
constexpr int kFaceHeight = 588;
// The camera's resting place: the publication then lies at (BoardX, BoardY) on the screen.
constexpr double kRestX = 1100;
constexpr double kRestY = 700;
// A bonus picture counts as uncovered once the turning edge has gone this far.
constexpr double kBonusUncovered = 0.3;

int ClampAlpha(double alpha)
{
    return std::clamp(int(alpha), 0, 255);
}

int Round(double value)
{
    return int(std::floor(value + 0.5));
}

// Sets a white colourising of alpha when it is below 255, leaving the state as it is otherwise.
void Fade(Graphics& graphics, double alpha)
{
    int a = ClampAlpha(alpha);
    if (a >= 255)
        return;
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, a));
}

// Draws image scaled by scale with its top-left corner at (x, y), integer placement at scale 1.
void DrawScaled(Graphics& graphics, Image* image, double x, double y, double scale)
{
    if (image == nullptr)
        return;
    if (scale == 1.0)
    {
        graphics.DrawImage(image, Round(x), Round(y));
        return;
    }
    int left = Round(x), top = Round(y);
    int right = Round(x + image->GetWidth() * scale), bottom = Round(y + image->GetHeight() * scale);
    if (right > left && bottom > top)
        graphics.DrawImage(image, Rect(left, top, right - left, bottom - top), image->GetRect());
}

struct StickerKeys
{
    int lx, rx, y, grx, gy, ilx, irx, iy;
};

StickerKeys StickerKeysOf(const GameConfig& config, int k)
{
    const auto& p = config.pages;
    switch (k)
    {
    case 1:
        return {p.St1LX, p.St1RX, p.St1Y, p.St1GRX, p.St1GY, p.St1ILX, p.St1IRX, p.St1IY};
    case 2:
        return {p.St2LX, p.St2RX, p.St2Y, p.St2GRX, p.St2GY, p.St2ILX, p.St2IRX, p.St2IY};
    default:
        return {p.St3LX, p.St3RX, p.St3Y, p.St3GRX, p.St3GY, p.St3ILX, p.St3IRX, p.St3IY};
    }
}

Image* StickerRight(int k)
{
    return k == 1 ? IMAGE_STICKER_1R : k == 2 ? IMAGE_STICKER_2R : IMAGE_STICKER_3R;
}

Image* StickerLeft(int k)
{
    return k == 1 ? IMAGE_STICKER_1L : k == 2 ? IMAGE_STICKER_2L : IMAGE_STICKER_3L;
}

Image* StickerGlow(int k)
{
    return k == 1 ? IMAGE_STICKER_1RG : k == 2 ? IMAGE_STICKER_2RG : IMAGE_STICKER_3RG;
}

Image* IconRight(int k)
{
    return k == 3 ? IMAGE_ICON_MR : IMAGE_ICON_GR;
}

Image* IconLeft(int k)
{
    return k == 3 ? IMAGE_ICON_ML : IMAGE_ICON_GL;
}

// The page index of sticker k (1..3) of the set being played, -1 when there is none.
int SetPageOf(const GameApp& app, int k)
{
    if (app.currentSet < 0 || app.currentSet >= std::min(app.content.setCount, kMaxSets))
        return -1;
    const PageSet& set = app.content.sets[size_t(app.currentSet)];
    int page = k == 1 ? set.a : k == 2 ? set.b : set.c;
    return ContentModel::IsPage(page) ? page : -1;
}

// The face a page shows at rest: its done face once done, else its face.
DDImage* RestingFace(const GameApp& app, int pageIndex)
{
    if (!ContentModel::IsPage(pageIndex))
        return nullptr;
    const PageRecord& record = app.content.pages[size_t(pageIndex)];
    if (record.done && record.doneFaceImage)
        return record.doneFaceImage.get();
    return record.faceImage.get();
}

// The part of a sticker picture that reaches below the page's bottom edge, drawn at (x, y).
void DrawStickerTab(Graphics& graphics, Image* sticker, int x, int y, int firstRow)
{
    if (sticker == nullptr)
        return;
    int top = std::max(0, firstRow);
    int rows = sticker->GetHeight() - top;
    if (rows > 0)
        graphics.DrawImage(sticker, x, y, Rect(0, top, sticker->GetWidth(), rows));
}

// Gives a sticker button its picture and places it.
void PlaceStickerButton(ButtonWidget* button, Image* icon, int x, int y)
{
    if (button == nullptr)
        return;
    if (icon != nullptr && button->buttonImage != icon)
    {
        button->buttonImage = icon;
        button->SetBounds(x, y, icon->GetWidth(), icon->GetHeight());
    }
    else if (button->x != x || button->y != y)
        button->MoveTo(x, y);
}

// The page a held corner uncovers: the next page under a forward turn, the previous one under a
// backward turn.
int PageBeneath(int currentPage, int flipDirection)
{
    return flipDirection == -1 ? currentPage + 1 : currentPage - 1;
}

// The last bonus pick lying on the page a held corner uncovers (its index plus 100 under a forward
// turn), -1 when none.
int UncoveredBonusIndex(const GameApp& app, int currentPage, int flipDirection)
{
    if (flipDirection == 0)
        return -1;
    const int pageBeneath = PageBeneath(currentPage, flipDirection);
    const int count = std::clamp(app.bonusPickCount, 0, kMaxBonusPicks);
    int found = -1;
    for (int i = 0; i < count; ++i)
    {
        const BonusPick& pick = app.bonusPicks[size_t(i)];
        if (pick.page >= 0 && pick.page == pageBeneath && pick.spot >= 0 && pick.spot < kMaxBonuses)
            found = flipDirection == -1 ? i + 100 : i;
    }
    return found;
}

} // namespace

// --- Order of painting -----------------------------------------------------------------------

void Page::Paint(Graphics& graphics)
{
    if (!facesWarmed)
        WarmFaces();
    // The desk clock stays at -1 until the screen starts.
    if (modeZoom[0] == -1)
        return;
    PaintDesk(graphics);
    bool nameStamp = mode == kModeNameStamp && modeZoom[kModeNameStamp] > 0;
    bool zooming = mode > 0 && mode < kModeCount && modeZoom[size_t(mode)] > 0 && modeZoom[size_t(mode)] < 1 &&
                   (mode == kModeNameStamp || CameraPath(currentPage) != nullptr);
    if (IntroRunning())
        PaintIntroPublication(graphics);
    else if (zooming || nameStamp)
        PaintZoom(graphics);
    else
        PaintAtRest(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
}

void Page::WarmFaces()
{
    // Every face gets its drawing data now, so the first turn over many pages does not stall.
    int count = std::clamp(app.content.pageCount, 0, kMaxPages);
    for (int i = 0; i < count; ++i)
    {
        PageRecord& record = app.content.pages[size_t(i)];
        if (record.faceImage)
            record.faceImage->GetSourcePixels(true, true);
        if (record.doneFaceImage && record.doneFaceImage != record.faceImage)
            record.doneFaceImage->GetSourcePixels(true, true);
    }
    facesWarmed = true;
}

// --- Camera and desk -------------------------------------------------------------------------

void Page::ApplyCamera(double worldX, double worldY, double& screenX, double& screenY) const
{
    screenX = (worldX - cameraX) * cameraScale;
    screenY = (worldY - cameraY) * cameraScale;
}

void Page::DrawWorldImage(Graphics& graphics, Image* image, double worldX, double worldY, double extraScale)
{
    if (image == nullptr || image->GetWidth() <= 0 || image->GetHeight() <= 0)
        return;
    double centreX = 0, centreY = 0;
    ApplyCamera(worldX, worldY, centreX, centreY);
    double scale = cameraScale + extraScale;
    double width = image->GetWidth() * scale, height = image->GetHeight() * scale;
    double left = centreX - width / 2, top = centreY - height / 2;
    if (left >= kViewWidth || top >= kViewHeight || left + width <= 0 || top + height <= 0)
        return;
    DrawScaled(graphics, image, left, top, scale);
}

void Page::DrawDeskBackground(Graphics& graphics)
{
    if (IMAGE_BGTILE != nullptr && IMAGE_BGTILE->GetWidth() > 0 && IMAGE_BGTILE->GetHeight() > 0)
    {
        // Each tile is placed by its own corners, so that scaled tiles still meet without seams.
        const int tileWidth = IMAGE_BGTILE->GetWidth();
        const int tileHeight = IMAGE_BGTILE->GetHeight();
        for (int row = 0; row < 5; ++row)
        {
            for (int column = 0; column < 5; ++column)
            {
                double left = 0, top = 0, right = 0, bottom = 0;
                ApplyCamera(double(column * tileWidth), double(row * tileHeight), left, top);
                ApplyCamera(double((column + 1) * tileWidth), double((row + 1) * tileHeight), right, bottom);
                if (right <= 0 || bottom <= 0 || left >= kViewWidth || top >= kViewHeight)
                    continue;
                if (cameraScale == 1.0)
                {
                    graphics.DrawImage(IMAGE_BGTILE, Round(left), Round(top));
                    continue;
                }
                int x0 = Round(left), y0 = Round(top), x1 = Round(right), y1 = Round(bottom);
                if (x1 > x0 && y1 > y0)
                    graphics.DrawImage(IMAGE_BGTILE, Rect(x0, y0, x1 - x0, y1 - y0), IMAGE_BGTILE->GetRect());
            }
        }
    }
    const ContentModel& content = app.content;
    const int itemCount = std::clamp(app.config.desktop.ItemsCount, 0, kMaxDeskItems);
    for (int i = 0; i < itemCount; ++i)
    {
        const DeskItem& item = content.deskItems[size_t(i)];
        DrawWorldImage(graphics, item.image.get(), item.x, item.y);
    }
}

void Page::PaintDesk(Graphics& graphics)
{
    const double fadeTime = app.config.desktop.DT0;
    const double deskClock = modeZoom[0];
    bool fading = fadeTime > 0 && deskClock < fadeTime;
    if (fading || IMAGE_BGTILE == nullptr)
    {
        graphics.SetColor(Color(0, 0, 0));
        graphics.FillRect(0, 0, kViewWidth, kViewHeight);
    }
    graphics.PushState();
    if (fading)
        Fade(graphics, deskClock * 255 / fadeTime);
    DrawDeskBackground(graphics);
    graphics.PopState();
}

// --- Camera flights --------------------------------------------------------------------------

void Page::PaintIntroPublication(Graphics& graphics)
{
    PaintPublicationInWorld(graphics, RestingFace(app, 0));
}

void Page::PaintPublicationInWorld(Graphics& graphics, Image* face)
{
    const auto& pages = app.config.pages;
    auto drawAt = [&](Image* image, double worldLeft, double worldTop)
    {
        if (image != nullptr)
            DrawWorldImage(graphics, image, worldLeft + image->GetWidth() / 2.0, worldTop + image->GetHeight() / 2.0);
    };
    drawAt(IMAGE_SHAD_L, pages.ShadLX + kRestX, pages.ShadLY + kRestY);
    drawAt(IMAGE_SHAD_R, pages.ShadRX + kRestX, pages.ShadRY + kRestY);
    drawAt(IMAGE_POST_CONT, pages.ContentsX + kRestX, pages.ContentsY + kRestY);
    drawAt(face, app.config.common.BoardX + kRestX, app.config.common.BoardY + kRestY);
}

void Page::PaintZoom(Graphics& graphics)
{
    // The game's own look waits at the path's end, where the camera arrives.
    const TriPointRow* path = CameraPath(currentPage);
    MiniGame* game = app.MiniGameOfMode(mode);
    Image* snapshot = game != nullptr ? game->Snapshot() : nullptr;
    if (path != nullptr && snapshot != nullptr && mode != kModeNameStamp)
        DrawWorldImage(graphics, snapshot, path->endX + 400, path->endY + 300);
    PaintPublicationInWorld(graphics, RestingFace(app, currentPage));
    if (mode == kModeNameStamp)
        PaintNameStamp(graphics);
}

void Page::PaintNameStamp(Graphics& graphics)
{
    const auto& desk = app.config.desktop;
    const double t = stampTimer;
    if (t <= 0)
        return;
    const double faceLeft = app.config.common.BoardX + kRestX;
    const double faceTop = app.config.common.BoardY + kRestY;
    if (IMAGE_STAMP != nullptr)
    {
        // The stamp comes down from above the page and shrinks onto its place, fading in.
        double drop = 0;
        if (stampTyped == 0 && desk.STAMPT - desk.STAMP_WT > 0)
            drop = std::max(t - desk.STAMP_WT, 0.0) / (desk.STAMPT - desk.STAMP_WT);
        graphics.PushState();
        if (t > desk.STAMPFP && desk.STAMPT > 0)
            Fade(graphics, (1 - (t - desk.STAMPFP) / desk.STAMPT) * 255);
        DrawWorldImage(graphics, IMAGE_STAMP, faceLeft + desk.STAMPX + IMAGE_STAMP->GetWidth() / 2.0,
                       faceTop + desk.STAMPY + IMAGE_STAMP->GetHeight() / 2.0, drop);
        graphics.PopState();
    }
    // The pencil writes the character after the ones already on the face while the timer runs.
    const std::string& name = app.playerName;
    if (IMAGE_PENCIL == nullptr || FONT_SCRIPT == nullptr || stampTyped <= 0 || stampTyped >= int(name.size()) ||
        desk.STAMP_WT <= 0)
        return;
    double f = std::clamp(1 - t / desk.STAMP_WT, 0.0, 1.0);
    const char current = name[size_t(stampTyped)];
    double written = FONT_SCRIPT->StringWidth(name.substr(0, size_t(stampTyped)));
    double along = written + f * FONT_SCRIPT->CharWidth(current);
    double bob = std::sin(Pi * f) * desk.STAMP_WH * (1 - (static_cast<unsigned char>(current) % 4) / 10.0);
    double tilt = std::cos(2 * Pi * f) * desk.STAMP_WR * Pi / 180;
    // The pencil's tip is its bottom-left corner.
    double tipX = 0, tipY = 0;
    ApplyCamera(faceLeft + desk.STAMP_WX + along, faceTop + desk.STAMP_WY - bob, tipX, tipY);
    Transform transform;
    transform.Translate(float(IMAGE_PENCIL->GetWidth() / 2.0), float(-IMAGE_PENCIL->GetHeight() / 2.0));
    transform.RotateRad(float(tilt));
    transform.Scale(float(cameraScale), float(cameraScale));
    graphics.DrawImageTransformF(IMAGE_PENCIL, transform, float(tipX), float(tipY));
}

// --- The publication at rest -----------------------------------------------------------------

void Page::PaintAtRest(Graphics& graphics)
{
    const auto& pages = app.config.pages;
    const bool flipping = Flipping();
    PaintLeftShadow(graphics);
    graphics.DrawImage(IMAGE_SHAD_R, pages.ShadRX, pages.ShadRY);
    if (!flipping)
        PaintStickerTabs(graphics);
    // The page-action tab lies under the cover and the publication's own pages, only its end
    // showing; on a page that can be played it lies over the page's edge, its play mark in sight.
    const bool playable = !flipping && PlayablePage(currentPage);
    if (!playable)
        PaintOwnButton(graphics, actionButton.get());
    // Beyond the contents the note is stuck under the page, its tab showing at the edge (as on the
    // board); on the contents page it lies on top while it peels away.
    const bool noteOverTurn = currentPage == 0 || (currentPage == 1 && flipDirection == 1);
    if (currentPage >= 2 && !(flipping && noteOverTurn))
        PaintContentsNote(graphics);
    if (!flipping)
        graphics.DrawImage(RestingFace(app, currentPage), app.config.common.BoardX, app.config.common.BoardY);
    if (playable)
        PaintOwnButton(graphics, actionButton.get());
    if (currentPage == 1 && !(flipping && noteOverTurn))
        PaintContentsNote(graphics);
    PaintBonusPop(graphics);
    PaintStickerOfPageShown(graphics);
    if (flipping)
    {
        PaintTurningPage(graphics);
        if (noteOverTurn)
            PaintContentsNote(graphics);
        return;
    }
    if (currentPage == 0)
    {
        PaintMenu(graphics);
        PaintLogo(graphics);
    }
    else if (currentPage == 1)
        PaintContentsDecorations(graphics);
    PaintReplayStamp(graphics);
}

void Page::PaintLeftShadow(Graphics& graphics)
{
    const auto& pages = app.config.pages;
    const double edge = std::clamp((flipEdge - app.config.common.BoardX) / double(kFaceWidth), 0.0, 1.0);
    if (currentPage == 0 && actionButton != nullptr && pages.DButDiv > 0)
    {
        // The page-action tab comes up from under the cover as the cover turns.
        double f = std::min((1 - edge * pages.ButDiv) * 255, 255.0);
        if (f >= 3)
        {
            int y = Round((255 - f) / pages.DButDiv + pages.ArrY);
            if (actionButton->y != y)
                actionButton->MoveTo(actionButton->x, y);
        }
    }
    Image* shadow = IMAGE_SHAD_L;
    if (shadow == nullptr)
        return;
    bool turningAway = currentPage == 0 || (currentPage == 1 && flipDirection == 1);
    if (!turningAway || pages.ShadMul <= 0)
    {
        graphics.DrawImage(shadow, pages.ShadLX, pages.ShadLY);
        return;
    }
    // The shadow fades strip by strip as the page turns over it.
    const int width = shadow->GetWidth();
    graphics.PushState();
    graphics.SetColorizeImages(true);
    for (int i = 0; i < 10; ++i)
    {
        double limit = (i + 1) * pages.ShadMul;
        if (edge >= limit)
            continue;
        int from = width * i / 10, to = width * (i + 1) / 10;
        if (to <= from)
            continue;
        graphics.SetColor(Color(255, 255, 255, ClampAlpha(255 * (limit - edge) / limit)));
        graphics.DrawImage(shadow, pages.ShadLX + from, pages.ShadLY, Rect(from, 0, to - from, shadow->GetHeight()));
    }
    graphics.PopState();
}

void Page::PaintContentsNote(Graphics& graphics)
{
    Image* note = IMAGE_POST_CONT;
    if (note == nullptr || contentsButton == nullptr)
        return;
    const auto& pages = app.config.pages;
    const double g = 1 - contentsFade;
    if (g >= 1)
        return;
    if (g <= 0)
    {
        graphics.DrawImage(note, contentsButton->x, contentsButton->y);
        return;
    }
    // The note swells and slides out as it fades away.
    double k = g * (pages.CSS - 100);
    double m = (k + 100) / 100;
    int width = Round(m * note->GetWidth()), height = Round(m * note->GetHeight());
    if (width <= 0 || height <= 0)
        return;
    graphics.DrawImage(note,
                       Rect(Round(contentsButton->x + g * pages.CSX),
                            Round(contentsButton->y - note->GetHeight() * k / 200), width, height),
                       note->GetRect());
}

void Page::PaintBonusPop(Graphics& graphics)
{
    if (noteTimer <= 0)
        return;
    int pick = bonusIndex >= 100 ? bonusIndex - 100 : bonusIndex;
    if (pick < 0 || pick >= kMaxBonusPicks)
        return;
    int spotIndex = app.bonusPicks[size_t(pick)].spot;
    if (spotIndex < 0 || spotIndex >= kMaxBonuses)
        return;
    const BonusSpot& spot = app.content.bonuses[size_t(spotIndex)];
    Image* image = spot.image.get();
    if (image == nullptr)
        return;
    const auto& pages = app.config.pages;
    double scale = pages.Bsc;
    if (noteTimer > pages.Bgl && pages.Bgt - pages.Bgl > 0)
        scale = 1 + (pages.Bsc - 1) * std::sin(Pi / 2 * (pages.Bgt - noteTimer) / (pages.Bgt - pages.Bgl));
    double centreX = app.config.common.BoardX + (bonusIndex >= 100 ? kViewWidth - spot.x : spot.x);
    double centreY = app.config.common.BoardY + spot.y;
    DrawScaled(graphics, image, centreX - image->GetWidth() * scale / 2, centreY - image->GetHeight() * scale / 2,
               scale);
}

// --- The turning page ------------------------------------------------------------------------

void Page::PaintTurningPage(Graphics& graphics)
{
    const int faceCount = std::min(flipFaceCount, int(flipFaces.size()) - 1);
    if (faceCount < 0)
        return;
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    if (faceCount == 0)
    {
        graphics.DrawImage(flipFaces[0], boardX, boardY);
        return;
    }
    const auto& pages = app.config.pages;
    const bool backward = flipDirection == 1;
    double e = (flipEdge - boardX) / double(kFaceWidth);
    e = std::clamp(backward ? 1 - e : e, 0.0, 1.0);
    const double trail = std::sqrt(std::max(0.0, std::sin(Pi * e)));
    const Rect sheet(boardX, boardY, kFaceWidth, kFaceHeight);

    // While the pointer holds the corner, the page beneath shows the bonus pictures lying on it.
    Image* heldUnder = nullptr;
    const int uncovered =
        flipSettled && int(flipFacePages.size()) > 1 ? UncoveredBonusIndex(app, currentPage, flipDirection) : -1;
    if (uncovered >= 0)
    {
        const int pageBeneath = flipFacePages[1];
        if (bonusUnderPage != pageBeneath || bonusUnderDirection != flipDirection || !bonusUnder)
        {
            if (!bonusUnder)
                bonusUnder = std::make_unique<MemoryImage>();
            if (bonusUnder->GetWidth() != kFaceWidth || bonusUnder->GetHeight() != kFaceHeight)
                bonusUnder->Create(kFaceWidth, kFaceHeight);
            else
                bonusUnder->Clear();
            Graphics onCopy(bonusUnder.get());
            onCopy.DrawImage(flipFaces[1], 0, 0);
            bonusUnderPage = pageBeneath;
            bonusUnderDirection = flipDirection;
            PaintBonusPictures(onCopy, *bonusUnder);
        }
        if (e < kBonusUncovered)
        {
            bonusAvailable = true;
            bonusIndex = uncovered;
        }
        heldUnder = bonusUnder.get();
    }
    else
        bonusUnderPage = -1; // a pick may be taken before the next hold

    // Deeper sheets trail the top one; beyond the second they lie hidden under it.
    const int deepest = std::min(faceCount - 1, 1);
    for (int depth = deepest; depth >= 0; --depth)
    {
        double sheetEdge = std::clamp(e + trail * depth * pages.PageDT, 0.0, 1.0);
        curl.BendAtProgress(sheet, 1 - sheetEdge, flipLift, backward, pages.PageCurv, pages.PageProp);
        Image* under = depth == deepest ? flipFaces[size_t(depth + 1)] : nullptr;
        if (depth == 0 && heldUnder != nullptr)
            under = heldUnder;
        // The faces of the set's pages carry their stickers already (Page::TurningFaceOf).
        curl.Draw(graphics, flipFaces[size_t(depth)], flipFaces[size_t(depth + 1)], under);
    }
}

void Page::PaintBonusPictures(Graphics& graphics, MemoryImage& target)
{
    if (flipDirection == 0)
        return;
    const int pageBeneath = PageBeneath(currentPage, flipDirection);
    const int count = std::clamp(app.bonusPickCount, 0, kMaxBonusPicks);
    for (int i = 0; i < count; ++i)
    {
        const BonusPick& pick = app.bonusPicks[size_t(i)];
        if (pick.page < 0 || pick.page != pageBeneath || pick.spot < 0 || pick.spot >= kMaxBonuses)
            continue;
        const BonusSpot& spot = app.content.bonuses[size_t(pick.spot)];
        Image* image = spot.image.get();
        if (image == nullptr)
            continue;
        // Under a forward turn the page beneath lies mirrored.
        int x = flipDirection == -1 ? kViewWidth - spot.x - image->GetWidth() / 2 : spot.x - image->GetWidth() / 2;
        graphics.DrawImage(image, x, spot.y - image->GetHeight() / 2);
    }
    target.CommitBits();
}

void Page::MakeStickerSheets()
{
    const auto& config = app.config;
    const int boardX = config.common.BoardX;
    const int boardY = config.common.BoardY;
    auto prepare = [](std::unique_ptr<MemoryImage>& sheet)
    {
        if (!sheet)
            sheet = std::make_unique<MemoryImage>();
        sheet->Create(kFaceWidth, kFaceHeight);
    };
    for (int k = 1; k <= 3; ++k)
    {
        const StickerKeys keys = StickerKeysOf(config, k);
        auto& front = stickerFronts[size_t(k - 1)];
        prepare(front);
        Graphics graphics(front.get());
        graphics.DrawImage(StickerRight(k), keys.rx - boardX, keys.y - boardY);
        graphics.DrawImage(IconRight(k), keys.irx - boardX, keys.iy - boardY);
        front->CommitBits();
    }
}

// --- Stickers --------------------------------------------------------------------------------

void Page::DrawOverlays(Graphics& graphics)
{
    PaintStickerTabs(graphics);
    PaintStickerOfPageShown(graphics);
}

void Page::PaintStickerTabs(Graphics& graphics)
{
    if (stampPending || Flipping())
        return;
    const int boardY = app.config.common.BoardY;
    for (int k = 1; k <= 3; ++k)
    {
        const int pageIndex = SetPageOf(app, k);
        if (pageIndex < 0 || pageIndex == currentPage || app.content.pages[size_t(pageIndex)].done)
            continue;
        const StickerKeys keys = StickerKeysOf(app.config, k);
        const double fade = stickerFade[size_t(k - 1)];
        ButtonWidget* button = stickerButtons[size_t(k - 1)].get();
        const bool right = pageIndex > currentPage;
        if (fade <= 0)
        {
            // A tab faded out leaves its button out of reach.
            PlaceStickerButton(button, right ? IconRight(k) : IconLeft(k), right ? keys.irx : keys.ilx, 600);
            continue;
        }
        graphics.PushState();
        if (fade < 1)
            Fade(graphics, fade * 255);
        const int firstRow = kPageTextHeight - keys.y + boardY;
        if (right)
        {
            DrawStickerTab(graphics, StickerRight(k), keys.rx, boardY + kPageTextHeight, firstRow);
            PlaceStickerButton(button, IconRight(k), keys.irx, keys.iy);
        }
        else
        {
            DrawStickerTab(graphics, StickerLeft(k), keys.lx, boardY + kPageTextHeight, firstRow);
            PlaceStickerButton(button, IconLeft(k), keys.ilx, keys.iy);
        }
        PaintOwnButton(graphics, button);
        graphics.PopState();
    }
}

void Page::PaintStickerOfPageShown(Graphics& graphics)
{
    if (stampPending || Flipping() || !ContentModel::IsPage(currentPage) || app.content.pages[size_t(currentPage)].done)
        return;
    const int k = SetSlotOf(currentPage);
    if (k < 1 || k > 3)
    {
        blinkStart = 0;
        return;
    }
    if (blinkStart == 0)
        blinkStart = Platform::Clock::GetTickCount();
    PaintSticker(graphics, k);
}

void Page::PaintSticker(Graphics& graphics, int k)
{
    const auto& pages = app.config.pages;
    const StickerKeys keys = StickerKeysOf(app.config, k);
    const double fade = stickerFade[size_t(k - 1)];
    ButtonWidget* button = stickerButtons[size_t(k - 1)].get();
    if (fade <= 0)
    {
        blinkStart = 0;
        PlaceStickerButton(button, IconRight(k), keys.irx, 600);
        return;
    }
    graphics.PushState();
    if (fade < 1)
        Fade(graphics, fade * 255);
    graphics.DrawImage(StickerRight(k), keys.rx, keys.y);

    // The glow pulses BLINKS times at the end of every blink period.
    double level = 1;
    const int period = pages.BLINKLENGTH + pages.BLINKTIME;
    if (fade >= 1 && blinkStart != 0 && period > 0 && pages.BLINKLENGTH > 0)
    {
        uint32_t c = (Platform::Clock::GetTickCount() - blinkStart) % uint32_t(period);
        if (int(c) > pages.BLINKTIME)
        {
            double v = std::cos((int(c) - pages.BLINKTIME) * pages.BLINKS * 2 * Pi / pages.BLINKLENGTH);
            level = pages.BLINKMIN + (v * 0.5 + 0.5) * (1 - pages.BLINKMIN);
            if (blinkState == 0 && shown && blurDirection == 0 && listSlideDirection == 0)
                app.PlaySample(SOUND_NEW);
            blinkState = 1;
        }
        else
            blinkState = 0;
    }
    else
        blinkState = -1;
    if (blinkState >= 0 && level <= 1 && StickerGlow(k) != nullptr)
    {
        graphics.PushState();
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, ClampAlpha((1 - level) * 255)));
        graphics.DrawImage(StickerGlow(k), keys.grx, keys.gy);
        graphics.PopState();
    }

    // A publication left alone a while shakes the sticker's button to call for attention.
    double shakeX = 0, shakeY = 0;
    if (idleClock > pages.ICON_A)
    {
        shakeX = std::sin(idleClock * pages.ITREMXT) * pages.ITREMX;
        shakeY = std::sin(idleClock * pages.ITREMYT) * pages.ITREMY;
    }
    PlaceStickerButton(button, IconRight(k), Round(keys.irx + shakeX), Round(keys.iy + shakeY));
    PaintOwnButton(graphics, button);
    graphics.PopState();
}

// --- Cover and contents decorations ----------------------------------------------------------

void Page::PaintMenu(Graphics& graphics)
{
    const auto& pages = app.config.pages;
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    struct Entry
    {
        ButtonWidget* button;
        Image* shadow;
        int homeX, homeY;
    };
    const std::array<Entry, 6> entries = {{
        {profileButton.get(), IMAGE_BUT_CHANGE_SH, pages.ProfileX, pages.ProfileY},
        {optionsButton.get(), IMAGE_BUT_OPTIONS_SH, pages.OptionsX, pages.OptionsY},
        {miniGamesButton.get(), IMAGE_BUT_MGAMES_SH, pages.MinigamesX, pages.MinigamesY},
        {creditsButton.get(), IMAGE_BUT_CREDITS_SH, pages.CreditsX, pages.CreditsY},
        {playButton.get(), IMAGE_BUT_PLAY_SH, pages.PlayX, pages.PlayY},
        {exitButton.get(), IMAGE_BUT_EXIT_SH, pages.ExitX, pages.ExitY},
    }};
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const Entry& entry = entries[i];
        if (i == 2 && !app.content.miniGamesAvailable)
        {
            graphics.DrawImage(IMAGE_BUT_MGAMES_C, pages.MinigamesX + boardX, pages.MinigamesY + boardY);
            continue;
        }
        if (entry.button == nullptr)
            continue;
        // The shadow mirrors the button's shake about its home and sways with it.
        const Tremble& tremble = menuTremble[i];
        double angle = std::sin(tremble.time * pages.TREMRT) * pages.TREMR * tremble.amplitude;
        int shadowX = 2 * (boardX + entry.homeX) - entry.button->x;
        int shadowY = 2 * (boardY + entry.homeY) - entry.button->y;
        if (entry.shadow != nullptr)
        {
            if (angle == 0)
                graphics.DrawImage(entry.shadow, shadowX, shadowY);
            else
                graphics.DrawImageRotated(entry.shadow, shadowX, shadowY, angle);
        }
        PaintOwnButton(graphics, entry.button);
    }
}

void Page::PaintLogo(Graphics& graphics)
{
    if (!app.logosAvailable || !app.logoNa || !app.logoA)
        return;
    const auto& pages = app.config.pages;
    Image* plain = app.logoNa.get();
    const bool over = logoHovered;
    graphics.DrawImage(over ? app.logoA.get() : plain, pages.MPCX, pages.MPCY);
}

void Page::PaintContentsDecorations(Graphics& graphics)
{
    const auto& pages = app.config.pages;
    const int boardX = app.config.common.BoardX;
    const int boardY = app.config.common.BoardY;
    const int titleCount = std::clamp(pages.TitlesNumber, 0, kMaxTitles);
    if (hoveredTitle >= 0 && hoveredTitle < titleCount)
    {
        const ContentsEntry& entry = app.content.titles[size_t(hoveredTitle)];
        const double t = replayClock;
        graphics.DrawImage(entry.onImage.get(), Round(boardX + entry.nX + std::sin(t * pages.TREMXT) * pages.TREMX),
                           Round(boardY + entry.nY + std::sin(t * pages.TREMYT) * pages.TREMY));
    }
    Image* mark = IMAGE_CHECK;
    if (mark == nullptr)
        return;
    // The "new" marks pulse between two sizes once per period.
    const int half = pages.newt / 2;
    double w = 0;
    if (half > 0)
        w = newBlinkClock <= half ? newBlinkClock / half : 1 - (newBlinkClock - half) / half;
    const double scale = (w * (pages.new2s - pages.new1s) + pages.new1s) / 100;
    const int width = Round(mark->GetWidth() * scale), height = Round(mark->GetHeight() * scale);
    if (width <= 0 || height <= 0)
        return;
    for (int i = 0; i < titleCount; ++i)
    {
        const ContentsEntry& entry = app.content.titles[size_t(i)];
        if (!ContentModel::IsPage(entry.page))
            continue;
        const PageRecord& record = app.content.pages[size_t(entry.page)];
        if (!record.open || record.done)
            continue;
        const int centreX = boardX + entry.lX, centreY = boardY + entry.lY;
        if (scale == 1.0)
            graphics.DrawImage(mark, centreX - mark->GetWidth() / 2, centreY - mark->GetHeight() / 2);
        else
            graphics.DrawImage(mark, Rect(centreX - width / 2, centreY - height / 2, width, height), mark->GetRect());
    }
}

void Page::PaintReplayStamp(Graphics& graphics)
{
    if (IMAGE_STAMP_REPLAY == nullptr || !ContentModel::IsPage(currentPage) || stampFade <= 0)
        return;
    const PageRecord& record = app.content.pages[size_t(currentPage)];
    if (!record.done || record.type == "MGLast")
        return;
    const auto& pages = app.config.pages;
    const double t = replayClock;
    const double a = pages.REPLAY_A, b = pages.REPLAY_B, c = pages.REPLAY_C, d = pages.REPLAY_D;
    // Shown, fading out, hidden, fading back in: one blink per period.
    double h = 1;
    if (t < a)
        h = 1;
    else if (t < b)
        h = b > a ? (std::cos(Pi * (t - a) / (b - a)) + 1) / 2 : 0;
    else if (t < c)
        h = 0;
    else
        h = d > c ? (std::cos(Pi * (1 - (t - c) / (d - c))) + 1) / 2 : 1;
    const int alpha = ClampAlpha(stampFade * 255 * h);
    if (alpha <= 0)
        return;
    double x = app.config.desktop.STAMPRX, y = app.config.desktop.STAMPRY;
    if (stampHovered)
    {
        x += std::sin(t * pages.TREMXT) * pages.TREMX;
        y += std::sin(t * pages.TREMYT) * pages.TREMY;
    }
    graphics.PushState();
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, alpha));
    graphics.DrawImage(IMAGE_STAMP_REPLAY, Round(x), Round(y));
    graphics.PopState();
}

void Page::PaintOwnButton(Graphics& graphics, ButtonWidget* button)
{
    if (button != nullptr && button->shown)
        button->PaintInPlace(graphics);
}

} // namespace Vesk
