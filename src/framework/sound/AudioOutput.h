#pragma once

#include <memory>
#include <string>

namespace Vesk
{

class Mixer;

namespace Platform
{
class AudioDevice;
}

// The game's sound output: the audio device and the mixer it plays. The application opens it
// at start-up and hands the mixer to the sound manager and the music interface; when no
// device opens, the mixer is null and both fall back to silence.
//
// The mixer is shared: it lives on while a manager still holds it, but the device stops
// calling it when the output is closed or destroyed.
class AudioOutput
{
public:
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the default device and starts mixing; false (and no mixer) without a device.
    [[nodiscard]] bool Open();
    void Close();
    bool IsOpen() const;
    // The mixer while the device is open, else null.
    std::shared_ptr<Mixer> GetMixer() const { return mixer; }
    const std::string& LastError() const;

private:
    std::unique_ptr<Platform::AudioDevice> device;
    std::shared_ptr<Mixer> mixer;
};

} // namespace Vesk
