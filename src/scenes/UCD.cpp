#include "scenes/UCD.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "board/Board.h"
#include "framework/appbase/Buffer.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/platform/Clock.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "minigames/MiniGame.h"
#include "publication/Page.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Vesk
{

namespace
{

constexpr int kScreenWidth = 800;
constexpr int kSceneSoundId = 200;
constexpr int kSceneTune = 5;
constexpr double kMusicOutSpeed = 0.004;
constexpr double kMusicInSpeed = 0.002;

const std::string kReading = "Reading";
const std::string kPause = "Pause";
const std::string kWaitPause = "WaitPause";
const std::string kWaiting = "Waiting";
const std::string kAsking = "Asking";
const std::string kCharIn = "Char_in";
const std::string kCharOut = "Char_out";
const std::string kPlaytime = "Playtime";
const std::string kDone = "Done";

// Moves value toward target by step (its size); true on arrival, where it stops exactly.
bool Approach(double& value, double target, double step)
{
    step = std::abs(step);
    if (std::abs(target - value) <= step)
    {
        value = target;
        return true;
    }
    value += target > value ? step : -step;
    return false;
}

int Trunc255(double value)
{
    return std::clamp(int(value * 255), 0, 255);
}

// Whole-pixel positions take the plain blit; only fractional ones need the filtered one.
void DrawAt(Graphics& graphics, Image* image, double x, double y)
{
    if (x == std::floor(x) && y == std::floor(y))
        graphics.DrawImage(image, int(x), int(y));
    else
        graphics.DrawImageF(image, float(x), float(y));
}

} // namespace

int UCD::Character::ImageWidth() const
{
    return image != nullptr ? image->GetWidth() : 0;
}

UCD::UCD(GameApp& app) : app(app)
{
    SetBounds(0, 0, kScreenWidth, 600);
    shown = false;
    translucent = true;
    hasTransparentParts = true;
    characters.reserve(kMaxCharacters);
    objects.reserve(kMaxObjects);
    buttons.reserve(kMaxButtons);
}

UCD::~UCD() = default;

uint32_t UCD::Now() const
{
    return Platform::Clock::GetTickCount();
}

UCD::Character* UCD::Current()
{
    if (currentCharacter < 0 || currentCharacter >= int(characters.size()))
        return nullptr;
    return &characters[size_t(currentCharacter)];
}

void UCD::Error(const std::string& text)
{
    app.MsgBox(text, "Scene error", 0);
}

int UCD::FindCharacter(const std::string& name) const
{
    for (size_t index = 0; index < characters.size(); ++index)
        if (characters[index].name == name)
            return int(index);
    return -1;
}

int UCD::FindButton(const std::string& name) const
{
    for (size_t index = 0; index < buttons.size(); ++index)
        if (buttons[index].name == name)
            return int(index);
    return -1;
}

// --- Starting -------------------------------------------------------------------------------

bool UCD::LoadScript(const std::string& event)
{
    Page* page = app.pageScreen.get();
    const int current = page != nullptr ? page->currentPage : -1;
    PageRecord* record = ContentModel::IsPage(current) ? &app.content.pages[size_t(current)] : nullptr;
    const SceneScript::EventFiles files = SceneScript::FilesForEvent(event, current + 1, app.currentSet);

    bool withAppended = false;
    if (event == "open" && record != nullptr)
    {
        withAppended = !record->openScenePlayed && app.sceneOption;
        record->openScenePlayed = true;
    }
    else if (event == "intro" && app.introPending)
    {
        app.introPending = false;
        withAppended = true;
    }
    else if (event == "done" || event == "newtri")
        app.SetCursor(0);
    if (event == "done")
        app.PrepareNameStamp();

    reader.script.Clear();
    for (const std::string& name : {files.main, withAppended ? files.appended : std::string()})
    {
        Buffer buffer;
        if (name.empty() || !app.FileExists(name) || !app.ReadBufferFromFile(name, buffer))
            continue;
        const std::vector<uint8_t>& bytes = buffer.GetData();
        reader.script.AppendFile(name, std::string(bytes.begin(), bytes.begin() + long(buffer.GetDataLen())));
    }
    return !reader.script.Empty();
}

void UCD::PlayScene(const std::string& event)
{
    lastEvent = event;
    if (!LoadScript(event))
    {
        state = kDone;
        return;
    }
    if (MusicInterface* music = app.GetMusicInterface())
    {
        music->FadeOutAll(true, kMusicOutSpeed);
        music->FadeIn(kSceneTune, 0, kMusicInSpeed, false);
    }
    ResetForScene();
    state = kReading;
    stepTime = Now();
    SetShown(true);
    Invalidate();
}

void UCD::ResetForScene()
{
    reader.Start();
    for (Character& character : characters)
    {
        character.text.clear();
        character.speed = character.startSpeed;
        character.glideX = character.glideY = 0;
        character.animations.clear();
        character.turnDelay = character.turnClock = 0;
        character.x = character.speed < 0 ? kScreenWidth : -character.ImageWidth();
    }
    fadeType.clear();
    fadeLength = fadeClock = 0;
    dragRate = 0;
    animCounter = 0;
    pressedButton = -1;
    pauseLength = 0;
    passRect = {};
}

void UCD::ResumeFromPlaytime()
{
    if (state == kPlaytime)
        state = savedState;
}

void UCD::Skip()
{
    if (!Playing())
        return;
    for (Character& character : characters)
        character.x = kScreenWidth;
    if (SoundManager* sounds = app.GetSoundManager())
        sounds->StopAllSounds();
    state = kDone;
}

// --- Update ---------------------------------------------------------------------------------

void UCD::Tick()
{
    Widget::Tick();
    TickRules(1.0f);
}

void UCD::TickRules(float f)
{
    if (state.empty())
        return;
    TickPageDrag(f);
    TickFade(f);
    TickObjects(f);
    TickCharacters(f);
    TickState();
    if (shown)
        Invalidate();
}

void UCD::TickPageDrag(float f)
{
    if (dragRate <= 0)
        return;
    dragPhase += float(dragRate * f);
    dragX = int(std::sin(dragPhase * 0.01) * dragAmplitude + dragOffset);
    if (app.pageScreen != nullptr)
        app.pageScreen->OnPointerDrag(dragX, 500);
}

void UCD::TickFade(float f)
{
    if (fadeLength <= 0)
        return;
    fadeClock += 10.0 * f;
    if (fadeClock < fadeLength)
        return;
    if (fadeType.starts_with("from_"))
        fadeLength = 0;
    else
        fadeClock = fadeLength;
}

void UCD::TickObjects(float f)
{
    for (SceneObject& object : objects)
    {
        Approach(object.x, object.targetX, object.speedX * f);
        Approach(object.y, object.targetY, object.speedY * f);
    }
}

void UCD::TickCharacters(float f)
{
    if (state == kCharIn || state == kCharOut)
        return;
    for (Character& character : characters)
    {
        if (character.glideX != 0 && Approach(character.x, character.targetX, character.glideX * f))
            character.glideX = 0;
        if (character.glideY != 0 && Approach(character.y, character.targetY, character.glideY * f))
            character.glideY = 0;
        if (character.turnDelay > 0)
        {
            character.turnClock += 10;
            if (character.turnClock >= character.turnDelay)
            {
                character.turnDelay = character.turnClock = 0;
                character.mirrored = !character.mirrored;
                character.speed = -character.speed;
            }
        }
    }
}

void UCD::TickState()
{
    if ((state == kPause || state == kWaitPause) && int64_t(Now()) - int64_t(stepTime) > pauseLength)
    {
        stepTime = Now();
        state = kReading;
    }
    if (state == kCharIn)
        TickSlideIn();
    else if (state == kCharOut)
        TickSlideOut();
    else if (state == kDone)
        FinishScene();
    else if (state == kReading)
        TickReading();
}

void UCD::TickReading()
{
    for (int steps = 0; steps < kMaxStepsPerUpdate && state == kReading; ++steps)
    {
        const uint32_t now = Now();
        if (int64_t(now) - int64_t(stepTime) < reader.typingDelay)
            return;
        stepTime = now;
        const SceneReader::StepResult result = reader.Step(*this);
        if (result == SceneReader::StepResult::End)
            state = kDone;
        else if (result == SceneReader::StepResult::Free)
            stepTime -= uint32_t(reader.typingDelay + 1);
    }
}

void UCD::TickSlideIn()
{
    Character* character = Current();
    if (character == nullptr || character->speed == 0 || Approach(character->x, character->targetX, character->speed))
    {
        if (character != nullptr)
            character->x = character->targetX;
        state = kReading;
    }
}

void UCD::TickSlideOut()
{
    Character* character = Current();
    if (character == nullptr)
    {
        state = kReading;
        return;
    }
    // Back the way it came: left for one that came in from the left.
    if (character->speed == 0)
        character->x = kScreenWidth;
    character->x -= character->speed;
    if (character->speed > 0 ? character->x < -character->ImageWidth() : character->x >= kScreenWidth)
        state = kReading;
}

void UCD::FinishScene()
{
    state.clear();
    if (lastEvent == "intro" && app.pageScreen != nullptr)
        app.pageScreen->EndDeskFadeIn();
    for (Character& character : characters)
        character.animations.clear();
    if (app.board != nullptr)
        app.board->lastActivityTime = Now();
    ReleasePageDrag();
    SetShown(false);
    const bool played = !reader.script.Empty();
    objects.clear();
    buttons.clear();
    pressedButton = -1;
    std::erase_if(imageCache, [](const CachedImage& cached) { return cached.temporary; });
    if (hasPendingSound)
    {
        hasPendingSound = false;
        app.PlaySample(pendingSound);
    }
    // The scene's tune gives way only when a scene played.
    MusicInterface* music = app.GetMusicInterface();
    if (restoreMusic && played && music != nullptr)
    {
        music->FadeOutAll(true, kMusicOutSpeed);
        music->FadeIn(musicAfterScene, 0, kMusicInSpeed, false);
    }
    reader.script.Clear();
}

// --- Stage ----------------------------------------------------------------------------------

void UCD::ShowMessage(const SceneMessage& message)
{
    Error(message.text);
}

void UCD::TypeText(const std::string& text)
{
    Character* character = Current();
    if (character == nullptr)
        return;
    character->text += text;
    animCounter += int(text.size());
}

bool UCD::WordStartsNewLine(const std::string& word)
{
    Character* character = Current();
    if (character == nullptr || character->textWidth <= 0 || FONT_MAIN18 == nullptr)
        return false;
    Graphics measuring;
    measuring.SetFont(FONT_MAIN18);
    const int without = measuring.GetWordWrappedHeight(character->textWidth, character->text, character->lineSpacing);
    const int with =
        measuring.GetWordWrappedHeight(character->textWidth, character->text + " " + word, character->lineSpacing);
    return with > without && !character->text.empty();
}

bool UCD::FileExists(const std::string& path)
{
    return app.FileExists(path);
}

void UCD::Execute(const SceneCommand& command)
{
    Character* current = Current();
    MusicInterface* music = app.GetMusicInterface();
    switch (command.op)
    {
    case SceneOp::Expression:
        if (current != nullptr)
            current->expression = command.text.substr(0, command.text.size() - 1);
        animCounter = 0;
        break;
    case SceneOp::New:
        if (current != nullptr)
            current->text.clear();
        break;
    case SceneOp::Wait:
        state = kWaiting;
        break;
    case SceneOp::Ask:
        state = kAsking;
        break;
    case SceneOp::Drop:
        if (!objects.empty())
            objects.pop_back();
        break;
    case SceneOp::NoButtons:
        buttons.clear();
        pressedButton = -1;
        break;
    case SceneOp::IgnoreClicks:
    case SceneOp::DontIgnoreClicks:
        ignoreClicks = command.op == SceneOp::IgnoreClicks;
        break;
    case SceneOp::ShowCursor:
        app.SetCursor(0);
        break;
    case SceneOp::Playtime:
        savedState = state;
        state = kPlaytime;
        break;
    case SceneOp::Pause:
    case SceneOp::WaitPause:
        pauseLength = command.Int(0);
        stepTime = Now();
        state = command.op == SceneOp::Pause ? kPause : kWaitPause;
        break;
    case SceneOp::Choose:
        if (int index = FindCharacter(command.Word(0)); index >= 0)
            currentCharacter = index;
        break;
    case SceneOp::Char:
        AddCharacter(command);
        break;
    case SceneOp::In:
    case SceneOp::Out:
        SlideCharacter(command.Word(0), command.op == SceneOp::In);
        break;
    case SceneOp::Anim:
        AddAnimation(command);
        break;
    case SceneOp::Swap:
        for (Character& character : characters)
            if (character.name == command.Word(0))
            {
                character.turnDelay = command.Real(1);
                character.turnClock = 0;
                if (character.turnDelay <= 0)
                {
                    character.mirrored = !character.mirrored;
                    character.speed = -character.speed;
                }
            }
        break;
    case SceneOp::Move:
    {
        const int y = command.Int(2);
        Glide(command.Word(0), command.Int(1), &y, command.Real(3));
        break;
    }
    case SceneOp::Slide:
        Glide(command.Word(0), command.Int(1), nullptr, command.Real(2));
        break;
    case SceneOp::DropName:
        for (SceneObject& object : objects)
            if (object.name.find(command.Word(0)) != std::string::npos)
                object.x = object.targetX = 1000;
        for (SceneButton& button : buttons)
            if (button.name.find(command.Word(0)) != std::string::npos)
                button.x = 1000;
        break;
    case SceneOp::Color:
        if (current != nullptr)
            current->textColor = Color(command.Int(0), command.Int(1), command.Int(2), command.Int(3));
        break;
    case SceneOp::Window:
        passRect = {command.Int(0), command.Int(1), command.Int(2), command.Int(3)};
        break;
    case SceneOp::Frame:
        if (current != nullptr)
        {
            current->textX = command.Int(0);
            current->textY = command.Int(1);
            current->textWidth = command.Int(2);
        }
        break;
    case SceneOp::Bkg:
    case SceneOp::Img:
        AddObject(command, command.op == SceneOp::Bkg);
        break;
    case SceneOp::Btn:
        AddButton(command);
        break;
    case SceneOp::Snd:
        if (SoundManager* sounds = app.GetSoundManager();
            sounds != nullptr && sounds->LoadSound(kSceneSoundId, command.Word(0)))
            app.PlaySample(kSceneSoundId);
        break;
    case SceneOp::Load:
        (void)CachedOrLoaded(command.Word(0));
        break;
    case SceneOp::Temp:
    {
        auto cached = std::find_if(imageCache.begin(), imageCache.end(),
                                   [&](const CachedImage& entry) { return entry.name == command.Word(0); });
        if (cached == imageCache.end())
            Error("Error in [temp] command. No '" + command.Word(0) + "' loaded");
        else
            cached->temporary = true;
        break;
    }
    case SceneOp::LoadMusic:
        if (music != nullptr && command.Int(0) >= 0)
            music->LoadMusic(command.Int(0), command.Word(1));
        break;
    case SceneOp::PlayMusic:
        if (music != nullptr && command.Int(0) >= 0)
            music->PlayMusic(command.Int(0), 0, false);
        break;
    case SceneOp::LoadSound:
        if (SoundManager* sounds = app.GetSoundManager(); sounds != nullptr && command.Int(0) >= 0)
            (void)sounds->LoadSound(command.Int(0), command.Word(1));
        break;
    case SceneOp::PlaySound:
        if (command.Int(0) >= 0)
            app.PlaySample(command.Int(0));
        break;
    case SceneOp::NoMusic:
        // Every tune, not only the first: a scene's own tunes would otherwise pile up.
        if (music != nullptr)
            music->FadeOutAll(true, kMusicOutSpeed);
        break;
    case SceneOp::NoSound:
        if (SoundManager* sounds = app.GetSoundManager())
            sounds->StopAllSounds();
        break;
    case SceneOp::LineBreak:
        TypeText("\r\n");
        break;
    case SceneOp::LineSpacing:
        if (current != nullptr)
            current->lineSpacing = command.Int(0);
        break;
    case SceneOp::FadeFromWhite:
        StartFade("from_white", command.Real(0));
        break;
    case SceneOp::FadeFromBlack:
        StartFade("from_black", command.Real(0));
        break;
    case SceneOp::FadeFromNothing:
        StartFade("from_nothing", command.Real(0));
        break;
    case SceneOp::FadeToWhite:
        StartFade("to_white", command.Real(0));
        break;
    case SceneOp::FadeToBlack:
        StartFade("to_black", command.Real(0));
        break;
    case SceneOp::FadeToNothing:
        StartFade("to_nothing", command.Real(0));
        break;
    case SceneOp::SetBackground:
        if (app.pageScreen != nullptr)
            app.pageScreen->EndDeskFadeIn();
        break;
    case SceneOp::DragPage:
        StartPageDrag(command);
        break;
    case SceneOp::DropPage:
        ReleasePageDrag();
        break;
    case SceneOp::Round:
        if (MiniGame* game = app.ShownMiniGame(); game != nullptr)
            game->CompleteRound();
        else
            app.Log("Scene asked for the next round: no mini-game is shown");
        break;
    default:
        break;
    }
}

// --- Commands -------------------------------------------------------------------------------

Image* UCD::CachedOrLoaded(const std::string& name)
{
    for (CachedImage& cached : imageCache)
        if (cached.name == name)
            return cached.image.get();
    if (int(imageCache.size()) >= kMaxCachedImages)
    {
        Error("Too many images in the scene: '" + name + "' is not loaded.");
        return nullptr;
    }
    std::unique_ptr<DDImage> image = app.LoadSceneImage(name);
    if (image == nullptr)
        return nullptr;
    imageCache.push_back({std::move(image), name, false});
    return imageCache.back().image.get();
}

void UCD::AddCharacter(const SceneCommand& command)
{
    int index = FindCharacter(command.Word(0));
    if (index < 0)
    {
        if (int(characters.size()) >= kMaxCharacters)
        {
            Error("Too many characters in the scene: '" + command.Word(0) + "' is not added.");
            return;
        }
        characters.emplace_back();
        index = int(characters.size()) - 1;
    }
    Character& character = characters[size_t(index)];
    character = Character();
    character.name = command.Word(0);
    character.image = CachedOrLoaded(command.Word(1));
    character.targetX = command.Int(2);
    character.targetY = command.Int(3);
    character.y = character.targetY;
    character.speed = character.startSpeed = command.Real(4);
    character.mirrored = character.speed <= 0;
    character.x = character.speed > 0 ? -character.ImageWidth() : kScreenWidth;
    if (currentCharacter < 0)
        currentCharacter = index;
}

void UCD::SlideCharacter(const std::string& name, bool in)
{
    const int index = FindCharacter(name);
    if (index < 0)
    {
        Error(in ? "Script called for a unidentified character, with 'in' command."
                 : "Script called for a unidentified character, with 'out' command.");
        return;
    }
    currentCharacter = index;
    state = in ? kCharIn : kCharOut;
}

void UCD::AddAnimation(const SceneCommand& command)
{
    const int index = FindCharacter(command.Word(0));
    if (index < 0)
    {
        Error("Script called for a unidentified character, while loading an animation.");
        return;
    }
    Animation animation;
    animation.label = command.Word(1);
    animation.image = CachedOrLoaded(command.Word(2));
    animation.frame = command.Int(3);
    animation.period = command.Int(4);
    animation.dx = command.Int(5);
    animation.dy = command.Int(6);
    characters[size_t(index)].animations.push_back(std::move(animation));
}

void UCD::Glide(const std::string& name, int x, const int* y, double time)
{
    // Speeds per update that arrive within time; no time at all arrives at once.
    auto speed = [time](double from, double to) { return time > 0 ? std::abs(to - from) / time : 1e9; };
    for (SceneObject& object : objects)
        if (object.name.find(name) != std::string::npos)
        {
            object.targetX = x;
            object.speedX = speed(object.x, x);
            if (y != nullptr)
            {
                object.targetY = *y;
                object.speedY = speed(object.y, *y);
            }
        }
    for (Character& character : characters)
        if (character.name == name)
        {
            character.targetX = x;
            character.glideX = std::max(speed(character.x, x), 1e-9);
            if (y != nullptr)
            {
                character.targetY = *y;
                character.glideY = std::max(speed(character.y, *y), 1e-9);
            }
        }
}

void UCD::AddObject(const SceneCommand& command, bool box)
{
    if (int(objects.size()) >= kMaxObjects)
    {
        Error("Too many pictures in the scene: '" + command.Word(0) + "' is not added.");
        return;
    }
    SceneObject object;
    object.name = command.Word(0);
    object.image = CachedOrLoaded(command.Word(0));
    object.x = command.Real(1);
    object.y = command.Real(2);
    object.targetX = int(object.x);
    object.targetY = int(object.y);
    if (box)
    {
        object.boxWidth = std::max(command.Int(3), 0);
        object.boxHeight = std::max(command.Int(4), 0);
        if (object.image != nullptr && object.boxWidth > 0 && object.boxHeight > 0)
        {
            object.panel = std::make_unique<DDImage>();
            object.panel->Create(object.boxWidth, object.boxHeight);
            Graphics panel(object.panel.get());
            PaintBox(panel, object, 0, 0);
        }
    }
    else
    {
        object.ax = command.Int(3);
        object.ay = command.Int(4);
        object.period = command.Int(5) > 0 ? command.Int(5) : 1000;
    }
    objects.push_back(std::move(object));
}

void UCD::AddButton(const SceneCommand& command)
{
    if (int(buttons.size()) >= kMaxButtons)
    {
        Error("Too many buttons in the scene: '" + command.Word(3) + "' is not added.");
        return;
    }
    SceneButton button;
    button.image = CachedOrLoaded(command.Word(0));
    button.x = command.Int(1);
    button.y = command.Int(2);
    button.name = command.Word(3);
    button.dx = command.Int(4);
    button.dy = command.Int(5);
    if (button.image != nullptr)
    {
        button.width = button.image->GetWidth();
        button.height = button.image->GetHeight();
    }
    buttons.push_back(std::move(button));
}

void UCD::StartFade(const char* type, double length)
{
    fadeType = type;
    fadeClock = 0;
    fadeLength = length;
    // A fade of no length is over at once: a fade in is gone, a fade out stays at its end.
    if (fadeLength <= 0)
    {
        fadeLength = fadeType.starts_with("to_") ? 1 : 0;
        fadeClock = fadeLength;
    }
}

void UCD::StartPageDrag(const SceneCommand& command)
{
    dragOffset = command.Real(0);
    dragAmplitude = command.Real(1);
    dragRate = command.Real(2);
    dragX = int(std::sin(dragPhase * 0.01) * dragAmplitude + dragOffset);
    if (app.pageScreen != nullptr)
        app.pageScreen->OnPress(731, 501, 1);
}

void UCD::ReleasePageDrag()
{
    if (dragRate <= 0)
        return;
    if (app.pageScreen != nullptr)
        app.pageScreen->OnRelease(dragX, 501, 1);
    dragRate = 0;
}

// --- Pointer --------------------------------------------------------------------------------

bool UCD::InPassRect(int x, int y) const
{
    return x > passRect[0] && x < passRect[2] && y > passRect[1] && y < passRect[3];
}

Widget* UCD::PassTarget() const
{
    for (int mode : {9, 8, 6, 5, 4, 3, 2, 1})
        if (MiniGame* game = app.MiniGameOfMode(mode); game != nullptr && game->shown)
            return game;
    if (app.pageScreen != nullptr && app.pageScreen->shown)
        return app.pageScreen.get();
    return app.board.get();
}

void UCD::OnPress(int x, int y, int clickCode)
{
    if (InPassRect(x, y))
    {
        heldTarget = PassTarget();
        if (heldTarget != nullptr)
            heldTarget->OnPress(x - heldTarget->x, y - heldTarget->y, clickCode);
        return;
    }
    for (size_t index = 0; index < buttons.size(); ++index)
    {
        const SceneButton& button = buttons[index];
        if (x > button.x && x < button.x + button.width && y > button.y && y < button.y + button.height)
            pressedButton = int(index);
    }
}

void UCD::OnRelease(int x, int y, int clickCode)
{
    // A press let through keeps its screen until it is released, wherever the pointer is let go
    // and whatever the script has done to the rectangle meanwhile (a page held by its corner is
    // let go, not left hanging).
    if (heldTarget != nullptr)
    {
        Widget* target = heldTarget;
        heldTarget = nullptr;
        target->OnRelease(x - target->x, y - target->y, clickCode);
        pressedButton = -1;
        return;
    }
    if (InPassRect(x, y))
    {
        if (Widget* target = PassTarget())
            target->OnRelease(x - target->x, y - target->y, clickCode);
        pressedButton = -1;
        return;
    }
    SceneButton* pressed =
        pressedButton >= 0 && pressedButton < int(buttons.size()) ? &buttons[size_t(pressedButton)] : nullptr;
    if (pressed != nullptr && pressed->name == "skip")
    {
        app.PlaySample(SOUND_CLICK);
        pressed->name.clear();
        Skip();
    }
    else if (state == kAsking)
    {
        if (pressed != nullptr)
        {
            app.PlaySample(SOUND_CLICK);
            reader.answer = pressed->name;
            buttons.clear();
            state = kReading;
        }
    }
    else if (state == kWaiting || state == kWaitPause)
        state = kReading;
    else if (!ignoreClicks)
        reader.typingDelay = 0;
    pressedButton = -1;
}

void UCD::OnPointerDrag(int x, int y)
{
    if (heldTarget != nullptr)
    {
        heldTarget->OnPointerDrag(x - heldTarget->x, y - heldTarget->y);
        return;
    }
    if (!InPassRect(x, y))
        return;
    if (Widget* target = PassTarget())
        target->OnPointerDrag(x - target->x, y - target->y);
}

void UCD::OnPointerMove(int x, int y)
{
    if (!InPassRect(x, y))
        return;
    if (Widget* target = PassTarget())
        target->OnPointerMove(x - target->x, y - target->y);
}

// --- Painting -------------------------------------------------------------------------------

void UCD::Paint(Graphics& graphics)
{
    graphics.PushState();
    graphics.SetFont(FONT_MAIN18);
    const double a = fadeLength > 0 ? std::sin(fadeClock / fadeLength * std::numbers::pi / 2) : 0;
    if (fadeLength > 0)
        PaintFadeSetUp(graphics, a);
    PaintObjects(graphics);
    if (fadeLength > 0)
        PaintFadeOver(graphics, a);
    graphics.SetColorizeImages(false);
    PaintTexts(graphics);
    PaintCharacters(graphics);
    PaintAnimations(graphics);
    PaintButtons(graphics);
    PaintDragFinger(graphics);
    graphics.PopState();
}

void UCD::PaintFadeSetUp(Graphics& graphics, double a)
{
    if (fadeType == "from_white" || fadeType == "from_black")
    {
        const int level = fadeType == "from_white" ? 255 : 0;
        graphics.SetColor(Color(level, level, level));
        graphics.FillRect(0, 0, width, height);
    }
    if (fadeType.starts_with("from_"))
    {
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, Trunc255(a)));
    }
    else if (fadeType == "to_nothing")
    {
        graphics.SetColorizeImages(true);
        graphics.SetColor(Color(255, 255, 255, Trunc255(1 - a)));
    }
}

