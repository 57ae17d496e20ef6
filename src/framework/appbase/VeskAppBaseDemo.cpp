// Demo recording and playback: every queued input message, window event, settings and file
// result is written into the event stream at the update count it happened at; a playback
// feeds them back at the same counts, on a frame-driven clock, so it repeats the run exactly.
#include "framework/appbase/Buffer.h"
#include "framework/appbase/DemoJumpDialog.h"
#include "framework/appbase/DemoMarkerDialog.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/Clock.h"
#include "framework/platform/FileSystem.h"
#include "framework/platform/WindowMessage.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/EditWidget.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace Vesk
{

using Platform::Clock;

namespace
{

// What a record is, for the log.
std::string DemoRecordName(int code)
{
    switch (code)
    {
    case DEMO_REGISTRY_READ:
        return "a settings read";
    case DEMO_REGISTRY_WRITE:
        return "a settings write";
    case DEMO_FILE_EXISTS:
        return "a file existence test";
    case DEMO_FILE_READ:
        return "a file read";
    case DEMO_FILE_WRITE:
        return "a file write";
    case DEMO_SYNC:
        return "synchronised data";
    case -1:
        return "the end of the recording";
    default:
        return "input (record " + std::to_string(code) + ")";
    }
}

} // namespace

bool VeskAppBase::ReadDemoFile()
{
    auto fail = [&](const std::string& message)
    {
        playingDemo = false;
        Popup(message);
        ExitWithCode(0);
        return false;
    };
    std::string path = GetDemoFilePath();
    std::vector<uint8_t> bytes;
    if (!Platform::ReadWholeFile(path, bytes))
        return fail(GetString("DEMO_FILE_NOT_FOUND", "Demo file not found: ") + path);

    const std::string invalid = GetString("INVALID_DEMO_FILE", "Invalid demo file.");
    DemoFile file;
    std::string error;
    if (!file.Parse(bytes, error))
        return fail(invalid);
    if (file.versionString != productVersion)
        return fail(GetString("DEMO_FILE_VERSION", "This demo file appears to be for '") + file.versionString + "'");

    // The whole stream must read cleanly and end within the recorded run.
    DemoReader check(file.events);
    DemoEvent event;
    int lastDue = 0;
    while (check.HasNext())
    {
        lastDue = check.GetNextDue();
        if (!check.Next(event))
            break;
    }
    if (check.Failed() || lastDue > file.totalUpdates)
        return fail(invalid);
    for (const DemoFile::Marker& marker : file.markers)
    {
        if (marker.updateCount < 0 || marker.updateCount > file.totalUpdates)
            return fail(invalid);
    }

    demoSeed = file.randomSeed;
    demoTotalUpdates = file.totalUpdates;
    demoMarkers = file.markers;
    demoReader.Reset(std::move(file.events));
    demoPointerKnown = false;
    demoDesyncReported = false;
    return true;
}

bool VeskAppBase::WriteDemoFile()
{
    DemoFile file;
    file.version = DemoFile::kVersion;
    file.randomSeed = demoSeed;
    file.versionString = productVersion.substr(0, 255);
    file.markers = demoMarkers;
    file.totalUpdates = updateCount;
    file.events = demoWriter.GetBuffer();
    return Platform::WriteFileAtomically(GetDemoFilePath(), file.Serialise());
}

void VeskAppBase::RecordEvent(const DemoEvent& event)
{
    if (recordingDemo)
        demoWriter.Write(event, updateCount);
}

void VeskAppBase::RecordPointer(int x, int y)
{
    x = std::clamp(x, kDemoPositionMin, kDemoPositionMax);
    y = std::clamp(y, kDemoPositionMin, kDemoPositionMax);
    int dx = x - demoLastPointerX;
    int dy = y - demoLastPointerY;
    if (demoPointerKnown && dx == 0 && dy == 0)
        return;
    DemoEvent event;
    if (demoPointerKnown && std::abs(dx) < 32 && std::abs(dy) < 32)
    {
        event.code = DEMO_RELATIVE_MOVE;
        event.x = dx;
        event.y = dy;
    }
    else
    {
        event.code = DEMO_MOUSE_POSITION;
        event.x = x;
        event.y = y;
    }
    RecordEvent(event);
    demoLastPointerX = x;
    demoLastPointerY = y;
    demoPointerKnown = true;
}

void VeskAppBase::RecordMessage(const Platform::WindowMessage& message)
{
    int x = 0;
    int y = 0;
    PointerToManager(message.lParam, x, y);
    RecordPointer(x, y);
    DemoEvent event;
    event.code = DEMO_MOUSE_BUTTON;
    switch (message.message)
    {
    case Platform::WM_LBUTTONDOWN:
        event.button = 1;
        event.down = true;
        break;
    case Platform::WM_LBUTTONDBLCLK:
        event.button = 2;
        event.down = true;
        break;
    case Platform::WM_RBUTTONDOWN:
        event.button = -1;
        event.down = true;
        break;
    case Platform::WM_RBUTTONDBLCLK:
        event.button = -2;
        event.down = true;
        break;
    case Platform::WM_MBUTTONDOWN:
    case Platform::WM_MBUTTONDBLCLK:
        event.button = 3;
        event.down = true;
        break;
    case Platform::WM_LBUTTONUP:
        event.button = 1;
        break;
    case Platform::WM_RBUTTONUP:
        event.button = -1;
        break;
    case Platform::WM_MBUTTONUP:
        event.button = 3;
        break;
    default:
        return;
    }
    RecordEvent(event);
}

void VeskAppBase::ReplayDueDemoEvents()
{
    while (playingDemo && !isShutdown && demoReader.HasNext() && demoReader.GetNextDue() <= updateCount)
    {
        // The loading thread's completion is taken by DoUpdateFrames, when this run's loading
        // has finished too.
        if (demoReader.PeekCode() == DEMO_LOADING_COMPLETE)
            break;
        DemoEvent event;
        if (!demoReader.Next(event))
            break;
        ReplayEvent(event);
    }
}

void VeskAppBase::ReplayEvent(const DemoEvent& event)
{
    switch (event.code)
    {
    case DEMO_MOUSE_POSITION:
        demoLastPointerX = event.x;
        demoLastPointerY = event.y;
        demoPointerKnown = true;
        MovePointer(event.x, event.y);
        break;
    case DEMO_RELATIVE_MOVE:
        demoLastPointerX += event.x;
        demoLastPointerY += event.y;
        demoPointerKnown = true;
        MovePointer(demoLastPointerX, demoLastPointerY);
        break;
    case DEMO_MOUSE_BUTTON:
        // As live, a button message moves the pointer to where it happened first.
        MovePointer(demoLastPointerX, demoLastPointerY);
        PressButton(demoLastPointerX, demoLastPointerY, event.button, event.down);
        break;
    case DEMO_ACTIVATE_APP:
        hasFocus = event.flag;
        HandleActivation();
        break;
    case DEMO_SIZE:
        HandleSizeChange(event.flag, false);
        break;
    case DEMO_KEY_DOWN:
    {
        // As the live press was handled: an Alt+Enter (its key followed by the mode it switched
        // to) switches the mode, a debug key may take the press, the rest goes to the widgets.
        DemoEvent mode;
        if (event.key == Platform::KEYCODE_RETURN && TakeDemoRecord(DEMO_VIDEO_DATA, mode))
        {
            SwitchScreenMode(mode.flag);
            ClearKeyStates();
        }
        else if (!(debugKeysEnabled && DebugKeyDown(event.key)))
            widgetManager->KeyPressed(event.key);
        break;
    }
    case DEMO_KEY_UP:
        widgetManager->KeyReleased(event.key);
        break;
    case DEMO_KEY_CHAR:
        widgetManager->CharTyped(event.character & 0xFF);
        break;
    case DEMO_CLOSE:
        Shutdown();
        break;
    case DEMO_MOUSE_ENTER:
        mouseInWindow = true;
        EnforceCursor();
        break;
    case DEMO_MOUSE_EXIT:
        mouseInWindow = false;
        widgetManager->PointerLeftWindow();
        EnforceCursor();
        break;
    case DEMO_MOUSE_WHEEL:
        widgetManager->WheelTurned(event.notches);
        break;
    default:
        // A settings or file result nobody asked for: this run took another path than the
        // recorded one. It is reported and passed over.
        ReportDemoDesync(DemoRecordName(event.code) + " was recorded here and not asked for");
        break;
    }
}

bool VeskAppBase::TakeDemoRecord(int code, DemoEvent& event)
{
    if (!playingDemo || demoReader.PeekCode() != code)
        return false;
    return demoReader.Next(event);
}

bool VeskAppBase::TakeDemoResult(int code, DemoEvent& event)
{
    if (TakeDemoRecord(code, event))
        return true;
    ReportDemoDesync(DemoRecordName(code) + " was asked for where the recording has " +
                     DemoRecordName(demoReader.PeekCode()));
    return false;
}

void VeskAppBase::ReportDemoDesync(const std::string& what)
{
    if (demoDesyncReported)
        return;
    demoDesyncReported = true;
    Log("Demo playback out of step with the recording at update " + std::to_string(updateCount) + ": " + what +
        "; from here on the playback may differ from the recorded run");
}

void VeskAppBase::DemoSyncBuffer(Buffer& buffer)
{
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_SYNC;
        event.data = buffer.GetData();
        RecordEvent(event);
    }
    else if (playingDemo)
    {
        DemoEvent event;
        if (TakeDemoResult(DEMO_SYNC, event))
            buffer = Buffer(std::move(event.data));
    }
}

