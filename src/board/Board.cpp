#include "board/Board.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/BoardHost.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Transform.h"
#include "framework/platform/Clock.h"
#include "framework/platform/WindowMessage.h"
#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{
namespace
{

struct Offset
{
    int dx;
    int dy;
};

// A press tries its own point first, then eight points around it, so that a click just beside
// a thin object still takes it.
constexpr std::array<Offset, 9> kProbeOffsets = {
    {{0, 0}, {2, -1}, {-1, -2}, {-2, 1}, {1, 2}, {4, 1}, {1, -4}, {-4, -1}, {-1, 4}}};

constexpr int kOpaqueAlpha = 20;
constexpr int kListAttempts = 10000;
constexpr float kFirstFoundValue = 0.01f;
constexpr float kHintChargePerStep = 10.0f;
constexpr int kWideListName = 110;
constexpr int kKeyF5 = 116;

int AlphaAt(Image* image, int x, int y)
{
    auto* memory = dynamic_cast<MemoryImage*>(image);
    return memory != nullptr ? memory->AlphaAt(x, y) : 0;
}

// progress / opaqueSamples as the integers divide; an item without samples counts 0.
double ReleaseQuotient(const PictureItem& item)
{
    if (item.opaqueSamples <= 0)
        return 0;
    return double(item.progress / item.opaqueSamples);
}

int ClampAlpha(double alpha)
{
    return std::clamp(int(alpha), 0, 255);
}

} // namespace

Board::Board(GameApp& app) : app(app)
{
    SetBounds(0, 0, 800, 600);
    listSlots.fill(-1);
}

Board::~Board()
{
    for (auto* button : {backButton.get(), hintButton.get()})
        if (button != nullptr && button->parent != nullptr)
            button->parent->RemoveChild(button);
}

// --- Items and the page ---------------------------------------------------------------------

PictureItem& Board::Item(int index)
{
    return app.content.pictureItems[size_t(index)];
}

int Board::ItemCount() const
{
    return std::clamp(app.content.pictureItemCount, 0, kMaxPictureItems);
}

PageRecord* Board::CurrentRecord()
{
    return ContentModel::IsPage(page) ? &app.content.pages[size_t(page)] : nullptr;
}

uint32_t Board::Now() const
{
    return Platform::Clock::GetTickCount();
}

double Board::ListSlide()
{
    return host != nullptr ? host->ListSlide() : 0.0;
}

bool Board::KeyHeld(int keyCode)
{
    return manager != nullptr && keyCode >= 0 && keyCode < int(manager->keyDown.size()) &&
           manager->keyDown[size_t(keyCode)];
}

// --- Starting a page ------------------------------------------------------------------------

void Board::StartPage(int timeLimitSeconds, bool singleMode)
{
    ResetForPage(singleMode);
    if (ItemCount() == 0)
        return;
    slotCount = singleMode ? 1 : kListSlotCount;
    rowCount = singleMode ? 1 : 4;

    PageRecord* record = CurrentRecord();
    int savedFinds = 0;
    if (record != nullptr)
        for (int index = 0; index < ItemCount(); ++index)
            if (record->itemFound[size_t(index)] > 0)
                ++savedFinds;
    int savedSlots = record != nullptr ? UsableSavedSlots(*record) : 0;
    if (savedFinds > 0 && savedFinds < ItemCount() && savedSlots > 0)
    {
        slotCount = savedSlots;
        ResumeList(*record);
    }
    else
    {
        if (!DrawUpFreshList())
            return;
        PutItemZeroFirst();
    }

    // The page turns in as soon as it opens: its smear is made now, while the page loads.
    itemBlur.Prepare(app.content.pictureItems, ItemCount(), app.config.pages.BlurAmplitude);
    pageStartTime = Now();
    timeLimitMs = uint32_t(std::max(timeLimitSeconds, 0)) * 1000u;
    pauseStartTime = 0;
    BuildLayers();
    penaltyTime = 0;
    lastActivityTime = Now();
    hintCharge = 0;
    hintSoundArmed = true;
    hintTarget = -1;
    missCount = 0;
    noteStage = 0;
}

void Board::ResetForPage(bool singleMode)
{
    backGlow = 0;
    pressedItem = -1;
    lastFoundItem = -1;
    hintSoundArmed = true;
    this->singleMode = singleMode;
    openSignalled = false;
    completed = false;
    hintFailureShown = false;
    itemBlur.Invalidate();
    page = host != nullptr ? host->CurrentPage() : -1;
}

int Board::UsableSavedSlots(const PageRecord& record) const
{
    // The saved entries must name listable items of this page; a list shortened for a page with
    // few objects ends in -1.
    int usable = 0;
    while (usable < slotCount)
    {
        int item = record.listSlots[size_t(usable)];
        if (item < 0 || item >= ItemCount() || app.content.pictureItems[size_t(item)].isGroupMember)
            break;
        ++usable;
    }
    for (int slot = usable; slot < slotCount; ++slot)
        if (record.listSlots[size_t(slot)] != -1)
            return 0;
    return usable;
}

void Board::ResumeList(const PageRecord& record)
{
    for (int slot = 0; slot < kListSlotCount; ++slot)
    {
        slotAngles[size_t(slot)] = RandomSlotAngle();
        listSlots[size_t(slot)] = slot < slotCount ? record.listSlots[size_t(slot)] : -1;
    }
    for (int index = 0; index < ItemCount(); ++index)
        Item(index).found = float(record.itemFound[size_t(index)]);
    // Both halves of the group bookkeeping, in index order, so a group's leader knows how many
    // of its members were found before the page was left.
    for (int index = 0; index < ItemCount(); ++index)
        if (Item(index).found > 0)
            ApplyGroupFind(index);
}

