#pragma once

#include "board/BoardHost.h"

#include <vector>

namespace Vesk::TestSupport
{

// The publication screen as the board and the mini-games see it: at rest on a page, shown or
// hidden on demand, the camera zoomed in; slides asked for arrive at once. What the game asks
// of it is recorded.
struct FakePublication : BoardHost
{
    bool IsPublicationShown() override { return shown; }
    int CurrentPage() override { return page; }
    int OpenGate() override { return openGate; }
    bool IsPauseOpen() override { return pauseOpen; }
    double ListSlide() override { return listSlide; }
    int ListSlideDirection() override { return 0; }
    void SetListSlideDirection(int direction) override { slideRequests.push_back(direction); }
    void SetListSlide(double slide) override { listSlide = slide; }
    double Blur() override { return blur; }
    void SetBlurDirection(int direction) override { blurRequests.push_back(direction); }
    double ModeZoom(int) override { return modeZoom; }
    int CurrentMode() override { return mode; }
    bool IsFinalGameShown() override { return false; }
    void SetPageComplete() override { pageComplete = true; }
    void RequestPageAction() override { ++pageActions; }
    void RedrawContentsLight(int redrawn) override { redrawnPage = redrawn; }
    void ClearStickerFades() override {}
    double CoverAlpha() override { return 0; }
    void SetCoverAlpha(double) override {}
    void DrawDeskBackground(Graphics&) override {}
    void DrawOverlays(Graphics&) override {}
    void PaintContentsNote(Graphics&) override {}

    int page = 2;
    bool shown = false;
    int openGate = 0;
    bool pauseOpen = false;
    double listSlide = 0;
    double blur = 0;
    double modeZoom = 1;
    int mode = 0;
    std::vector<int> slideRequests;
    std::vector<int> blurRequests;
    bool pageComplete = false;
    int pageActions = 0;
    int redrawnPage = -1;
};

} // namespace Vesk::TestSupport
