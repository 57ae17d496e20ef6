#pragma once

#include "minigames/MiniGame.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Vesk
{

class DDImage;
class MemoryImage;

// The magnifier search: insects hidden in a scene are to be clicked one after another, always
// the one shown last (rightmost) on the strip of pictures of those still wanted. A magnifying
// glass follows the pointer over the scene and shows it enlarged. A wrong insect costs a try and
// plays the page's fail scene; the fifth ends the page. An idle player sees the wanted insect
// jiggle, as on the hidden-object pages.
//
// The picture set (LoadPicture) names each picture by its file name: "b_..." the scene's
// background, "s_key" an insect in the scene, "p_key" its picture on the strip, "v_key" its
// enlarged picture for the glass (optional). Positions are relative to the board. The strip's
// places are those of the "p_" pictures, taken from left to right in the order the insects are
// wanted, so the insect to click is always the last one on the strip.
//
// The glass shows the scene enlarged by MiniGame8/SCL. Every picture is enlarged once when the
// set is loaded (an insect's "v_" picture is taken as it is when it has the enlarged size) and
// each frame draws the few that lie under the glass into its small window, so the view is as
// sharp as the pictures allow and costs little. A close-up is centred on its insect, so one cut a
// little wider than twice the insect's picture still sits right.
class MG8 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 38;
    static constexpr int kMaxObjects = 64;
    // The glass's window, square, centred on the glass.
    static constexpr int kViewSize = 90;
    static constexpr int kCursorHidden = 11;
    // The glass enlarges at most this much (a larger SCL would ask for enormous pictures).
    static constexpr double kMaxScale = 4;

    // One insect: where it lies in the scene, its picture on the strip and its enlarged look.
    struct Object
    {
        std::string key;
        std::unique_ptr<DDImage> sceneImage;
        int width = 0;
        int height = 0;
        int homeX = 0; // relative to the board
        int homeY = 0;
        int x = 0; // moves while the insect jiggles as a hint
        int y = 0;
        std::unique_ptr<DDImage> stripImage;
        int stripX = 0;
        int stripY = 0;
        std::unique_ptr<DDImage> viewImage;
        // The scene picture at the glass's scale (the "v_" close-up or an enlarged copy), drawn
        // centred on the insect.
        std::unique_ptr<MemoryImage> enlarged;
        std::unique_ptr<MemoryImage> enlargedStrip;
        double found = 0; // 0 wanted, 0.01 .. 1 sliding off the strip, 1 found
    };

    explicit MG8(GameApp& app);
    ~MG8() override;

    // Reads dir + "picture.cfg" and its pictures, replacing the previous set. Lines of no known
    // kind, insects beyond kMaxObjects and insects without their scene or strip picture are left
    // out with a log line; the rest still plays.
    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    // The scene as it looks now: background, strip and insects, in screen coordinates.
    void BuildSnapshot() override;
    void FreePictures() override;

    void SetShown(bool show) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnPointerMove(int x, int y) override;
    void OnPointerDrag(int x, int y) override;
    void OnRelease(int x, int y, int clickCode) override;

    const std::vector<Object>& Objects() const { return objects; }
    Image* Background() const;
    // Indices into Objects() in the order they are wanted: the strip shows order[0 .. wanted-1].
    const std::vector<int>& Order() const { return order; }
    int Wanted() const { return wanted; }
    // The insect to click now (the last on the strip), -1 none.
    int WantedObject() const;
    // Finds that complete the page: the page's count, at most the insects that can be wanted.
    int RequiredFinds() const { return requiredFinds; }
    int FoundCount() const;
    // The strip place of the order-th wanted insect, relative to the board.
    void StripPlace(int orderIndex, int& x, int& y) const;
    // The glass's centre on the screen.
    int GlassX() const { return glassX; }
    int GlassY() const { return glassY; }
    // The glass's magnification (MiniGame8/SCL, kept within 0 < SCL <= kMaxScale).
    double Scale() const;
    // How strongly the glass is drawn, 0..255 (it fades outside its rectangle), at its centre.
    int GlassAlpha(int centreX, int centreY) const;

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    bool OwnsCursor() const override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const PictureListEntry& entry);
    void DropIncompleteObjects();
    void BuildOrder();
    void MakeEnlargedPictures();
    void ResetObjects();

    void SlideFoundObjects(float step);
    void TickHint();
    void PutHome(Object& object);
    bool NearWanted(int x, int y) const;
    void RestartIdleClock();
    void WrongObject();
    int ObjectAt(int boardX, int boardY) const;

    bool Paused() const;
    bool AcceptsClicks() const;
    void MoveGlass(int x, int y);
    bool GlassHidesCursor() const;
    void UpdateCursor();

    // Draws background, strip and insects with the board's corner at (offsetX, offsetY).
    void PaintScene(Graphics& graphics, int offsetX, int offsetY, bool background, bool pieces) const;
    void PaintBlurred(Graphics& graphics, double blur);
    void PrepareBlur();
    uint64_t FoundMask() const;
    void PaintGlass(Graphics& graphics);
    void ComposeView(int centreX, int centreY);

    std::unique_ptr<DDImage> background;
    int backgroundX = 0;
    int backgroundY = 0;
    std::unique_ptr<MemoryImage> enlargedBackground;
    std::vector<Object> objects;
    std::vector<int> order;
    // The strip's places from left to right (relative to the board).
    std::vector<std::pair<int, int>> stripPlaces;
    int wanted = 0;
    int requiredFinds = 0;

    int glassX = 400;
    int glassY = 600;
    int pointerX = -1;
    int pointerY = -1;
    bool cursorHidden = false;
    uint32_t lastActivityTime = 0;
    bool hintSoundArmed = true;
    bool hintShowing = false;

    // The glass's window, composed each frame it is drawn.
    std::unique_ptr<MemoryImage> view;
    // The page turn: the background's smear, and the strip and insects with their smear.
    std::unique_ptr<MemoryImage> backgroundSmear;
    std::unique_ptr<MemoryImage> pieces;
    std::unique_ptr<MemoryImage> piecesSmear;
    bool blurMade = false;
    uint64_t blurFound = 0;
};

} // namespace Vesk