bool Board::IsEligible(const PictureItem& item) const
{
    if (item.name.empty() || item.isGroupMember)
        return false;
    auto first = static_cast<unsigned char>(item.name.front());
    auto last = static_cast<unsigned char>(item.name.back());
    bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    return letter && last >= 58;
}

bool Board::DrawUpFreshList()
{
    listSlots.fill(-1);
    int eligible = 0;
    for (int index = 0; index < ItemCount(); ++index)
    {
        Item(index).found = 0;
        if (IsEligible(Item(index)))
            ++eligible;
    }
    // A page with fewer listable objects than entries gets a shorter list.
    slotCount = std::min(slotCount, eligible);
    if (slotCount == 0)
    {
        completed = true;
        app.Shutdown();
        return false;
    }
    for (int slot = 0; slot < slotCount; ++slot)
    {
        bool accepted = false;
        for (int attempt = 0; attempt < kListAttempts && !accepted; ++attempt)
        {
            int index = app.Random().NextIndex(ItemCount());
            auto taken = listSlots.begin() + slot;
            if (IsEligible(Item(index)) && std::find(listSlots.begin(), taken, index) == taken)
            {
                listSlots[size_t(slot)] = index;
                accepted = true;
            }
        }
        if (!accepted)
        {
            completed = true;
            app.Shutdown();
            return false;
        }
        slotAngles[size_t(slot)] = RandomSlotAngle();
    }
    return true;
}

void Board::PutItemZeroFirst()
{
    if (!app.sceneOption || singleMode || !IsEligible(Item(0)))
        return;
    int remembered = listSlots[0];
    listSlots[0] = 0;
    for (int slot = 1; slot < slotCount; ++slot)
        if (listSlots[size_t(slot)] == 0)
            listSlots[size_t(slot)] = remembered;
}

double Board::RandomSlotAngle()
{
    return app.config.ispy.SAng + app.Random().NextReal(app.config.ispy.SDAn);
}

void Board::BuildLayers()
{
    Image* notes[3] = {IMAGE_POST_1, IMAGE_POST_2, IMAGE_POST_3};
    for (int note = 0; note < 3; ++note)
    {
        noteLayers[size_t(note)] = std::make_unique<MemoryImage>();
        if (notes[note] != nullptr)
            noteLayers[size_t(note)]->Create(notes[note]->GetWidth(), notes[note]->GetHeight());
        WriteNoteEntries(note);
    }
    for (int index = 0; index < ItemCount(); ++index)
        if (Item(index).found > 0)
        {
            StrikeEntry(index, 0);
            StrikeEntry(index, 255);
        }
    panelLayer = std::make_unique<MemoryImage>();
    if (IMAGE_POST_BACK != nullptr)
        panelLayer->Create(IMAGE_POST_BACK->GetWidth(), IMAGE_POST_BACK->GetHeight());
    panelText.clear();
}

// --- The list notes -------------------------------------------------------------------------

Image* Board::NoteImage(int note) const
{
    Image* notes[3] = {IMAGE_POST_1, IMAGE_POST_2, IMAGE_POST_3};
    return note >= 0 && note < 3 ? notes[note] : nullptr;
}

int Board::RowY(int row) const
{
    return singleMode ? app.config.common.NListTx : app.config.common.ListTx + row * app.config.common.ListTd;
}

Font* Board::ListFont(const std::string& text) const
{
    if (FONT_POST_IT_24 != nullptr && FONT_POST_IT_24->StringWidth(text) > kWideListName && FONT_POST_IT_21 != nullptr)
        return FONT_POST_IT_21;
    return FONT_POST_IT_24 != nullptr ? FONT_POST_IT_24 : FONT_POST_IT_21;
}

void Board::WriteNoteEntries(int note)
{
    MemoryImage* layer = noteLayers[size_t(note)].get();
    if (layer == nullptr || layer->GetWidth() == 0)
        return;
    Graphics graphics(layer);
    graphics.ClearRect(0, 0, layer->GetWidth(), layer->GetHeight());
    const auto& common = app.config.common;
    graphics.SetColor(Color(common.ListTr, common.ListTg, common.ListTb));
    for (int slot = note; slot < slotCount; slot += 3)
    {
        int item = listSlots[size_t(slot)];
        if (item < 0 || item >= ItemCount())
            continue;
        const std::string& text = Item(item).displayName;
        graphics.SetFont(ListFont(text));
        graphics.WriteString(text, 0, RowY(slot / 3), layer->GetWidth(), 0);
    }
}

int Board::EntryOf(int item) const
{
    for (int slot = 0; slot < slotCount; ++slot)
        if (listSlots[size_t(slot)] == item)
            return slot;
    return -1;
}