void UCD::PaintObjects(Graphics& graphics)
{
    for (const SceneObject& object : objects)
    {
        if (object.x >= kScreenWidth || object.image == nullptr)
            continue;
        if (object.boxWidth > 0 && object.boxHeight > 0)
        {
            if (object.panel != nullptr)
                DrawAt(graphics, object.panel.get(), object.x, object.y);
        }
        else if (object.ax != 0 || object.ay != 0)
        {
            const double phase = 2 * std::numbers::pi * double(Now() % uint32_t(object.period)) / double(object.period);
            DrawAt(graphics, object.image, object.x + std::sin(phase) * object.ax,
                   object.y + std::cos(phase) * object.ay);
        }
        else
            DrawAt(graphics, object.image, object.x, object.y);
    }
}

void UCD::PaintBox(Graphics& graphics, const SceneObject& object, int x, int y)
{
    Image* image = object.image;
    const int cellW = image->GetWidth() / 3;
    const int cellH = image->GetHeight() / 3;
    if (cellW <= 0 || cellH <= 0)
        return;
    const int columns[3] = {x, x + cellW, x + object.boxWidth - cellW};
    const int widths[3] = {cellW, std::max(object.boxWidth - 2 * cellW, 0), cellW};
    const int rows[3] = {y, y + cellH, y + object.boxHeight - cellH};
    const int heights[3] = {cellH, std::max(object.boxHeight - 2 * cellH, 0), cellH};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (widths[column] > 0 && heights[row] > 0)
                graphics.DrawImage(image, Rect(columns[column], rows[row], widths[column], heights[row]),
                                   Rect(column * cellW, row * cellH, cellW, cellH));
}