void VeskAppBase::DemoSyncString(std::string& text)
{
    Buffer buffer;
    buffer.WriteString(text);
    DemoSyncBuffer(buffer);
    buffer.SeekFront();
    text = buffer.ReadString();
}

void VeskAppBase::DemoSyncBool(bool& value)
{
    Buffer buffer;
    buffer.WriteBoolean(value);
    DemoSyncBuffer(buffer);
    buffer.SeekFront();
    value = buffer.ReadBoolean();
}

void VeskAppBase::DemoAddMarker(const std::string& name)
{
    if (recordingDemo)
        demoMarkers.push_back({name, updateCount});
}

void VeskAppBase::DemoJumpToUpdate(int target)
{
    if (!playingDemo)
        return;
    demoJumpTarget = std::clamp(target, 0, demoTotalUpdates);
}

void VeskAppBase::DemoJumpToTime(int secondsBeforeEnd)
{
    DemoJumpToUpdate(demoTotalUpdates - secondsBeforeEnd * 1000 / std::max(frameTime, 1));
}

bool VeskAppBase::DemoPlaybackControl(int character)
{
    // While a playback dialog is open the keys are typed into it.
    if (!playingDemo || IsDemoDialogOpen())
        return false;
    switch (character)
    {
    case '+':
        updateSpeed *= 1.5;
        return true;
    case '-':
        updateSpeed /= 1.5;
        return true;
    case '=':
        updateSpeed = 1.0;
        return true;
    case '0':
        DemoJumpToUpdate(demoTotalUpdates);
        return true;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
    {
        static const int seconds[6] = {120, 90, 60, 30, 10, 5};
        DemoJumpToTime(seconds[character - '4']);
        return true;
    }
    case 'J':
    case 'j':
    {
        // The last time typed is offered again; it lives outside the demo's settings stream.
        std::string lastTime;
        ++demoSuspended;
        RegistryReadString("DemoJumpTime", lastTime);
        --demoSuspended;
        auto* dialog = new DemoJumpDialog(this, lastTime);
        OpenDemoDialog(dialog, dialog->edit.get());
        return true;
    }
    case 'L':
    case 'l':
    {
        auto* dialog = new DemoMarkerDialog(this, demoMarkers, updateCount);
        OpenDemoDialog(dialog, dialog);
        return true;
    }
    case 'M':
    case 'm':
        demoFastForward = !demoFastForward;
        return true;
    case 'N':
    case 'n':
        demoSingleStep = true;
        DemoJumpToUpdate(updateCount + 1);
        return true;
    case 'P':
    case 'p':
        demoPaused = !demoPaused;
        ResetTiming();
        return true;
    case 'S':
    case 's':
        if (musicVolume != 0)
        {
            savedMusicVolume = musicVolume;
            SetMusicVolume(0);
        }
        else
            SetMusicVolume(savedMusicVolume);
        if (sfxVolume != 0)
        {
            savedSfxVolume = sfxVolume;
            SetSfxVolume(0);
        }
        else
            SetSfxVolume(savedSfxVolume);
        return true;
    default:
        return false;
    }
}

