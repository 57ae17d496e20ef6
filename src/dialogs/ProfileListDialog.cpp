#include "dialogs/ProfileListDialog.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "dialogs/ProfileNames.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/ListWidget.h"
#include "framework/widgets/ScrollbarWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "publication/Page.h"

#include <algorithm>

namespace Vesk::Profile
{
namespace
{

constexpr int kLineHeight = 25;
constexpr int kShownPlayers = 6;
constexpr int kScrollbarWidth = 16;
constexpr int kScreenHeight = 600;

int WidthOf(Image* image)
{
    return image != nullptr ? image->GetWidth() : 0;
}

ProfileDialog::Motion ListMotion(const GameConfig& config)
{
    const auto& g = config.graphics;
    return {g.LX_, g.LY_, g.LJUMP, g.LANIM, g.LDANIM};
}

} // namespace

ListDialog::ListDialog(GameApp& app, const std::string& header, const std::string& playerList,
                       const std::string& currentPlayer)
    : ProfileDialog(app, nullptr, kListDialogId, IMAGE_W_PROFILE, IMAGE_W_PROFILE, IMAGE_BLN_SIMPLE, BUTTONS_NONE,
                    ListMotion(app.config), true, header)
{
    const auto& g = app.config.graphics;
    list = std::make_unique<ListWidget>(1, FONT_MAIN22, this);
    list->itemHeight = kLineHeight;
    list->hasTransparentParts = true;
    const int colours[6][3] = {{g.lbgr, g.lbgg, g.lbgb}, {g.lor, g.log, g.lob},    {g.lptr, g.lptg, g.lptb},
                               {g.lmor, g.lmog, g.lmob}, {g.lbsr, g.lbsg, g.lbsb}, {g.lbur, g.lbug, g.lbub}};
    list->SetPaletteRGB(colours, 6);
    // Selection and hover show only as the text's colour.
    for (int index : {0, 1, 4})
        list->SetPaletteColor(index, Color(0, 0, 0, 0));
    scrollbar = std::make_unique<ScrollbarWidget>(2, list.get());
    scrollbar->SetInvisIfNoScroll(true);

    // Empty fields are skipped: a player without a name would own the players folder itself.
    for (const std::string& name : ProfileNames::Parse(playerList))
        list->AddLine(name, false);
    list->AddLine("", false);
    list->SetSelect(currentPlayer.empty() ? -1 : list->GetLineIdx(currentPlayer));

    buttons = {{Rect(g.lobx, g.loby, g.lobw, g.lobh), false, app.texts.interface.list_ok, g.LB1TX, kOk},
               {Rect(g.lcbx, g.lcby, g.lcbw, g.lcbh), true, app.texts.interface.list_cancel, g.LB2TX, kCancel}};
    resultText = ProfileNames::Format(-1, Players());
    LayoutChildren();
}

ListDialog::~ListDialog()
{
    app.listResult = resultText;
}

void ListDialog::ShowModal()
{
    RunModal();
}

int ListDialog::PlayerCount() const
{
    return int(list->lines.size()) - 1;
}

std::vector<std::string> ListDialog::Players() const
{
    return std::vector<std::string>(list->lines.begin(), list->lines.end() - 1);
}

void ListDialog::LayoutChildren()
{
    if (!list)
        return;
    const auto& g = app.config.graphics;
    const int listWidth = g.liw - (int(list->lines.size()) > kShownPlayers ? kScrollbarWidth : 0);
    list->SetBounds(motion.x + g.lix, motion.y + slideOffset + g.liy, listWidth, g.lih);
    scrollbar->ResizeScrollbar(list->x + list->width, list->y, kScrollbarWidth, list->height);
}

void ListDialog::OnAttachedToManager(WidgetManager* newManager)
{
    ProfileDialog::OnAttachedToManager(newManager);
    newManager->AddChild(list.get());
    newManager->AddChild(scrollbar.get());
}

void ListDialog::OnDetachedFromManager(WidgetManager* oldManager)
{
    oldManager->RemoveChild(list.get());
    oldManager->RemoveChild(scrollbar.get());
    ProfileDialog::OnDetachedFromManager(oldManager);
}

void ListDialog::Tick()
{
    // Hidden for one tick once slid out, so the screen is drawn without the list before the
    // chosen action runs.
    if (closing && slideProgress == 2)
    {
        slideProgress = 0;
        OnButtonReleased(chosenButton);
        return;
    }
    ProfileDialog::Tick();
    const float step = float(app.config.graphics.BDT);
    deleteAnim = std::clamp(deleteAnim + (deleteHovered ? step : -step), 0.0f, 1.0f);
    addHovered = list->hiliteIdx == PlayerCount();
    addAnim = std::clamp(addAnim + (addHovered ? step : -step), 0.0f, 1.0f);
}

void ListDialog::ReportChoice(int buttonId)
{
    slideProgress = 2;
    shown = false;
    slideOffset = kScreenHeight - motion.y;
}

bool ListDialog::OverMark(int line, int x, int y) const
{
    const auto& g = app.config.graphics;
    const int wG = WidthOf(IMAGE_BRG_DELETE);
    const int wN = WidthOf(IMAGE_BRN_DELETE);
    const int top = g.LRY + kLineHeight * line;
    const int markHeight = IMAGE_BRN_DELETE != nullptr ? IMAGE_BRN_DELETE->GetHeight() : kLineHeight;
    return x > g.LRX + wG - wN && x < g.LRX + wN && y > top && y < top + markHeight;
}

void ListDialog::OnPointerMove(int x, int y)
{
    const auto& g = app.config.graphics;
    const int shownPlayers = std::min(kShownPlayers, PlayerCount());
    for (int line = 0; line < shownPlayers; ++line)
    {
        if (OverMark(line, x, y))
            list->SetSelect(line);
    }
    const int selected = list->selectIdx;
    deleteHovered = selected >= 0 && x > g.LRX && x < g.LRX + WidthOf(IMAGE_BRG_DELETE) &&
                    y > g.LRY + kLineHeight * selected && y < g.LRY + kLineHeight * selected + kLineHeight;
    if (!deleteHovered)
        deletePressed = false;
    ProfileDialog::OnPointerMove(x, y);
}

void ListDialog::OnPress(int x, int y, int clickCode)
{
    deletePressed = deleteHovered;
    ProfileDialog::OnPress(x, y, clickCode);
}

void ListDialog::OnRelease(int x, int y, int clickCode)
{
    if (closing)
        return;
    if (deletePressed)
    {
        deletePressed = false;
        deleteHovered = false;
        app.PlaySample(SOUND_CLICK);
        OnButtonReleased(kDelete);
        return;
    }
    for (DrawnButton& button : buttons)
    {
        if (!button.pressed)
            continue;
        button.pressed = false;
        app.PlaySample(SOUND_CLICK);
        // OK without a choice warns at once and the list stays.
        if (button.id == kOk && list->selectIdx < 0)
        {
            (new WarningDialog(app, app.texts.interface.list_nosel))->ShowModal();
            return;
        }
        Choose(button.id);
        app.PlaySample(SOUND_WINDOW_MOVE);
        return;
    }
}

void ListDialog::OnListClicked(int id, int index, int clickCount)
{
    if (id != 1 || closing)
        return;
    app.PlaySample(SOUND_CLICK);
    if (index == PlayerCount() && index < kShownPlayers)
        AddPlayer();
    if (app.isShutdown)
        return;
    list->SetSelect(index == PlayerCount() ? index - 1 : index);
}

void ListDialog::AddPlayer()
{
    for (;;)
    {
        const std::string name = (new InputDialog(app, app.texts.interface.list_add_name))->ShowModal();
        if (name.empty() || app.isShutdown)
            return;
        std::vector<std::string> players = Players();
        const bool exists = std::find(players.begin(), players.end(), name) != players.end();
        players.push_back(name);
        // A list longer than the settings hold would read back empty: every player lost.
        if (exists || !ProfileNames::Fits(players))
        {
            const std::string& why = exists ? app.texts.interface.list_exists_name : app.texts.interface.list_full;
            (new WarningDialog(app, why))->ShowModal();
            if (app.isShutdown)
                return;
            continue;
        }
        list->RemoveLine(PlayerCount());
        list->AddLine(name, false);
        list->AddLine("", false);
        resultText = ProfileNames::Format(-1, Players());
        LayoutChildren();
        return;
    }
}

void ListDialog::DeleteSelected()
{
    const int selected = list->selectIdx;
    if (selected == PlayerCount())
        return;
    if (selected < 0)
        (new WarningDialog(app, app.texts.interface.list_delsel))->ShowModal();
    else if (PlayerCount() == 1)
        (new WarningDialog(app, app.texts.interface.list_lastsel))->ShowModal();
    else if ((new DeleteDialog(app, app.texts.interface.list_del_confirm))->ShowModal() && !app.isShutdown)
    {
        std::vector<std::string> others = Players();
        const std::string name = others[size_t(selected)];
        others.erase(others.begin() + selected);
        (void)ProfileNames::DeletePlayerFolder(app.GetAppDataFolder(), name, others);
        list->RemoveLine(selected);
        // Cancel keeps the deletion: the stored list must not name a player whose save is gone.
        resultText = ProfileNames::Format(-1, Players());
        LayoutChildren();
    }
    // The selection stays on a player, never on the empty line.
    if (selected >= 0)
        list->SetSelect(std::min(selected, PlayerCount() - 1));
}

void ListDialog::Finish(int index)
{
    resultText = ProfileNames::Format(index, Players());
    app.listResult = resultText;
    app.KillDialog(this);
    if (app.pageScreen)
        app.GetWidgetManager()->SetFocusWidget(app.pageScreen.get());
}

void ListDialog::OnButtonReleased(int buttonId)
{
    switch (buttonId)
    {
    case kOk:
        if (list->selectIdx < 0)
        {
            (new WarningDialog(app, app.texts.interface.list_nosel))->ShowModal();
            return;
        }
        Finish(list->selectIdx);
        break;
    case kDelete:
        DeleteSelected();
        break;
    case kCancel:
        Finish(-1);
        break;
    default:
        break;
    }
}

void ListDialog::PaintContent(Graphics& graphics)
{
    const auto& g = app.config.graphics;
    if (FONT_MAIN18 != nullptr)
    {
        graphics.SetFont(FONT_MAIN18);
        graphics.SetColor(Color::Black);
        graphics.DrawStringWordWrapped(app.texts.interface.menu_list_dialog, g.LTX, g.LTY, g.LTW, -1, 0);
    }
    if (IMAGE_DECOR_P != nullptr)
        graphics.DrawImage(IMAGE_DECOR_P, g.LDX, g.LDY);
    PaintDeleteMarks(graphics);
    PaintAddBar(graphics);
}

void ListDialog::PaintDeleteMarks(Graphics& graphics)
{
    if (IMAGE_BRG_DELETE == nullptr || IMAGE_BRN_DELETE == nullptr)
        return;
    const auto& g = app.config.graphics;
    const int wG = WidthOf(IMAGE_BRG_DELETE);
    const int wN = WidthOf(IMAGE_BRN_DELETE);
    const int growth = int(deleteAnim * deleteAnim * g.BDY);
    const int shownPlayers = std::min(kShownPlayers, PlayerCount());
    for (int line = 0; line < shownPlayers; ++line)
    {
        const int y = g.LRY + kLineHeight * line;
        if (line != list->selectIdx)
        {
            graphics.DrawImage(IMAGE_BRG_DELETE, g.LRX, y);
            continue;
        }
        graphics.DrawImage(IMAGE_BRN_DELETE, g.LRX + wG - wN - growth, y);
        graphics.DrawImage(IMAGE_BRN_DELETE, g.LRX + wG - wN - growth / 2, y);
        graphics.DrawImage(IMAGE_BRN_DELETE, g.LRX + wG - wN, y);
    }
}

void ListDialog::PaintAddBar(Graphics& graphics)
{
    const int players = PlayerCount();
    if (players >= kShownPlayers)
        return;
    const auto& g = app.config.graphics;
    const int y = g.LABY + kLineHeight * players;
    const int growth = int(addAnim * addAnim * g.BDY);
    PaintStrip(graphics, IMAGE_BCN_ADD, IMAGE_BRN_SIMPLE, Rect(g.LABX, y, g.LABW, g.LABH), growth, false);
    if (FONT_MAIN22 == nullptr)
        return;
    graphics.SetFont(FONT_MAIN22);
    graphics.SetColor(Color::White);
    graphics.DrawString(app.texts.interface.list_new, g.LABTX, g.LABTY + kLineHeight * players);
}

} // namespace Vesk::Profile
