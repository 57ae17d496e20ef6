#pragma once

#include "framework/appbase/DemoFile.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/ListListener.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class ListWidget;
class ScrollbarWidget;
class VeskAppBase;

// The playback's "Marker List" dialog (key "L" while a demo plays back): the recording's
// markers as "name (hh:mm:ss)", the time counted from the start of the recording. Clicking a
// marker that lies ahead runs the playback to it and closes the list; markers already passed
// are greyed and cannot be chosen (a playback only runs forwards). The button or Escape closes
// it. While it is open the playback stands still and live input goes to it.
//
// Made and added by the application, which deletes it when it closes.
class DemoMarkerDialog : public Dialog, public ListListener
{
public:
    static constexpr int kListId = 1;
    static constexpr int kScrollbarId = 2;
    // Lines shown at once before the list scrolls.
    static constexpr int kVisibleLines = 10;

    DemoMarkerDialog(VeskAppBase* app, const std::vector<DemoFile::Marker>& markers, int currentUpdate);
    ~DemoMarkerDialog() override;

    // "name (hh:mm:ss)" for a marker at this update count.
    static std::string FormatMarker(const DemoFile::Marker& marker, int frameTime);

    // The height that shows everything at this width, the list included.
    int GetPreferredHeight(int width) override;

    void SetBounds(int x, int y, int width, int height) override;
    bool AcceptsFocus() override { return true; }
    void OnKeyPressed(int keyCode) override;
    void OnButtonReleased(int buttonId) override;

    void OnListClicked(int id, int index, int clickCount) override;

    std::unique_ptr<ListWidget> list;
    std::unique_ptr<ScrollbarWidget> scrollbar;

private:
    int ListHeight();

    VeskAppBase* app;
    std::vector<DemoFile::Marker> markers;
    int currentUpdate;
};

} // namespace Vesk
