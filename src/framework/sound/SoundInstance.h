#pragma once

namespace Vesk
{

// One playing (or ready) copy of a sample.
//
// TODO(sound): what PlaySample needs; volume, rate and the rest come with the sound manager.
class SoundInstance
{
public:
    virtual ~SoundInstance() = default;

    // Pan in hundredths of a decibel: negative left, positive right.
    virtual void SetPan(int pan) = 0;
    // With autoRelease the instance frees itself when it ends.
    virtual bool Play(bool looping, bool autoRelease) = 0;
};

} // namespace Vesk
