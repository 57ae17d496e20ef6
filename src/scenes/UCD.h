#pragma once

#include "framework/graphics/Color.h"
#include "framework/widgets/Widget.h"
#include "scenes/SceneScript.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class DDImage;
class GameApp;
class Image;

// The scene player: the widget laid over every screen that plays the story scenes. The game asks
// it to play an event ("open", "done", "intro", ...) or a script file; it shows itself, types the
// script's text into its characters' speech, slides characters in and out, fades, offers
// buttons, lets clicks through its pass-through rectangle to the screen below, and hides itself
// when the script ends. Script reading is SceneReader's; this class gives it a stage.
//
// The game application owns one player for the whole run, added last over the other screens.
// Its rules run once per fixed update from Tick, so a scene plays the same in windowed mode.
class UCD : public Widget, private SceneStage
{
public:
    static constexpr int kMaxCharacters = 32;
    static constexpr int kMaxObjects = 256;
    static constexpr int kMaxButtons = 256;
    static constexpr int kMaxCachedImages = 2048;
    // Commands cost no time: a script that loops through them gives the game back after this
    // many reading steps in one update and goes on in the next.
    static constexpr int kMaxStepsPerUpdate = 4096;

    struct Animation
    {
        std::string label;
        Image* image = nullptr;
        int frame = 0;
        int period = 0;
        int dx = 0;
        int dy = 0;
    };

    struct Character
    {
        std::string name;
        Image* image = nullptr;
        double x = 0;
        double y = 0;
        int targetX = 0;
        int targetY = 0;
        // The slide speed of [in] and [out]; its sign is the direction it came in by.
        double speed = 0;
        // As given by [char]; restored when a scene starts.
        double startSpeed = 0;
        // The glide of [move] and [slide] toward the target (0 when arrived).
        double glideX = 0;
        double glideY = 0;
        std::string text;
        int textX = 100;
        int textY = 100;
        int textWidth = 180;
        Color textColor{255, 255, 255, 255};
        int lineSpacing = -1;
        std::string expression = ":-|";
        std::vector<Animation> animations;
        bool mirrored = false;
        double turnDelay = 0;
        double turnClock = 0;

        int ImageWidth() const;
        bool OffScreen() const { return x < -ImageWidth() || x >= 800; }
    };

    struct SceneObject
    {
        std::string name;
        Image* image = nullptr;
        double x = 0;
        double y = 0;
        int ax = 0;
        int ay = 0;
        int period = 1000;
        // A framed box when both are above 0, else a picture.
        int boxWidth = 0;
        int boxHeight = 0;
        int targetX = 0;
        int targetY = 0;
        double speedX = 0;
        double speedY = 0;
        // A box's panel, put together from the nine cells once when the box is added.
        std::unique_ptr<DDImage> panel;
    };

    struct SceneButton
    {
        std::string name = "ok";
        Image* image = nullptr;
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        int dx = 1;
        int dy = 1;
    };

    struct CachedImage
    {
        std::unique_ptr<DDImage> image;
        std::string name;
        bool temporary = false;
    };

    explicit UCD(GameApp& app);
    ~UCD() override;

    // Plays the script of event (a script file when event names none). A missing script leaves
    // nothing on screen: the player is "Done" and idle at the next update.
    void PlayScene(const std::string& event);
    void ResumeFromPlaytime();
    // Ends the scene from any state as its skip button does (without the click): the characters
    // leave, the scene's sounds stop and the scene is done at the next update.
    void Skip();
    // A scene is on (not idle).
    bool Playing() const { return !state.empty(); }

    void Tick() override;
    // One update's rules with step f (1.0 per 10 ms update).
    void TickRules(float f);
    void Paint(Graphics& graphics) override;
    void OnPress(int x, int y, int clickCode) override;
    void OnRelease(int x, int y, int clickCode) override;
    void OnPointerDrag(int x, int y) override;
    void OnPointerMove(int x, int y) override;

    // The index of the character or button with this name; -1 without one.
    int FindCharacter(const std::string& name) const;
    int FindButton(const std::string& name) const;

    GameApp& app;
    std::string state;
    std::string savedState;
    std::string lastEvent;
    SceneReader reader;
    int pauseLength = 0;
    uint32_t stepTime = 0;
    bool ignoreClicks = false;
    std::vector<CachedImage> imageCache;
    std::vector<SceneObject> objects;
    std::vector<SceneButton> buttons;
    int animCounter = 0;
    int pressedButton = -1;
    // The screen a press was let through to, until its release: it gets the drags and the release.
    Widget* heldTarget = nullptr;
    std::vector<Character> characters;
    int currentCharacter = -1;
    std::array<int, 4> passRect{};
    std::string fadeType;
    double fadeLength = 0;
    double fadeClock = 0;
    // The scripted page drag (rate 0: none); the phase carries over from one drag to the next.
    float dragPhase = 0;
    double dragRate = 0;
    double dragAmplitude = 0;
    double dragOffset = 0;
    int dragX = 0;
    bool restoreMusic = false;
    int musicAfterScene = 1;
    int pendingSound = 0;
    bool hasPendingSound = false;

private:
    // SceneStage
    void ShowMessage(const SceneMessage& message) override;
    void TypeText(const std::string& text) override;
    bool WordStartsNewLine(const std::string& word) override;
    bool FileExists(const std::string& path) override;
    void Execute(const SceneCommand& command) override;

    // Reads the event's files into the reader; false when there is nothing to play.
    bool LoadScript(const std::string& event);
    void ResetForScene();
    uint32_t Now() const;
    Character* Current();
    void Error(const std::string& text);

    // The update's steps, in order.
    void TickPageDrag(float f);
    void TickFade(float f);
    void TickObjects(float f);
    void TickCharacters(float f);
    void TickState();
    void TickReading();
    void TickSlideIn();
    void TickSlideOut();
    void FinishScene();
    void ReleasePageDrag();

    // Commands that change the scene.
    Image* CachedOrLoaded(const std::string& name);
    void AddCharacter(const SceneCommand& command);
    void SlideCharacter(const std::string& name, bool in);
    void AddAnimation(const SceneCommand& command);
    void Glide(const std::string& name, int x, const int* y, double time);
    void AddObject(const SceneCommand& command, bool box);
    void AddButton(const SceneCommand& command);
    void StartFade(const char* type, double length);
    void StartPageDrag(const SceneCommand& command);
    void PlaySound(int id);

    // Painting steps.
    void PaintFadeSetUp(Graphics& graphics, double a);
    void PaintObjects(Graphics& graphics);
    // Draws object's image cut into 3 x 3 cells onto graphics as a box at (x, y): corners as they
    // are, edges and centre stretched.
    static void PaintBox(Graphics& graphics, const SceneObject& object, int x, int y);
    void PaintFadeOver(Graphics& graphics, double a);
    void PaintTexts(Graphics& graphics);
    void PaintCharacters(Graphics& graphics);
    void PaintAnimations(Graphics& graphics);
    void PaintButtons(Graphics& graphics);
    void PaintDragFinger(Graphics& graphics);

    // The pass-through rectangle holds the point (strictly inside).
    bool InPassRect(int x, int y) const;
    // The screen below the player that pass-through input goes to (null when none).
    Widget* PassTarget() const;
};

} // namespace Vesk