void UCD::PaintFadeOver(Graphics& graphics, double a)
{
    if (fadeType == "to_white" || fadeType == "to_black")
    {
        const int level = fadeType == "to_white" ? 255 : 0;
        graphics.SetColor(Color(level, level, level, Trunc255(a)));
        graphics.FillRect(0, 0, width, height);
    }
}

void UCD::PaintTexts(Graphics& graphics)
{
    if (graphics.GetFont() == nullptr)
        return;
    for (const Character& character : characters)
    {
        if (character.text.empty())
            continue;
        graphics.SetColor(character.textColor);
        graphics.SetColorizeImages(character.textColor.alpha < 255);
        graphics.DrawStringWordWrapped(character.text, character.textX, character.textY, character.textWidth,
                                       character.lineSpacing, -1);
    }
    graphics.SetColorizeImages(false);
}

void UCD::PaintCharacters(Graphics& graphics)
{
    for (const Character& character : characters)
    {
        if (character.image == nullptr || character.OffScreen())
            continue;
        const int x = int(character.x);
        const int y = int(character.y);
        auto draw = [&](bool mirrored)
        {
            if (mirrored)
                graphics.DrawImageMirror(character.image, x, y);
            else
                DrawAt(graphics, character.image, character.x, character.y);
        };
        if (character.turnDelay > 0 && character.turnClock > 0)
        {
            const double c = character.turnClock / character.turnDelay;
            graphics.SetColorizeImages(true);
            graphics.SetColor(Color(255, 255, 255, c <= 0.5 ? 253 : int(std::sin((1 - c) * std::numbers::pi) * 253)));
            draw(character.mirrored);
            graphics.SetColor(Color(255, 255, 255, c <= 0.5 ? int(std::sin(c * std::numbers::pi) * 253) : 253));
            draw(!character.mirrored);
            graphics.SetColorizeImages(false);
        }
        else
            draw(character.mirrored);
    }
}