double Board::StrikeEntry(int item, int amount)
{
    if (item < 0 || item >= ItemCount())
        return 1000.0;
    amount = std::clamp(amount, 0, 255);
    PictureItem& struck = Item(item);
    bool complete = struck.remaining <= 0;
    int listed = item;
    if (struck.isGroupMember && struck.groupLeader >= 0 && struck.groupLeader < ItemCount())
    {
        const PictureItem& leader = Item(struck.groupLeader);
        if (leader.remaining > 0 || leader.found == 0)
            complete = false;
        listed = struck.groupLeader;
    }
    int entry = std::max(EntryOf(listed), 0);
    int note = entry % 3;
    WriteNoteEntries(note);

    MemoryImage* layer = noteLayers[size_t(note)].get();
    if (layer == nullptr || layer->GetWidth() == 0 || IMAGE_STROKE == nullptr)
        return complete ? 0.0 : 1000.0;
    Graphics graphics(layer);
    float halfWidth = float(layer->GetWidth()) / 2;
    float strokeWidth = float(IMAGE_STROKE->GetWidth());
    float halfStroke = float(IMAGE_STROKE->GetHeight()) / 2;
    for (int slot = note; slot < slotCount; slot += 3)
    {
        int other = listSlots[size_t(slot)];
        if (slot == entry || other < 0 || other >= ItemCount())
            continue;
        if (Item(other).found != 0 && Item(other).remaining == 0)
        {
            Transform transform;
            transform.RotateDeg(float(slotAngles[size_t(slot)]));
            transform.Translate(halfWidth, float(RowY(slot / 3)) - halfStroke);
            graphics.DrawImageTransformF(IMAGE_STROKE, transform, 0, 0);
        }
    }
    if (!complete)
        return 1000.0;

    double angle = slotAngles[size_t(entry)];
    double lead = 0.5 - amount / 512.0;
    int shownWidth = amount * IMAGE_STROKE->GetWidth() / 255;
    if (shownWidth > 0)
    {
        Transform transform;
        transform.Translate(float(-lead * strokeWidth), 0);
        transform.RotateDeg(float(angle));
        transform.Translate(halfWidth, float(RowY(entry / 3)) - halfStroke);
        graphics.DrawImageTransform(IMAGE_STROKE, transform, 0, 0, Rect(0, 0, shownWidth, IMAGE_STROKE->GetHeight()),
                                    true);
    }
    return std::sin(angle * std::numbers::pi / 180.0) * lead * strokeWidth;
}

// --- Presses, releases and drags ------------------------------------------------------------

int Board::ProbeItem(int px, int py)
{
    for (int index = 0; index < ItemCount(); ++index)
    {
        PictureItem& item = Item(index);
        if (item.found != 0 || item.image == nullptr || item.opaqueSamples < 0)
            continue;
        if (px > item.x && px < item.x + item.image->GetWidth() && py > item.y &&
            py < item.y + item.image->GetHeight() && AlphaAt(item.image.get(), px - item.x, py - item.y) > kOpaqueAlpha)
            return index;
    }
    return -1;
}

bool Board::IsListed(int item) const
{
    const PictureItem& hit = app.content.pictureItems[size_t(item)];
    for (int slot = 0; slot < slotCount; ++slot)
        if (listSlots[size_t(slot)] == item || (hit.groupLeader >= 0 && listSlots[size_t(slot)] == hit.groupLeader))
            return true;
    return false;
}

void Board::OnPress(int x, int y, int code)
{
    if (penaltyTime > 0)
        return;
    if (code != kDragProbeCode)
    {
        pressX = x;
        pressY = y;
    }
    int boardX = app.config.common.BoardX;
    int boardY = app.config.common.BoardY;
    if (pressedItem >= 0 && code != kDragProbeCode)
    {
        PictureItem& pressed = Item(pressedItem);
        int px = x - boardX;
        int py = y - boardY;
        int width = pressed.image ? pressed.image->GetWidth() : 0;
        int height = pressed.image ? pressed.image->GetHeight() : 0;
        if (!(px > pressed.x && px < pressed.x + width && py > pressed.y && py < pressed.y + height))
            ++missCount;
    }
    for (const Offset& offset : kProbeOffsets)
    {
        int hit = ProbeItem(x + offset.dx - boardX, y + offset.dy - boardY);
        if (hit < 0 || !IsListed(hit))
            continue;
        if (pressedItem != -1 && pressedItem != hit)
            return;
        if (hintTarget >= 0)
            SendItemHome(hintTarget);
        pressedItem = hit;
        missCount = 0;
        lastActivityTime = Now();
        hintSoundArmed = true;
        hintTarget = -1;
        return;
    }
}

void Board::OnRelease(int x, int y, int code)
{
    (void)code;
    if (pressedItem < 0)
    {
        CountMisclick(x, y);
        return;
    }
    PictureItem& pressed = Item(pressedItem);
    double quotient = ReleaseQuotient(pressed);
    bool released = (quotient < app.config.ispy.EPC && x != 0 && y != 0) || quotient < app.config.ispy.EPCa;
    if (released && pressed.found == 0)
        FindPressedItem();
}

void Board::FindPressedItem()
{
    const auto& ispy = app.config.ispy;
    Item(pressedItem).found = kFirstFoundValue;
    itemBlur.InvalidateObjects();
    app.PlaySample(SOUND_OBJ_FIND);
    findEffectX = pressX + ispy.EDX;
    findEffectY = pressY + ispy.EDY;
    app.PlaySample(SOUND_OBJ_LIST);
    ApplyGroupFind(pressedItem);
    missCount = 0;
    lastFoundItem = pressedItem;
}

void Board::ApplyGroupFind(int index)
{
    PictureItem& item = Item(index);
    if (item.isGroupMember && item.groupLeader >= 0 && item.groupLeader < ItemCount())
    {
        PictureItem& leader = Item(item.groupLeader);
        --leader.remaining;
        int k = leader.remaining - 1 + (leader.found == 0 ? 1 : 0);
        k = std::clamp(k, 0, std::max(leader.linkedCount - 1, 0));
        if (leader.linkedCount > 0)
            leader.displayName = Item(leader.linked[size_t(k)]).displayName;
    }
    if (item.linkedCount > 0)
    {
        int k = std::clamp(item.remaining - 1, 0, item.linkedCount - 1);
        item.displayName = Item(item.linked[size_t(k)]).displayName;
    }
}

