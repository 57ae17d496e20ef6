#pragma once

#include "dialogs/SettingsDialog.h"

namespace Vesk
{

// The settings dialog of the menu page: the volumes, full screen and the tutorial, with one
// close button. Listed by the application as dialog 6; once it has sunk out it kills itself and
// hands the keyboard back to the publication screen.
class Options : public SettingsDialog
{
public:
    Options(const std::string& header, const std::string& lines, GameApp& app);

    void OnPress(int x, int y, int clickCode) override;
    // A release on the pressed close button starts the slide-out; (0, 0) is the silent release
    // of Escape.
    void OnRelease(int x, int y, int clickCode) override;

    DrawnButton closeButton;

protected:
    void CloseByEscape() override;
    void Remove() override;
    double Growth(const DrawnButton& button) const override;
};

} // namespace Vesk
