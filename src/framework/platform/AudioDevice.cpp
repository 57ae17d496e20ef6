#include "framework/platform/AudioDevice.h"

#include <SDL.h>

#include <cstring>

namespace Vesk::Platform
{

AudioDevice::~AudioDevice()
{
    Close();
}

bool AudioDevice::Open(AudioSource* newSource)
{
    Close();
    lastError.clear();
    if (newSource == nullptr)
    {
        lastError = "no audio source";
        return false;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        lastError = SDL_GetError();
        return false;
    }
    subsystemStarted = true;

    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof(wanted));
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kChannels;
    wanted.samples = 1024;
    wanted.callback = &AudioDevice::Callback;
    wanted.userdata = this;
    source = newSource;

    // No changes allowed: SDL converts to whatever the hardware wants, so the source always
    // renders the one format.
    SDL_AudioSpec obtained;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (id == 0)
    {
        lastError = SDL_GetError();
        source = nullptr;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
        return false;
    }
    deviceId = id;
    bufferFrames = obtained.samples;
    SDL_PauseAudioDevice(deviceId, 0);
    return true;
}

void AudioDevice::Close()
{
    if (deviceId != 0)
    {
        // Returns only after a running callback has finished; no callback follows.
        SDL_CloseAudioDevice(deviceId);
        deviceId = 0;
    }
    source = nullptr;
    if (subsystemStarted)
    {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
    }
}

void AudioDevice::Callback(void* userData, uint8_t* stream, int length)
{
    auto* device = static_cast<AudioDevice*>(userData);
    int frames = length / static_cast<int>(sizeof(int16_t) * kChannels);
    device->source->RenderAudio(reinterpret_cast<int16_t*>(stream), frames);
}

} // namespace Vesk::Platform