void Board::CountMisclick(int x, int y)
{
    int rx = x - app.config.common.BoardX;
    int ry = y - app.config.common.BoardY;
    bool onBoard = rx > 0 && ry > 0 && rx < kBoardWidth && ry < kBoardHeight;
    bool listAtRest = host == nullptr || host->ListSlideDirection() == 0;
    if (!onBoard || !app.SceneState().empty() || !listAtRest)
        return;
    uint32_t now = Now();
    if (missCount != 0 && int64_t(now - lastMissTime) < int64_t(app.config.ispy.MIT))
        ++missCount;
    else
        missCount = 1;
    lastMissTime = now;
}

void Board::OnPointerDrag(int x, int y)
{
    if (penaltyTime > 0)
        return;
    if (pressedItem < 0 || missCount != 0)
    {
        if (std::hypot(double(x - pressX), double(y - pressY)) < app.config.ispy.EPSR)
            OnPress(x, y, kDragProbeCode);
        return;
    }
    PictureItem& pressed = Item(pressedItem);
    if (pressed.progress == 0 || pressed.progress == pressed.opaqueSamples)
        pressed.progress = 1;
    pressX = x;
    pressY = y;
}

void Board::OnPointerMove(int x, int y)
{
    pointerX = float(x);
    pointerY = float(y);
    if (penaltyTime > 0)
        return;
    int boardX = app.config.common.BoardX;
    int boardY = app.config.common.BoardY;
    bool onBoard = x > boardX && x < boardX + kBoardWidth && y > boardY && y < boardY + kBoardHeight;
    app.SetCursor(onBoard ? 12 : 0);
}

void Board::OnButtonReleased(int id)
{
    if (id == kHintButtonId)
    {
        if (hintCharge >= float(app.config.ispy.hbn))
        {
            hintCharge = 0;
            lastActivityTime = Now() - uint32_t(std::max(app.config.ispy.n1_, 0)) - 1u;
        }
    }
    else if (id == kBackButtonId)
    {
        if (host != nullptr && host->Blur() == 0)
            host->RequestPageAction();
    }
}

void Board::SendItemHome(int index)
{
    if (index < 0 || index >= ItemCount())
        return;
    Item(index).x = Item(index).homeX;
    Item(index).y = Item(index).homeY;
}

// --- The buttons ----------------------------------------------------------------------------

void Board::OnAttachedToManager(WidgetManager* newManager)
{
    Widget::OnAttachedToManager(newManager);
    const auto& ispy = app.config.ispy;
    auto makeButton = [&](int id, Image* base, Image* over, Image* down, Image* sizeImage, int x, int y)
    {
        auto button = std::make_unique<ButtonWidget>(id, this);
        button->buttonImage = base;
        button->overImage = over;
        button->downImage = down;
        button->label.clear();
        if (FONT_DEFAULT != nullptr)
            button->SetFont(FONT_DEFAULT);
        button->noDraw = true;
        int width = sizeImage != nullptr ? sizeImage->GetWidth() : 0;
        int height = sizeImage != nullptr ? sizeImage->GetHeight() : 0;
        button->SetBounds(x, y, width, height);
        button->SetShown(HasPageToPaint());
        newManager->AddChild(button.get());
        return button;
    };
    for (auto* button : {backButton.get(), hintButton.get()})
        if (button != nullptr && button->parent != nullptr)
            button->parent->RemoveChild(button);
    backButton = makeButton(kBackButtonId, IMAGE_POST_BACK_B, IMAGE_POST_BACK_BH, IMAGE_POST_BACK_BP, IMAGE_POST_BACK_B,
                            ispy.BPX + ispy.BPBX, ispy.BPY + ispy.BPBY);
    hintButton = makeButton(kHintButtonId, IMAGE_POST_HINT_BC, IMAGE_POST_HINT_BH, IMAGE_POST_HINT_BP,
                            IMAGE_POST_HINT_B, ispy.BPX + ispy.BPHBX, ispy.BPY + ispy.BPHBY);
}

void Board::OnDetachedFromManager(WidgetManager* oldManager)
{
    for (auto* button : {backButton.get(), hintButton.get()})
        if (button != nullptr && button->parent != nullptr)
            button->parent->RemoveChild(button);
    Widget::OnDetachedFromManager(oldManager);
}

// --- The rules of one update ----------------------------------------------------------------

void Board::Tick()
{
    Widget::Tick();
    TickRules(1.0f);
}

void Board::TickRules(float step)
{
    ShowButtonsWhilePlaying();
    bool hintReady = hintCharge >= float(app.config.ispy.hbn);
    if (hintButton != nullptr && hintButton->disabled == hintReady)
        hintButton->SetDisabled(!hintReady);
    StepBackGlow(step);
    if (app.tutorialPending && host != nullptr && host->CurrentPage() == 0)
        host->ClearStickerFades();
    StepCover();
    if (app.config.common.debug_mode)
        HandleDebugKeys();
    // Repainted every update while a page is played; over the publication it draws nothing.
    if (HasPageToPaint())
        Invalidate();
    if (TickPause())
        return;

    std::string state = app.SceneState();
    if (!state.empty() && state != "Playtime")
        return;
    if ((backButton != nullptr && backButton->isHovered) || (hintButton != nullptr && hintButton->isHovered))
        app.SetCursor(1);
    AnimateFinds();
    if (ItemCount() == 0 || completed || (host != nullptr && host->IsPublicationShown()))
        return;
    CheckCompletion();
    SignalOpen();
    TickHints();
    TickPenalty(step);
    StartPenaltyOnMisclicks();
    ChargeHint(step);
    SelfRelease();
}

