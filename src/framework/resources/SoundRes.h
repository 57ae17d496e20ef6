#pragma once

#include "framework/resources/BaseRes.h"
#include "framework/resources/ResourceLoader.h"

namespace Vesk
{

// A Sound of the manifest and, once loaded, its id in the sound manager (-1 while not loaded).
class SoundRes : public BaseRes
{
public:
    using BaseRes::BaseRes;

    void Unload(ResourceLoader& loader) override
    {
        if (soundId != -1)
            loader.ReleaseSound(soundId);
        soundId = -1;
    }
    bool IsLoaded() const override { return soundId != -1; }

    int soundId = -1;
};

} // namespace Vesk
