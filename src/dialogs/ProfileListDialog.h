#pragma once

#include "dialogs/ProfileDialog.h"
#include "framework/widgets/ListListener.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class ListWidget;
class ScrollbarWidget;

namespace Profile
{

// The list of players: choose one, add one (the empty last line), delete one (the mark beside
// the chosen line). The list shows the names in order and ends with the empty line; OK reports
// "index|name|name|" and Cancel "-1|name|name|" (the names left after any deletion) through the
// application's listResult. Deleting removes the player's folder at once, whatever the answer.
class ListDialog : public ProfileDialog, public ListListener
{
public:
    static constexpr int kOk = 1;
    static constexpr int kDelete = 2;
    static constexpr int kCancel = 3;

    ListDialog(GameApp& app, const std::string& header, const std::string& playerList,
               const std::string& currentPlayer);
    ~ListDialog() override;
    void ShowModal();

    void Tick() override;
    void OnPointerMove(int x, int y) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnRelease(int x, int y, int clickCode) override;
    void OnAttachedToManager(WidgetManager* newManager) override;
    void OnDetachedFromManager(WidgetManager* oldManager) override;
    void OnButtonReleased(int buttonId) override;
    void OnListClicked(int id, int index, int clickCount) override;

    // The player names shown, in order (without the empty last line).
    std::vector<std::string> Players() const;
    int PlayerCount() const;

    std::unique_ptr<ListWidget> list;
    std::unique_ptr<ScrollbarWidget> scrollbar;
    std::string resultText;
    bool deleteHovered = false;
    bool deletePressed = false;
    float deleteAnim = 0;
    bool addHovered = false;
    float addAnim = 0;

protected:
    void LayoutChildren() override;
    void PaintContent(Graphics& graphics) override;
    void ReportChoice(int buttonId) override;
    void TickSlideOutList();
    int EscapeButton() const override { return kCancel; }

private:
    void AddPlayer();
    void DeleteSelected();
    void Finish(int index);
    // Whether the line's delete mark lies under the point (dialog coordinates).
    bool OverMark(int line, int x, int y) const;
    void PaintDeleteMarks(Graphics& graphics);
    void PaintAddBar(Graphics& graphics);
};

} // namespace Profile
} // namespace Vesk