void Board::ShowButtonsWhilePlaying()
{
    // The buttons paint nothing themselves; hidden, they cannot take the publication's clicks.
    bool playing = HasPageToPaint();
    for (auto* button : {backButton.get(), hintButton.get()})
        if (button != nullptr && button->shown != playing)
            button->SetShown(playing);
}

void Board::StepBackGlow(float step)
{
    double speed = app.config.common.COVERT;
    if (backGlow > 0 && backGlow < 1)
    {
        backGlow = speed > 0 ? std::min(backGlow + step * speed, 1.0) : 1.0;
    }
    else if (backGlow == 0 && ListSlide() == 0)
        backGlow = 0.001;
}

void Board::StepCover()
{
    if (host == nullptr)
        return;
    double speed = app.config.common.COVERT;
    double alpha = host->CoverAlpha();
    if (app.IsMuted())
        alpha = speed > 0 ? std::min(alpha + speed, 1.0) : 1.0;
    else
        alpha = speed > 0 ? std::max(alpha - speed, 0.0) : 0.0;
    if (alpha != host->CoverAlpha())
        host->SetCoverAlpha(alpha);
}

void Board::HandleDebugKeys()
{
    if (KeyHeld(kKeyF5) && ItemCount() > 0)
    {
        for (PictureItem& item : app.content.pictureItems)
        {
            item.found = 1;
            item.remaining = 0;
            app.ResumeFromPlaytime();
        }
        itemBlur.InvalidateObjects();
    }
    if (KeyHeld(Platform::KEYCODE_F1) && host != nullptr && host->OpenGate() == 0)
        host->RequestPageAction();
}

bool Board::TickPause()
{
    uint32_t now = Now();
    if ((host != nullptr && host->IsPauseOpen()) || app.IsMuted())
    {
        lastActivityTime = now;
        hintSoundArmed = true;
        if (pauseStartTime == 0)
            pauseStartTime = now;
        return true;
    }
    if (pauseStartTime != 0)
    {
        pageStartTime += now - pauseStartTime;
        pauseStartTime = 0;
    }
    return false;
}

void Board::AnimateFinds()
{
    double speed = app.config.ispy.DT;
    for (int index = 0; index < ItemCount(); ++index)
    {
        PictureItem& item = Item(index);
        if (item.progress != 0 && item.progress != item.opaqueSamples)
            item.progress = 1;
        if (item.found > 0 && item.found < 1)
        {
            item.found = speed > 0 ? float(item.found + speed) : 1.0f;
            missCount = 0;
            if (item.found >= 1)
            {
                item.found = 1;
                // The strike is whole on its note even when no frame was painted meanwhile.
                StrikeEntry(index, 255);
                app.ResumeFromPlaytime();
                if (index == pressedItem)
                    pressedItem = -1;
            }
        }
    }
}

void Board::CheckCompletion()
{
    int done = 0;
    for (int slot = 0; slot < slotCount; ++slot)
    {
        int index = listSlots[size_t(slot)];
        if (index < 0 || index >= ItemCount())
            continue;
        const PictureItem& item = Item(index);
        if (item.found == 1 && (item.linkedCount < 1 || item.remaining < 1))
            ++done;
    }
    for (int index = 0; index < ItemCount(); ++index)
        if (Item(index).found > 0 && Item(index).found < 1)
            done = 0;
    if (done != slotCount)
        return;

    completed = true;
    app.PlayScene("done");
    app.CompletePage(page, host);
}

void Board::SignalOpen()
{
    if (openSignalled || (host != nullptr && host->OpenGate() != 0))
        return;
    app.PlayScene("open");
    if (host != nullptr)
    {
        host->SetListSlideDirection(-1);
        host->SetBlurDirection(-1);
    }
    openSignalled = true;
}

int Board::ChooseHintTarget()
{
    for (int slot = 0; slot < slotCount; ++slot)
    {
        int index = listSlots[size_t(slot)];
        if (index < 0 || index >= ItemCount())
            continue;
        const PictureItem& item = Item(index);
        if (item.found == 0)
            return index;
        for (int k = 0; k < std::min(item.linkedCount, kMaxLinkedItems); ++k)
        {
            int member = item.linked[size_t(k)];
            if (member >= 0 && member < ItemCount() && Item(member).found == 0)
                return member;
        }
    }
    return -1;
}

void Board::TickHints()
{
    uint32_t now = Now();
    if (pressedItem >= 0)
    {
        lastActivityTime = now;
        hintSoundArmed = true;
        return;
    }
    const auto& ispy = app.config.ispy;
    int64_t idle = int64_t(uint32_t(now - lastActivityTime));
    if (idle <= int64_t(ispy.n1_))
        return;
    if (hintTarget < 0)
    {
        hintTarget = ChooseHintTarget();
        if (hintTarget < 0)
        {
            if (!hintFailureShown)
                app.MsgBox("When selecting random item to hint", "Error", 0);
            hintFailureShown = true;
            return;
        }
    }
    PictureItem& target = Item(hintTarget);
    bool jiggling = idle < int64_t(ispy.n1_) + ispy.m1_ ||
                    (idle > int64_t(ispy.n2_) && idle < int64_t(ispy.n2_) + ispy.m2_) || idle > int64_t(ispy.n3_);
    if (jiggling)
    {
        target.x = int(std::trunc(std::sin(double(idle) * ispy.hT) * ispy.hX + target.homeX));
        target.y = int(std::trunc(std::cos(double(idle) * ispy.hT) * ispy.hY + target.homeY));
        if (hintSoundArmed)
        {
            hintSoundArmed = false;
            app.PlaySample(SOUND_HINT);
        }
    }
    else
    {
        target.x = target.homeX;
        target.y = target.homeY;
        hintSoundArmed = true;
    }
}

