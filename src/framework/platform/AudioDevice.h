#pragma once

#include <cstdint>
#include <string>

namespace Vesk::Platform
{

// Whatever fills the audio device: called on the device's own thread with a buffer of
// interleaved stereo 16-bit frames at AudioDevice::kSampleRate that it must fill completely.
class AudioSource
{
public:
    virtual ~AudioSource() = default;
    virtual void RenderAudio(int16_t* interleavedStereo, int frameCount) = 0;
};

// The one audio output of the game: 44100 Hz, stereo, signed 16-bit. Once opened, the
// device's thread keeps asking the source for frames until the device is closed. Which
// driver is used follows SDL_AUDIODRIVER ("disk" with SDL_DISKAUDIOFILE writes the output to a
// file, "dummy" discards it). Owned by the sound layer; not copyable.
class AudioDevice
{
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    AudioDevice() = default;
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens the default output and starts calling the source (which must outlive the open
    // device). False when the machine has no usable audio output; LastError says why.
    [[nodiscard]] bool Open(AudioSource* source);
    // Stops the device's thread (waiting for a running callback to return) and closes it.
    void Close();
    bool IsOpen() const { return deviceId != 0; }
    const std::string& LastError() const { return lastError; }
    // Frames the device asks for at a time.
    int BufferFrames() const { return bufferFrames; }

private:
    static void Callback(void* userData, uint8_t* stream, int length);

    AudioSource* source = nullptr;
    uint32_t deviceId = 0;
    bool subsystemStarted = false;
    int bufferFrames = 0;
    std::string lastError;
};

} // namespace Vesk::Platform