void UCD::PaintAnimations(Graphics& graphics)
{
    for (const Character& character : characters)
    {
        if (character.x >= kScreenWidth)
            continue;
        const bool turning = character.turnDelay > 0 && character.turnClock > 0;
        const int k = turning ? int(character.turnClock * 253 / character.turnDelay) : 0;
        for (const Animation& animation : character.animations)
        {
            if (animation.image == nullptr || animation.period <= 0 || animation.label != character.expression ||
                animation.frame != animCounter % animation.period + 1)
                continue;
            auto draw = [&](bool mirrored)
            {
                const int y = int(character.y) + animation.dy;
                if (mirrored)
                    graphics.DrawImageMirror(
                        animation.image,
                        int(character.x) + character.ImageWidth() - animation.image->GetWidth() - animation.dx, y);
                else
                    graphics.DrawImage(animation.image, int(character.x) + animation.dx, y);
            };
            if (turning)
            {
                graphics.SetColorizeImages(true);
                graphics.SetColor(Color(255, 255, 255, std::clamp(255 - k, 0, 255)));
                draw(character.mirrored);
                graphics.SetColor(Color(255, 255, 255, std::clamp(k + 2, 0, 255)));
                draw(!character.mirrored);
                graphics.SetColorizeImages(false);
            }
            else
                draw(character.mirrored);
        }
    }
}

void UCD::PaintButtons(Graphics& graphics)
{
    for (size_t index = 0; index < buttons.size(); ++index)
    {
        const SceneButton& button = buttons[index];
        if (button.x >= kScreenWidth || button.image == nullptr)
            continue;
        const bool pressed = int(index) == pressedButton;
        graphics.DrawImage(button.image, button.x + (pressed ? button.dx : 0), button.y + (pressed ? button.dy : 0));
    }
}

void UCD::PaintDragFinger(Graphics& graphics)
{
    if (dragRate <= 0 || IMAGE_CUR_FINGER == nullptr)
        return;
    const double across = (dragX - 400) / 400.0;
    graphics.DrawImage(IMAGE_CUR_FINGER, dragX - 20, 520 - int(50 * std::cos(across * across * std::numbers::pi / 2)));
}

} // namespace Vesk