void Board::TickPenalty(float step)
{
    if (penaltyTime <= 0)
        return;
    penaltyTime -= step;
    if (penaltyTime <= 0)
    {
        penaltyTime = 0;
        OnPointerMove(int(pointerX), int(pointerY));
    }
}

void Board::StartPenaltyOnMisclicks()
{
    const auto& ispy = app.config.ispy;
    if (ispy.MIS <= 0 || missCount < ispy.MIS)
        return;
    app.PlaySample(SOUND_PENALTY);
    if (app.warningPending)
    {
        app.PlayScene("scenes/is_warning.scr");
        app.warningPending = false;
    }
    missCount = 0;
    penaltyTime = float(std::max(ispy.PENALTY, 0.0));
}

void Board::ChargeHint(float step)
{
    float needed = float(app.config.ispy.hbn);
    bool wasBelow = hintCharge < needed;
    hintCharge += step * kHintChargePerStep;
    bool finalGameShown = host != nullptr && host->IsFinalGameShown();
    if (wasBelow && hintCharge >= needed && !finalGameShown)
        app.PlaySample(SOUND_MG_FIND);
}

void Board::SelfRelease()
{
    for (int index = 0; index < ItemCount(); ++index)
    {
        const PictureItem& item = Item(index);
        if (item.opaqueSamples != 0 && ReleaseQuotient(item) < app.config.ispy.EPCa && item.found == 0)
        {
            OnRelease(0, 0, 0);
            return;
        }
    }
}

// --- Painting -------------------------------------------------------------------------------

bool Board::HasPageToPaint()
{
    PageRecord* record = CurrentRecord();
    if (ItemCount() == 0 || record == nullptr || page < 2 || (record->type != "Game" && record->type != "NGame"))
        return false;
    return host == nullptr || (!host->IsPublicationShown() && host->CurrentPage() >= 2);
}

void Board::Paint(Graphics& graphics)
{
    if (!HasPageToPaint())
        return;
    if (host != nullptr)
        host->DrawDeskBackground(graphics);
    PaintPageShadows(graphics);
    if (host != nullptr)
        host->PaintContentsNote(graphics);
    PaintItems(graphics);
    PaintDebugNames(graphics);
    graphics.DrawImage(IMAGE_PAGES, app.config.common.BoardX, app.config.common.BoardY);
    if (host != nullptr)
        host->DrawOverlays(graphics);
    PaintObjectivePanel();
    // The strikes being drawn are brought up to date before the notes show them.
    StrikeAnimatingEntries();
    PaintListNotes(graphics);
    PaintButtonsAndGlows(graphics);
    ApplyShowFinger();
    PaintPencils(graphics);
    graphics.DrawImage(IMAGE_CANDY, 0, 0);
    PaintFindEffects(graphics);
    PaintEraser(graphics);
}

void Board::PaintPageShadows(Graphics& graphics)
{
    const auto& pages = app.config.pages;
    graphics.DrawImage(IMAGE_SHAD_L, pages.ShadLX, pages.ShadLY);
    graphics.DrawImage(IMAGE_SHAD_R, pages.ShadRX, pages.ShadRY);
}

void Board::PaintItems(Graphics& graphics)
{
    double blur = host != nullptr ? host->Blur() : 0.0;
    if (blur > 0 && blur <= 1)
    {
        PaintBlurredItems(graphics, blur);
        return;
    }
    int boardX = app.config.common.BoardX;
    int boardY = app.config.common.BoardY;
    for (int index = ItemCount() - 1; index >= 0; --index)
    {
        PictureItem& item = Item(index);
        if (item.image == nullptr)
            continue;
        if (item.found == 0)
            graphics.DrawImage(item.image.get(), boardX + item.x, boardY + item.y);
        else if (item.found > 0 && item.found < 1)
        {
            graphics.PushState();
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, ClampAlpha((1 - item.found) * 255)));
            graphics.DrawImage(item.image.get(), boardX + item.x, boardY + item.y);
            graphics.PopState();
        }
    }
}

void Board::PaintBlurredItems(Graphics& graphics, double blur)
{
    const auto& pages = app.config.pages;
    itemBlur.Paint(graphics, app.content.pictureItems, ItemCount(), app.config.common.BoardX, app.config.common.BoardY,
                   blur, pages.BlurAmplitude, pages.BlurTransparency);
}

void Board::PaintDebugNames(Graphics& graphics)
{
    if (!app.config.common.debug_mode || !KeyHeld(Platform::KEYCODE_F2) || FONT_SMALL == nullptr)
        return;
    graphics.PushState();
    graphics.SetFont(FONT_SMALL);
    int boardX = app.config.common.BoardX;
    int boardY = app.config.common.BoardY;
    for (int index = 0; index < ItemCount(); ++index)
    {
        const PictureItem& item = Item(index);
        int x = boardX + item.x;
        int y = boardY + item.y;
        graphics.SetColor(Color::White);
        for (const Offset& offset : {Offset{0, -1}, Offset{0, 1}, Offset{-1, 0}, Offset{1, 0}})
            graphics.WriteString(item.displayName, x + offset.dx, y + offset.dy);
        graphics.SetColor(Color::Black);
        graphics.WriteString(item.displayName, x, y);
    }
    graphics.PopState();
}