bool VeskAppBase::DemoJumping() const
{
    return playingDemo && !isShutdown && !IsDemoDialogOpen() && (updateCount < demoJumpTarget || demoFastForward);
}

bool VeskAppBase::IsDemoDialogOpen() const
{
    return dialogMap.count(kDemoJumpDialogId) != 0 || dialogMap.count(kDemoMarkerDialogId) != 0;
}

void VeskAppBase::OpenDemoDialog(Dialog* dialog, Widget* focus)
{
    if (!IsDemoDialogOpen())
        demoKeyStates = widgetManager->keyDown;
    KillDialog(kDemoJumpDialogId);
    KillDialog(kDemoMarkerDialogId);
    int dialogWidth = std::min(width - 40, 420);
    int dialogHeight = dialog->GetPreferredHeight(dialogWidth);
    dialog->SetBounds((width - dialogWidth) / 2, std::max((height - dialogHeight) / 3, 0), dialogWidth, dialogHeight);
    AddDialog(dialog);
    if (focus != nullptr)
        widgetManager->SetFocusWidget(focus);
    forcePresent = true;
}

void VeskAppBase::CloseDemoDialog(int id)
{
    if ((id != kDemoJumpDialogId && id != kDemoMarkerDialogId) || !KillDialog(id))
        return;
    // What the live input changed goes back to the recording's state, so that the rest of the
    // playback sees the keys and the pointer as recorded.
    widgetManager->keyDown = demoKeyStates;
    if (demoPointerKnown)
        MovePointer(demoLastPointerX, demoLastPointerY);
    ResetTiming();
    forcePresent = true;
}

