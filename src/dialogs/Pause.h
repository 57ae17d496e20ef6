#pragma once

#include "dialogs/SettingsDialog.h"

namespace Vesk
{

// The settings dialog over a page being played, opened by Escape: the volumes, full screen and
// the tutorial, with a button that continues the game and one that quits it (after the exit
// question). Listed by the application as dialog 900; the publication screen's pauseOpen flag,
// which stops the page clocks, is set while it is up.
class Pause : public SettingsDialog
{
public:
    static constexpr int kPauseDialogId = 900;

    Pause(const std::string& header, const std::string& lines, GameApp& app);

    void OnPress(int x, int y, int clickCode) override;
    // Continue starts the slide-out ((0, 0) is the silent release of Escape); exit asks whether
    // to quit, and the dialog stays in place when the player declines.
    void OnRelease(int x, int y, int clickCode) override;

    DrawnButton continueButton;
    DrawnButton exitButton;

protected:
    void CloseByEscape() override;
    void Remove() override;
    double Growth(const DrawnButton& button) const override;
    void PaintUnderButtons(Graphics& graphics) override;

private:
    void Quit();
};

} // namespace Vesk