void Board::PaintObjectivePanel()
{
    const std::string& text = app.texts.objectives.ISpy;
    if (panelLayer == nullptr || panelLayer->GetWidth() == 0 || text == panelText)
        return;
    panelText = text;
    Graphics graphics(panelLayer.get());
    graphics.ClearRect(0, 0, panelLayer->GetWidth(), panelLayer->GetHeight());
    if (FONT_POST_IT_21 == nullptr)
        return;
    const auto& common = app.config.common;
    const auto& ispy = app.config.ispy;
    graphics.SetFont(FONT_POST_IT_21);
    graphics.SetColor(Color(common.ListTr, common.ListTg, common.ListTb));
    graphics.WriteWordWrapped(Rect(ispy.BPOX, ispy.BPOY, ispy.BPOW, panelLayer->GetHeight()), text);
}

Board::NoteSlide Board::ComputeNoteSlide(double slide) const
{
    NoteSlide result;
    if (slide > 0.75)
        result = {0, (slide - 0.75) * 4, 1, 1, 1};
    else if (slide > 0.5)
        result = {1, 0, (slide - 0.5) * 4, 1, 1};
    else if (slide > 0.25)
        result = {2, 0, 0, (slide - 0.25) * 4, 1};
    else if (slide > 0)
        result = {3, 0, 0, 0, slide * 4};
    else
        result = {4, 0, 0, 0, 0};
    return result;
}

Board::NotePlace Board::PlaceOf(Image* image, int restX, int restY, double factor) const
{
    NotePlace place;
    double growth = app.config.pages.CSS - 100;
    int width = image != nullptr ? image->GetWidth() : 0;
    int height = image != nullptr ? image->GetHeight() : 0;
    place.scale = (growth * factor + 100) / 100;
    place.x = restX - growth * width * factor / 200;
    place.y = restY + factor * (600 - app.config.common.ListY);
    place.width = width * place.scale;
    place.height = height * place.scale;
    return place;
}

Board::NotePlace Board::NotePlaceOf(int note, double slide) const
{
    const auto& common = app.config.common;
    NoteSlide factors = ComputeNoteSlide(slide);
    double noteFactors[3] = {factors.note1, factors.note2, factors.note3};
    int restX[3] = {singleMode ? common.NListX1 : common.ListX1, common.ListX2, common.ListX3};
    return PlaceOf(NoteImage(note), restX[note], common.ListY, noteFactors[note]);
}

void Board::PaintListNotes(Graphics& graphics)
{
    double slide = ListSlide();
    NoteSlide factors = ComputeNoteSlide(slide);
    if (singleMode ? (factors.stage == 1 && noteStage != 1) : factors.stage > noteStage)
        app.PlaySample(SOUND_POST_IT_IN);
    else if (!singleMode && factors.stage < noteStage)
        app.PlaySample(SOUND_POST_IT_OUT);
    noteStage = factors.stage;

    const auto& common = app.config.common;
    const auto& ispy = app.config.ispy;
    auto drawScaled = [&](Image* image, const NotePlace& place)
    {
        if (image == nullptr)
            return;
        if (place.scale == 1)
            graphics.DrawImage(image, int(place.x), int(place.y));
        else
            graphics.DrawImage(image, Rect(int(place.x), int(place.y), int(place.width), int(place.height)),
                               image->GetRect());
    };
    auto drawLayer = [&](Image* layer, const NotePlace& place, double degrees)
    {
        if (layer == nullptr || layer->GetWidth() == 0)
            return;
        Transform transform;
        if (place.scale != 1)
            transform.Scale(float(place.scale), float(place.scale));
        if (degrees != 0)
            transform.RotateDeg(float(degrees));
        transform.Translate(float(place.x + place.width / 2), float(place.y + place.height / 2));
        graphics.DrawImageTransformF(layer, transform, 0, 0);
    };

    NotePlace panel = PlaceOf(IMAGE_POST_BACK, ispy.BPX, ispy.BPY, factors.panel);
    drawScaled(IMAGE_POST_BACK, panel);
    int notes = singleMode ? 1 : 3;
    for (int note = 0; note < notes; ++note)
        drawScaled(NoteImage(note), NotePlaceOf(note, slide));
    drawLayer(panelLayer.get(), panel, -1);
    double rotations[3] = {common.ListR1, common.ListR2, common.ListR3};
    for (int note = 0; note < notes; ++note)
        drawLayer(noteLayers[size_t(note)].get(), NotePlaceOf(note, slide), rotations[note]);
}

void Board::PaintOwnButton(Graphics& graphics, ButtonWidget* button)
{
    if (button != nullptr)
        button->PaintInPlace(graphics);
}