void VeskAppBase::DemoJumpToTimeEntered(const std::string& text, int seconds)
{
    ++demoSuspended;
    RegistryWriteString("DemoJumpTime", text);
    --demoSuspended;
    DemoJumpToTime(std::max(seconds, 0));
}

bool VeskAppBase::ProcessDemoJump()
{
    if (!demoJumpMuted && !demoSingleStep)
    {
        Mute(true);
        demoJumpMuted = true;
    }
    bool ran = false;
    while (DemoJumping())
    {
        ResetTiming();
        ReplayDueDemoEvents();
        if (isShutdown)
            break;
        if (!DoUpdateFrames())
        {
            if (updateCount >= demoTotalUpdates)
                demoFastForward = false;
            break;
        }
        ran = true;
        updatedSinceDraw = true;
        ProcessSafeDeleteList();
        DoUpdateFramesF(1.0f);
        ProcessSafeDeleteList();
        uint32_t now = Clock::RealNow();
        if (demoSingleStep || now - lastJumpPresent >= 1000)
        {
            demoSingleStep = false;
            lastJumpPresent = now;
            DrawDirtyStuff();
            break;
        }
    }
    if (!DemoJumping())
    {
        demoSingleStep = false;
        if (demoJumpMuted)
        {
            if (soundManager)
                soundManager->StopAllSounds();
            Unmute(true);
            demoJumpMuted = false;
        }
    }
    return ran;
}

} // namespace Vesk
