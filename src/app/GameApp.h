#pragma once

#include "framework/appbase/VeskAppBase.h"

#include <string>

namespace Vesk
{

// The game's application object: the start-up and shut-down of Orlo on top of the framework's
// application base, the configuration and content of the publication, the current player's
// progress, the screen widgets and the log file.
class GameApp : public VeskAppBase
{
public:
    GameApp();
    ~GameApp() override;

    void Init() override;

    // Appends one line to "log.txt" when that file exists; otherwise the line is dropped.
    void Log(const std::string& text);

    // The page picture's size in pixels and the reciprocals the drawing code multiplies by.
    double pageWidth = 767.0;
    double pageHeight = 532.0;
    double pageFullHeight = 588.0;
    double pageWidthInv = 1.0 / 767.0;
    double pageHeightInv = 1.0 / 532.0;
    double pageFullHeightInv = 1.0 / 588.0;

    std::string playerName;
};

// The game's application object (null when none exists).
extern GameApp* gGameApp;

} // namespace Vesk