void Board::PaintButtonsAndGlows(Graphics& graphics)
{
    const auto& ispy = app.config.ispy;
    double slide = ListSlide();
    int alpha = ClampAlpha(std::max(0.0, (1 - slide - 0.5) * 2) * 255);
    graphics.PushState();
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, alpha));
    PaintOwnButton(graphics, hintButton.get());
    if (hintButton != nullptr && !hintButton->isHovered && IMAGE_POST_HINT_B != nullptr)
    {
        double share = ispy.hbn > 0 ? std::min(1.0, double(hintCharge) / ispy.hbn) : 1.0;
        int width = int((IMAGE_POST_HINT_B->GetWidth() - ispy.hbdx) * share);
        if (width > 0)
            graphics.DrawImage(
                IMAGE_POST_HINT_B, hintButton->x, hintButton->y,
                Rect(0, 0, std::min(width, IMAGE_POST_HINT_B->GetWidth()), IMAGE_POST_HINT_B->GetHeight()));
    }
    double ready = (hintCharge - ispy.hbn) * app.config.pages.BBGLOWdT / 10;
    if (ready > 0 && ready < 1)
    {
        graphics.SetColor(Color(255, 255, 255, ClampAlpha(std::sin(std::numbers::pi * ready) * 255)));
        graphics.DrawImage(IMAGE_POST_HINT_BG, ispy.BPHBGX + ispy.BPX, ispy.BPHBGY + ispy.BPY);
        graphics.SetColor(Color(255, 255, 255, alpha));
    }
    PaintOwnButton(graphics, backButton.get());
    if (backGlow > 0 && backGlow < 1)
    {
        graphics.SetColor(Color(255, 255, 255, ClampAlpha(std::sin(std::numbers::pi * backGlow) * 255)));
        graphics.DrawImage(IMAGE_POST_BACK_BG, ispy.BPBGX + ispy.BPX, ispy.BPBGY + ispy.BPY);
    }
    graphics.PopState();
}

void Board::ApplyShowFinger()
{
    if (!app.config.ispy.Show_finger)
        return;
    bool leftUp = manager == nullptr || (manager->physicalButtons & 1) == 0;
    if (!leftUp)
        return;
    for (int index = 0; index < ItemCount() - 1; ++index)
        if (Item(index).found == 0 && Item(index).progress != 0)
            Item(index).progress = 1;
}

int Board::StrikeAmount(float found) const
{
    const auto& ispy = app.config.ispy;
    double edge = (1 - ispy.SMul) / 2;
    if (found < edge)
        return 0;
    if (found < 1 - edge && ispy.SMul > 0)
        return std::clamp(int((found - edge) / ispy.SMul * 255), 0, 255);
    return 255;
}

void Board::StrikeAnimatingEntries()
{
    for (int index = 0; index < ItemCount(); ++index)
    {
        float found = Item(index).found;
        if (found > 0 && found < 1)
            strikeLeans[size_t(index)] = StrikeEntry(index, StrikeAmount(found));
    }
}

void Board::PaintPencils(Graphics& graphics)
{
    if (IMAGE_STROKE == nullptr)
        return;
    const auto& ispy = app.config.ispy;
    double slide = ListSlide();
    double edge = (1 - ispy.SMul) / 2;
    double strokeWidth = IMAGE_STROKE->GetWidth();
    double strokeHeight = IMAGE_STROKE->GetHeight();
    for (int index = 0; index < ItemCount(); ++index)
    {
        const PictureItem& item = Item(index);
        if (!(item.found > 0 && item.found < 1))
            continue;
        int listed = item.isGroupMember ? item.groupLeader : index;
        int entry = listed >= 0 ? EntryOf(listed) : -1;
        if (entry < 0)
            continue;
        NotePlace place = NotePlaceOf(entry % 3, slide);
        Image* note = NoteImage(entry % 3);
        double x = place.x + (note != nullptr ? note->GetWidth() / 2.0 : 0) - strokeWidth / 2;
        double y = RowY(entry / 3) - strokeHeight / 2 + place.y + ispy.SDPY + 2 * strikeLeans[size_t(index)];
        double found = item.found;
        int amount = StrikeAmount(item.found);
        // The pencil comes down to the strike's start, draws it, and lifts off at its end.
        if (found < edge)
            graphics.DrawImageF(IMAGE_PENCIL, float(x + ispy.SDPX), float(y + (1 - found / edge) * ispy.SPen));
        else if (found < 1 - edge)
            graphics.DrawImageF(IMAGE_PENCIL, float(x + amount * strokeWidth / 255 + ispy.SDPX), float(y));
        else
        {
            double lift = edge > 0 ? (found - edge - ispy.SMul) / edge * ispy.SPen : 0;
            graphics.DrawImageF(IMAGE_PENCIL, float(x + strokeWidth + ispy.SDPX), float(y + lift));
        }
    }
}

void Board::PaintFindEffects(Graphics& graphics)
{
    if (IMAGE_EFFECT == nullptr)
        return;
    int cels = std::max(IMAGE_EFFECT->rows * IMAGE_EFFECT->columns, 1);
    for (int index = ItemCount() - 1; index >= 0; --index)
    {
        float found = Item(index).found;
        if (found > 0 && found < 1)
            graphics.DrawImageCel(IMAGE_EFFECT, findEffectX, findEffectY, int(found * float(cels)));
    }
}

void Board::PaintEraser(Graphics& graphics)
{
    const auto& ispy = app.config.ispy;
    double p = penaltyTime;
    if (p <= 0 || ispy.PENALTY_FADE <= 0)
        return;
    double e = p < ispy.PENALTY * 0.5 ? (ispy.PENALTY_FADE - p) / ispy.PENALTY_FADE
                                      : 1 - (ispy.PENALTY - p) / ispy.PENALTY_FADE;
    if (!(e > 0 && e < 1))
        return;
    app.SetCursor(11);
    if (IMAGE_CUR_ERASER == nullptr)
        return;
    graphics.PushState();
    graphics.SetColorizeImages(true);
    graphics.SetColor(Color(255, 255, 255, ClampAlpha(e * 255)));
    graphics.DrawImageF(IMAGE_CUR_ERASER, pointerX - float(IMAGE_CUR_ERASER->GetWidth()) / 2,
                        pointerY - float(IMAGE_CUR_ERASER->GetHeight()) / 2);
    graphics.PopState();
}

} // namespace Vesk
