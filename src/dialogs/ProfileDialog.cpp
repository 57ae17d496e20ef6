#include "dialogs/ProfileDialog.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "dialogs/ProfileNames.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "minigames/MGLast.h"
#include "minigames/MiniGame.h"
#include "publication/Page.h"

#include <algorithm>
#include <cmath>

namespace Vesk::Profile
{
namespace
{

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kEscapeKey = 27;
constexpr int kEditId = 989;

int WidthOf(Image* image)
{
    return image != nullptr ? image->GetWidth() : 0;
}

int HeightOf(Image* image)
{
    return image != nullptr ? image->GetHeight() : 0;
}

} // namespace

ProfileDialog::ProfileDialog(GameApp& app, Widget* parentWidget, int dialogId, Image* windowImage, Image* boundsImage,
                             Image* buttonImage, int buttonMode, const Motion& motion, bool darken,
                             const std::string& header)
    : Dialog(windowImage, buttonImage, dialogId, true, header, "", "", buttonMode), app(app),
      parentWidget(parentWidget), windowImage(windowImage), motion(motion), darken(darken)
{
    if (yesButton)
        yesButton->shown = false;
    if (noButton)
        noButton->shown = false;
    clipToBounds = false;
    slideOffset = kScreenHeight - motion.y;
    const int boundsWidth = WidthOf(boundsImage);
    const int boundsHeight = HeightOf(boundsImage);
    const int areaWidth = parentWidget != nullptr ? parentWidget->width : app.width;
    const int areaHeight = parentWidget != nullptr ? parentWidget->height : app.height;
    Dialog::SetBounds((areaWidth - boundsWidth) / 2, (areaHeight - boundsHeight) / 2, boundsWidth, boundsHeight);
    SetBounds(x, y, boundsWidth, boundsHeight);
    acceptsFocus = true;
    app.PlaySample(SOUND_WINDOW_MOVE);
}

ProfileDialog::~ProfileDialog() = default;

int ProfileDialog::RunModal()
{
    app.AddDialog(id, this);
    return WaitForResult(true);
}

bool ProfileDialog::IsTopModal() const
{
    return manager != nullptr && manager->modalBase == this;
}

int ProfileDialog::EscapeButton() const
{
    for (const DrawnButton& button : buttons)
    {
        if (button.id == kNoButtonId)
            return kNoButtonId;
    }
    return 0;
}

void ProfileDialog::Choose(int buttonId)
{
    chosenButton = buttonId;
    closing = true;
}

void ProfileDialog::ReportChoice(int buttonId)
{
    Dialog::OnButtonReleased(buttonId);
}

void ProfileDialog::Tick()
{
    Dialog::Tick();
    TickEscape();
    TickHover();
    if (closing)
        TickSlideOut();
    else
        TickSlideIn();
}

void ProfileDialog::OnKeyPressed(int keyCode)
{
    if (keyCode == kEscapeKey)
        escapePressed = true;
}

void ProfileDialog::TickEscape()
{
    if (!focusTaken && IsTopModal())
    {
        focusTaken = true;
        manager->SetFocusWidget(KeyTarget());
    }
    const bool pressed = escapePressed;
    escapePressed = false;
    if (!pressed || closing || slideProgress < 1 || !IsTopModal() || app.IsMuted())
        return;
    if (int button = EscapeButton(); button != 0)
    {
        app.PlaySample(SOUND_WINDOW_MOVE);
        Choose(button);
    }
}

void ProfileDialog::TickSlideIn()
{
    if (slideProgress >= 1)
        return;
    slideProgress += float(motion.inStep);
    if (slideProgress >= 1)
    {
        slideProgress = 1;
        slideOffset = 0;
        SetBounds(x, y, width, height);
        OnSlidIn();
        return;
    }
    const int jump = motion.jump;
    int offset = int((2 * jump - motion.y + kScreenHeight) * (1 - slideProgress) - 2 * jump);
    if (offset < -jump)
        offset = -offset - 2 * jump;
    if (offset < 0 && jump != 0)
    {
        constexpr float kQuarterTurn = 1.5707964f;
        offset = int(jump * std::sin(offset * kQuarterTurn / jump) / kQuarterTurn);
    }
    slideOffset = offset;
    SetBounds(x, y, width, height);
}

void ProfileDialog::TickSlideOut()
{
    if (slideProgress <= 0)
        return;
    slideProgress -= float(motion.outStep);
    if (slideProgress <= 0)
    {
        slideProgress = 0;
        slideOffset = kScreenHeight - motion.y;
        SetBounds(x, y, width, height);
        ReportChoice(chosenButton);
        return;
    }
    slideOffset = int((kScreenHeight - motion.y) * (1 - slideProgress));
    SetBounds(x, y, width, height);
}

void ProfileDialog::TickHover()
{
    const float step = float(app.config.graphics.BDT);
    for (DrawnButton& button : buttons)
        button.hoverAnim = std::clamp(button.hoverAnim + (button.hovered ? step : -step), 0.0f, 1.0f);
}

void ProfileDialog::SetBounds(int x, int y, int width, int height)
{
    Dialog::SetBounds(motion.x, motion.y + slideOffset, width, height);
    LayoutChildren();
}

void ProfileDialog::Paint(Graphics& graphics)
{
    if (darken)
    {
        const int alpha = int(slideProgress * 255 * app.config.graphics.BLACK);
        graphics.SetColor(Color(0, 0, 0, std::clamp(alpha, 0, 255)));
        graphics.FillRect(-x, -y, kScreenWidth, kScreenHeight);
    }
    if (windowImage != nullptr)
        graphics.DrawImage(windowImage, 0, 0);
    PaintContent(graphics);
    for (const DrawnButton& button : buttons)
        PaintButton(graphics, button);
}

void ProfileDialog::PaintStrip(Graphics& graphics, Image* strip, Image* capImage, const Rect& rect, int growth,
                               bool rightAnchored)
{
    if (strip == nullptr)
        return;
    const int cap = WidthOf(capImage) / 3;
    const int middleWidth = rect.width - 2 * cap + growth + 1;
    if (rightAnchored)
    {
        graphics.DrawImageCel(strip, rect.x - growth, rect.y, 0);
        graphics.DrawImageCel(strip, Rect(rect.x + cap - growth, rect.y, middleWidth, rect.height), 1);
        graphics.DrawImageCel(strip, rect.x + rect.width - cap, rect.y, 2);
    }
    else
    {
        graphics.DrawImageCel(strip, rect.x, rect.y, 0);
        graphics.DrawImageCel(strip, Rect(rect.x + cap, rect.y, middleWidth, rect.height), 1);
        graphics.DrawImageCel(strip, rect.x + rect.width - cap + growth, rect.y, 2);
    }
}

void ProfileDialog::PaintButton(Graphics& graphics, const DrawnButton& button)
{
    const int growth = int(button.hoverAnim * button.hoverAnim * app.config.graphics.BDY);
    if (button.rightAnchored)
        PaintStrip(graphics, IMAGE_BRH_SIMPLE, IMAGE_BRN_SIMPLE, button.rect, growth, true);
    else
        PaintStrip(graphics, IMAGE_BLH_SIMPLE, IMAGE_BLN_SIMPLE, button.rect, growth, false);
    if (FONT_MAIN22 == nullptr)
        return;
    graphics.SetFont(FONT_MAIN22);
    graphics.SetColor(button.pressed ? Color::Black : Color::White);
    graphics.DrawString(button.label, button.rect.x + button.labelX, button.rect.y + app.config.graphics.LBTY);
}

void ProfileDialog::OnPointerMove(int x, int y)
{
    for (DrawnButton& button : buttons)
    {
        const Rect& r = button.rect;
        button.hovered = x > r.x && x < r.x + r.width && y > r.y && y < r.y + r.height;
        if (!button.hovered)
            button.pressed = false;
    }
}

void ProfileDialog::OnPress(int x, int y, int clickCode)
{
    for (DrawnButton& button : buttons)
        button.pressed = button.hovered;
}

void ProfileDialog::OnRelease(int x, int y, int clickCode)
{
    for (DrawnButton& button : buttons)
    {
        if (!button.pressed || closing)
            continue;
        button.pressed = false;
        app.PlaySample(SOUND_CLICK);
        Choose(button.id);
        app.PlaySample(SOUND_WINDOW_MOVE);
        return;
    }
}

// ---------------------------------------------------------------------------------------
// The confirmations

namespace
{

ProfileDialog::Motion ExitMotion(const GameConfig& config)
{
    const auto& g = config.graphics;
    return {g.XX_, g.XY_, g.XJUMP, g.XANIM, g.XDANIM};
}

} // namespace

ExitDialog::ExitDialog(GameApp& app, Widget* parentWidget, const std::string& header)
    : ProfileDialog(app, parentWidget, kDialogId, IMAGE_W_SIMPLE, IMAGE_W_WARNING, IMAGE_BLN_SIMPLE, BUTTONS_OK_CANCEL,
                    ExitMotion(app.config), parentWidget != nullptr, header)
{
    const auto& g = app.config.graphics;
    const auto& texts = app.texts.interface;
    buttons = {{Rect(g.DOBX, g.EBY, g.DOBW, g.EBH), false, texts.confirm_button1, g.DB1TX, kYesButtonId},
               {Rect(g.DCBX, g.EBY, g.DCBW, g.EBH), true, texts.confirm_button2, g.DB2TX, kNoButtonId}};
    app.SetCursor(0);
}

bool ExitDialog::ShowModal()
{
    return RunModal() == kYesButtonId;
}

void ExitDialog::PaintContent(Graphics& graphics)
{
    const auto& g = app.config.graphics;
    if (IMAGE_DECOR_Q != nullptr)
        graphics.DrawImage(IMAGE_DECOR_Q, (width - IMAGE_DECOR_Q->GetWidth()) / 2, g.XHY);
    if (FONT_MAIN18 == nullptr)
        return;
    graphics.SetFont(FONT_MAIN18);
    graphics.SetColor(Color::Black);
    // Over a mini-game the question also says that the game in progress is lost.
    MiniGame* game = app.ShownMiniGame();
    bool overMiniGame = game != nullptr && game != app.MiniGameOfMode(Page::kModeFinalGame);
    graphics.DrawStringWordWrapped(overMiniGame ? app.texts.interface.exit2 : app.texts.interface.exit, g.WTX, g.WTY,
                                   g.WTW, -1, 0);
}

LoadDialog::LoadDialog(GameApp& app, Widget* parentWidget, const std::string& header)
    : ProfileDialog(app, parentWidget, kDialogId, IMAGE_W_WARNING, IMAGE_W_WARNING, IMAGE_BLN_SIMPLE, BUTTONS_OK_CANCEL,
                    ExitMotion(app.config), true, header)
{
    app.SetCursor(0);
}

bool LoadDialog::ShowModal()
{
    RunModal();
    return true;
}

void LoadDialog::Tick()
{
    // The slide-in follows the smooth updates when the application runs them; the slide-out
    // and, without smooth updates, the slide-in run on the fixed ones, so the dialog always ends.
    Dialog::Tick();
    if (closing)
        TickSlideOut();
    else if (!smoothUpdates)
        TickSlideIn();
}

void LoadDialog::TickSmooth(float fraction)
{
    ProfileDialog::TickSmooth(fraction);
    smoothUpdates = true;
    if (fraction <= 3 && !closing)
        TickSlideIn();
}

void LoadDialog::OnSlidIn()
{
    app.SetCursor(10);
    app.LoadGame();
    if (auto* last = dynamic_cast<MGLast*>(app.MiniGameOfMode(Page::kModeFinalGame)); last != nullptr)
        last->DrawPreparedNotes();
    app.ChangeSet(false);
    app.SetCursor(10);
    app.ResetTiming();
    Choose(kYesButtonId);
    app.PlaySample(SOUND_WINDOW_MOVE);
}

void LoadDialog::PaintContent(Graphics& graphics)
{
    if (FONT_MAIN22 == nullptr)
        return;
    const auto& g = app.config.graphics;
    graphics.SetFont(FONT_MAIN22);
    graphics.SetColor(Color::Black);
    graphics.DrawStringWordWrapped(app.texts.interface.loading, g.WTX, g.WTY, g.WTW, -1, 0);
}

WarningDialog::WarningDialog(GameApp& app, const std::string& message)
    : ProfileDialog(app, nullptr, kDialogId, IMAGE_W_WARNING, IMAGE_W_WARNING, IMAGE_BLN_SIMPLE, BUTTONS_OK_CANCEL,
                    {app.config.graphics.WX_, app.config.graphics.WY_, app.config.graphics.WJUMP,
                     app.config.graphics.WANIM, app.config.graphics.WDANIM},
                    false, message),
      message(message)
{
    const auto& g = app.config.graphics;
    buttons = {{Rect(g.WBX, g.EBY, g.WBW, g.EBH), true, app.texts.interface.list_ok, g.WBTX, kYesButtonId}};
    app.PlaySample(SOUND_WARNING);
}

int WarningDialog::ShowModal()
{
    return RunModal();
}

void WarningDialog::OnRelease(int x, int y, int clickCode)
{
    for (DrawnButton& button : buttons)
    {
        if (!button.pressed || closing)
            continue;
        button.pressed = false;
        app.PlaySample(SOUND_WINDOW_MOVE);
        Choose(button.id);
        app.PlaySample(SOUND_CLICK);
        return;
    }
}

void ProfileDialog::PaintWarningText(Graphics& graphics, const std::string& heading, int headingY,
                                     const std::string& text, int x, int y, int wrapWidth)
{
    const auto& g = app.config.graphics;
    if (FONT_MAIN24 != nullptr)
    {
        graphics.SetFont(FONT_MAIN24);
        graphics.SetColor(Color(g.RED1, g.RED2, g.RED3));
        graphics.WriteString(heading, width / 2, headingY, -1, 0);
    }
    if (FONT_MAIN18 != nullptr)
    {
        graphics.SetFont(FONT_MAIN18);
        graphics.SetColor(Color::Black);
        graphics.DrawStringWordWrapped(text, x, y, wrapWidth, -1, 0);
    }
}

void WarningDialog::PaintContent(Graphics& graphics)
{
    const auto& g = app.config.graphics;
    PaintWarningText(graphics, app.texts.interface.message_dialog, g.WHY, message, g.WTX, g.WTY, g.WTW);
}

DeleteDialog::DeleteDialog(GameApp& app, const std::string& header)
    : ProfileDialog(app, nullptr, kDialogId, IMAGE_W_WARNING, IMAGE_W_WARNING, IMAGE_BLN_SIMPLE, BUTTONS_OK_CANCEL,
                    {app.config.graphics.DX_, app.config.graphics.DY_, app.config.graphics.DJUMP,
                     app.config.graphics.DANIM, app.config.graphics.DDANIM},
                    false, header)
{
    const auto& g = app.config.graphics;
    const auto& texts = app.texts.interface;
    buttons = {{Rect(g.DOBX, g.EBY, g.DOBW, g.EBH), false, texts.confirm_button1, g.DB1TX, kYesButtonId},
               {Rect(g.DCBX, g.EBY, g.DCBW, g.EBH), true, texts.confirm_button2, g.DB2TX, kNoButtonId}};
}

bool DeleteDialog::ShowModal()
{
    return RunModal() == kYesButtonId;
}

void DeleteDialog::PaintContent(Graphics& graphics)
{
    const auto& g = app.config.graphics;
    PaintWarningText(graphics, app.texts.interface.list_delete, g.DHY, app.texts.interface.list_del_confirm, g.DTX,
                     g.DTY, g.DTW);
}

// ---------------------------------------------------------------------------------------
// The name dialogs

NameDialog::NameDialog(GameApp& app, Image* buttonImage, int buttonMode, bool darken, const std::string& header)
    : ProfileDialog(app, nullptr, kDialogId, IMAGE_W_NAME, IMAGE_W_NAME, buttonImage, buttonMode,
                    {app.config.graphics.EX_, app.config.graphics.EY_, app.config.graphics.EJUMP,
                     app.config.graphics.EANIM, app.config.graphics.EDANIM},
                    darken, header),
      typed(std::make_shared<std::string>())
{
    edit = std::make_unique<EditWidget>(kEditId, this);
    edit->SetFont(FONT_MAIN22);
    edit->maxChars = app.config.common.LongestName;
    edit->SetPaletteColor(0, Color(0, 0, 0, 0));
    edit->SetPaletteColor(1, Color(0, 0, 0, 0));
    edit->SetPaletteColor(2, Color::White);
    LayoutChildren();
}

NameDialog::~NameDialog()
{
    *typed = edit->text;
}

void NameDialog::Tick()
{
    ProfileDialog::Tick();
    *typed = edit->text;
}

bool NameDialog::AllowEditChar(int id, int character)
{
    // The player list separates names with "|".
    return character != '|';
}

bool NameDialog::AllowEditKey(int id, int keyCode)
{
    if (keyCode != kEscapeKey)
        return true;
    escapePressed = true;
    return false;
}

Widget* NameDialog::KeyTarget()
{
    return edit.get();
}

void NameDialog::LayoutChildren()
{
    if (!edit)
        return;
    const auto& g = app.config.graphics;
    edit->SetBounds(motion.x + width / 2 - g.EEW / 2, motion.y + slideOffset + g.EEY, g.EEW, g.EEH);
}

void NameDialog::OnAttachedToManager(WidgetManager* newManager)
{
    ProfileDialog::OnAttachedToManager(newManager);
    newManager->AddChild(edit.get());
}

void NameDialog::OnDetachedFromManager(WidgetManager* oldManager)
{
    oldManager->RemoveChild(edit.get());
    ProfileDialog::OnDetachedFromManager(oldManager);
}

void NameDialog::OnEditText(int id, const std::string& text)
{
    if (closing)
        return;
    *typed = edit->text;
    result = kYesButtonId;
    waitState->result = kYesButtonId;
    app.KillDialog(this);
}

void NameDialog::PaintContent(Graphics& graphics)
{
    if (FONT_MAIN18 == nullptr)
        return;
    graphics.SetFont(FONT_MAIN18);
    graphics.SetColor(Color::Black);
    graphics.WriteString(app.texts.interface.list_add_name, width / 2, app.config.graphics.ETY, -1, 0);
}

std::string NameDialog::RunForName()
{
    std::shared_ptr<std::string> text = typed;
    const int longest = app.config.common.LongestName;
    const int answer = RunModal();
    const std::string name = ProfileNames::CleanName(*text, longest);
    return answer == kYesButtonId && ProfileNames::IsAcceptable(name) ? name : std::string();
}

FirstInputDialog::FirstInputDialog(GameApp& app, const std::string& header)
    : NameDialog(app, IMAGE_BRN_SIMPLE, BUTTONS_FOOTER, true, header)
{
    const auto& g = app.config.graphics;
    buttons = {{Rect(g.EO1BX, g.EBY, g.EO1BW, g.EBH), true, app.texts.interface.list_ok, g.EO1BTX, kYesButtonId}};
    edit->SetText(app.texts.common.default_name, true);
}

std::string FirstInputDialog::ShowModal()
{
    // The dialog is deleted once its modal loop has ended: after it, only locals are used.
    GameApp& game = app;
    const std::string name = RunForName();
    // The new game was saved under the offered name when the game started. Its progress goes
    // with the name the player keeps (the offered one cleaned when nothing usable was typed),
    // so the offered name's folder goes unless it is a listed player's. After a quit from the
    // dialog the game is saved under the offered name, which then stays.
    const std::string offered = game.playerName;
    const std::string kept =
        name.empty() ? ProfileNames::CleanName(game.texts.common.default_name, game.config.common.LongestName) : name;
    const std::vector<std::string> listed = ProfileNames::Parse(game.allPlayers);
    if (!game.isShutdown && kept != offered && std::find(listed.begin(), listed.end(), offered) == listed.end())
        (void)ProfileNames::DeletePlayerFolder(game.GetAppDataFolder(), offered, {kept});
    return name;
}

InputDialog::InputDialog(GameApp& app, const std::string& header)
    : NameDialog(app, IMAGE_BLN_SIMPLE, BUTTONS_OK_CANCEL, false, header)
{
    const auto& g = app.config.graphics;
    const auto& texts = app.texts.interface;
    buttons = {{Rect(g.EOBX, g.EBY, g.EOBW, g.EBH), false, texts.list_ok, g.LB1TX, kYesButtonId},
               {Rect(g.ECBX, g.EBY, g.ECBW, g.EBH), true, texts.list_cancel, g.LB2TX, kNoButtonId}};
}

std::string InputDialog::ShowModal()
{
    return RunForName();
}

} // namespace Vesk::Profile
