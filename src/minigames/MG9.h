#pragma once

#include "minigames/MiniGame.h"
#include "minigames/PictureResize.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;
class MemoryImage;

// The magnifying-glass capture: a dim scene lit by four flickering lamps hides small objects,
// and a box on the side shows the ones wanted. The player drags a magnifying glass over the
// scene; only the glass shows the objects for sure. Releasing the glass's button captures every
// wanted object under its centre: it flies into its place in the box, its portrait fades, and a
// waiting object drops into the freed place. A press that captures nothing costs a try and plays
// the page's fail scene; the fifth ends the page. An idle player sees a wanted object jiggle.
//
// The picture set (LoadPicture) names each picture by its file name: "b_..." the background,
// "s_d" (d a digit 1..9) an extra picture in front of the scene, and per object key "o_key" its
// scene picture, "p_key" its portrait in the box and "g_key" what the glass shows at its place
// once it is caught. Places are relative to the board. Scene, extra and caught pictures are
// drawn at three times the size they have in the scene, so that the glass (MiniGame9/SCL, 3 for
// that art) shows them as drawn; the scene uses copies reduced once at loading. A portrait
// placed beyond x 800 waits: it is not wanted until it takes a caught object's place.
class MG9 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 39;
    static constexpr int kMaxObjects = 64;
    static constexpr int kLights = 4;
    // The glass's window, square, centred on the glass.
    static constexpr int kViewSize = 90;
    // The glass enlarges at most this much (a larger SCL would ask for enormous pictures).
    static constexpr double kMaxScale = 4;
    // Portraits placed beyond this x wait for a place in the box.
    static constexpr int kWaitingX = 800;

    struct Object
    {
        std::string key;
        std::unique_ptr<DDImage> image;        // drawn at a third of its size in the scene
        std::unique_ptr<MemoryImage> small;    // that third, made once
        std::unique_ptr<MemoryImage> enlarged; // its look in the glass when SCL is not 3
        int width = 0;
        int height = 0;
        int x = 0; // where the scene picture is now (board)
        int y = 0;
        int homeX = 0;
        int homeY = 0;
        int startX = 0;
        int startY = 0;
        std::unique_ptr<DDImage> slotImage;
        int slotX = 0; // its place in the box (board); beyond kWaitingX it waits
        int slotY = 0;
        int fileSlotX = 0; // the place the set gives it
        int fileSlotY = 0;
        std::unique_ptr<DDImage> takenImage;
        std::unique_ptr<MemoryImage> takenEnlarged;
        double found = 0; // 0, 0.01 .. 1 flying into the box, 1 caught

        bool Wanted() const { return slotX <= kWaitingX; }
    };

    struct Extra
    {
        int number = 0;
        std::unique_ptr<DDImage> image;
        std::unique_ptr<MemoryImage> small;
        std::unique_ptr<MemoryImage> enlarged;
        int x = 0;
        int y = 0;
    };

    struct Light
    {
        int countdown = 0;
        bool on = false;
    };

    explicit MG9(GameApp& app);
    ~MG9() override;

    // Reads dir + "picture.cfg" and its pictures, replacing the previous set. Lines of no known
    // kind, out-of-range extra numbers, objects beyond kMaxObjects and objects without a scene
    // picture or portrait are left out with a log line; the rest still plays.
    void LoadPicture(const std::string& dir) override;
    void StartGame(int timeLimitSeconds, int itemCount) override;
    // The page as it looks now (background, lamps, box, extras and objects), in screen
    // coordinates, for the camera's zoom.
    void BuildSnapshot() override;
    void FreePictures() override;

    void SetShown(bool show) override;
    void Tick() override;
    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnPointerDrag(int x, int y) override;
    void OnRelease(int x, int y, int clickCode) override;

    const std::vector<Object>& Objects() const { return objects; }
    const std::vector<Extra>& Extras() const { return extras; }
    Image* Background() const;
    const std::array<Light, kLights>& Lights() const { return lights; }
    // Captures that complete the page: the page's count, at most the objects there are.
    int RequiredFinds() const { return requiredFinds; }
    int FoundCount() const;
    int GlassX() const { return glassX; }
    int GlassY() const { return glassY; }
    bool ButtonDown() const { return buttonDown; }
    // The glass's magnification (MiniGame9/SCL, kept within 0 < SCL <= kMaxScale).
    double Scale() const;
    // Where the glass's button lies on the screen now (its picture's corner).
    int ButtonX() const;
    int ButtonY() const;
    // The object dropping into a freed place, -1 none.
    int ReloadObject() const { return reloadObject; }
    int HintTarget() const { return hintTarget; }

protected:
    void TickRules(float step) override;
    void CompleteByDebugKey() override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;

private:
    void ClearSet();
    void AddPicture(const std::string& dir, const PictureListEntry& entry);
    void AddExtra(const std::string& dir, const PictureListEntry& entry, const std::string& name);
    void DropIncompleteObjects();
    void MakeResizedPictures();

    bool Paused() const;
    bool AcceptsInput() const;
    bool OnButton(int x, int y) const;
    void Capture(Object& object);
    void CaptureUnderGlass();

    void StartLights();
    void TickLights();
    void TickReload(float step);
    void TickCaptures(float step);
    void StartReload(const Object& freed);
    void FinishReload();
    void CaptureRemaining();
    void TickHint();
    void PutHome(Object& object);
    void RestartIdleClock();

    void PaintScene(Graphics& graphics, int offsetX, int offsetY, bool withBackground, bool withPieces) const;
    void PaintLights(Graphics& graphics) const;
    void PaintBlurred(Graphics& graphics, double blur);
    void PrepareBlur();
    uint64_t PiecesState() const;
    void PaintGlass(Graphics& graphics);
    void ComposeView(int boardX, int boardY);

    std::unique_ptr<DDImage> background;
    // The background as the glass enlarges it, made for the glass's window only, and that part
    // with the place it was made for (kept while the glass rests).
    std::unique_ptr<PictureResize::PartEnlarger> backgroundEnlarger;
    std::unique_ptr<MemoryImage> viewBackground;
    bool viewBackgroundMade = false;
    int viewBackgroundLeft = 0;
    int viewBackgroundTop = 0;
    int backgroundX = 0;
    int backgroundY = 0;
    std::vector<Object> objects;
    std::vector<Extra> extras;
    int requiredFinds = 0;

    int glassX = 0;
    int glassY = 0;
    bool dragging = false;
    bool buttonDown = false;
    std::array<Light, kLights> lights{};
    bool lightsStarted = false;
    int reloadObject = -1;
    double reloadTime = 0;
    int reloadTargetY = 0;
    int hintTarget = -1;
    uint32_t lastActivityTime = 0;
    bool hintSoundArmed = true;

    // The glass's window, composed each frame it is drawn.
    std::unique_ptr<MemoryImage> view;
    // The page turn: the background's smear, and the box, extras and objects with their smear.
    std::unique_ptr<MemoryImage> backgroundSmear;
    std::unique_ptr<MemoryImage> pieces;
    std::unique_ptr<MemoryImage> piecesSmear;
    bool blurMade = false;
    uint64_t blurState = 0;
};

} // namespace Vesk
