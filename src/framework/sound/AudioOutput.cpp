#include "framework/sound/AudioOutput.h"

#include "framework/platform/AudioDevice.h"
#include "framework/sound/Mixer.h"

namespace Vesk
{

AudioOutput::AudioOutput() : device(std::make_unique<Platform::AudioDevice>()) {}

AudioOutput::~AudioOutput()
{
    Close();
}

bool AudioOutput::Open()
{
    Close();
    auto newMixer = std::make_shared<Mixer>();
    if (!device->Open(newMixer.get()))
        return false;
    mixer = std::move(newMixer);
    return true;
}

void AudioOutput::Close()
{
    // The device's thread is stopped before the mixer may go away.
    device->Close();
    mixer.reset();
}

bool AudioOutput::IsOpen() const
{
    return device->IsOpen();
}

const std::string& AudioOutput::LastError() const
{
    return device->LastError();
}

} // namespace Vesk
