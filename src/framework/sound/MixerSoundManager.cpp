#include "framework/sound/MixerSoundManager.h"

#include "framework/sound/Mixer.h"
#include "framework/sound/MixerSample.h"
#include "framework/sound/MixerSoundInstance.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundFileLoader.h"

#include <algorithm>

namespace Vesk
{

namespace
{

constexpr uint64_t kSweepInterval = 1000;
constexpr int kMasterLevelMax = 65535;

} // namespace

MixerSoundManager::MixerSoundManager(std::shared_ptr<Mixer> mixer, std::filesystem::path dataFolder)
    : mixer(std::move(mixer)), cache(std::move(dataFolder))
{
}

MixerSoundManager::~MixerSoundManager()
{
    ReleaseChannels();
    ReleaseSounds();
}

bool MixerSoundManager::Initialized()
{
    return mixer != nullptr;
}

int MixerSoundManager::LoadSound(const std::string& path)
{
    int freeId = -1;
    {
        std::lock_guard lock(tableMutex);
        for (int id = 0; id < kMaxSounds; ++id)
        {
            if (slots[id].sample != nullptr && slots[id].name == path)
                return id;
        }
        for (int id = kMaxSounds - 1; id >= 0 && freeId < 0; --id)
        {
            if (slots[id].sample == nullptr)
                freeId = id;
        }
    }
    if (freeId < 0 || !LoadSound(freeId, path))
        return -1;
    return freeId;
}

bool MixerSoundManager::LoadSound(int id, const std::string& path)
{
    if (!IsValidId(id))
        return false;
    if (mixer == nullptr)
        return true;
    ReleaseSound(id);
    {
        std::lock_guard lock(tableMutex);
        slots[id].name = path;
    }

    PcmSound sound;
    std::shared_ptr<const MixerSample> sample;
    if (ReadSound(path, sound))
        sample = MixerSample::FromPcm(sound);

    std::lock_guard lock(tableMutex);
    if (sample == nullptr)
    {
        slots[id].name.clear();
        return false;
    }
    slots[id].sample = std::move(sample);
    slots[id].size = sound.data.size();
    return true;
}

bool MixerSoundManager::ReadSound(const std::string& path, PcmSound& sound) const
{
    const bool cacheable = SoundCache::IsCacheable(path);
    if (cacheable && cache.Load(path, sound))
        return true;
    if (SoundFileLoader::LoadWav(path + ".wav", sound))
        return true;

    struct Decoder
    {
        const char* extension;
        bool (*decode)(const std::string&, PcmSound&);
        bool enabled;
    };
    const Decoder decoders[] = {{".mp3", &SoundFileLoader::DecodeMp3, mp3Enabled},
                                {".ogg", &SoundFileLoader::DecodeOgg, true},
                                {".au", &SoundFileLoader::LoadAu, true}};
    for (const Decoder& decoder : decoders)
    {
        const std::string source = path + decoder.extension;
        if (!decoder.enabled || !decoder.decode(source, sound))
            continue;
        // A cache that cannot be written only costs decoding again next time.
        if (cacheable)
            (void)cache.Store(path, source, sound);
        return true;
    }
    return false;
}

void MixerSoundManager::ReleaseSound(int id)
{
    if (!IsValidId(id))
        return;
    std::lock_guard lock(tableMutex);
    slots[id].sample.reset();
    slots[id].name.clear();
    slots[id].size = 0;
}

void MixerSoundManager::SetVolume(double volume)
{
    volumeScale = volume;
    for (auto& instance : instances)
    {
        if (instance != nullptr)
            instance->ApplyVolume();
    }
}

bool MixerSoundManager::SetBaseVolume(int id, double volume)
{
    if (!IsValidId(id))
        return false;
    std::lock_guard lock(tableMutex);
    slots[id].baseVolume = volume;
    return true;
}

bool MixerSoundManager::SetBasePan(int id, int pan)
{
    if (!IsValidId(id))
        return false;
    std::lock_guard lock(tableMutex);
    slots[id].basePan = pan;
    return true;
}

void MixerSoundManager::SweepReleasedInstances()
{
    if (clock)
    {
        uint64_t now = clock();
        if (swept && now - lastSweep < kSweepInterval)
            return;
        lastSweep = now;
        swept = true;
    }
    for (auto& instance : instances)
    {
        if (instance != nullptr && instance->IsReleased())
            instance.reset();
    }
}

SoundInstance* MixerSoundManager::GetSoundInstance(int id)
{
    if (!IsValidId(id))
        return nullptr;
    SweepReleasedInstances();

    std::unique_ptr<MixerSoundInstance>* place = nullptr;
    for (auto& instance : instances)
    {
        if (instance != nullptr && instance->IsReleased())
            instance.reset();
        if (instance == nullptr)
        {
            place = &instance;
            break;
        }
    }
    if (place == nullptr)
        return nullptr;

    std::shared_ptr<const MixerSample> sample;
    double baseVolume;
    int basePan;
    {
        std::lock_guard lock(tableMutex);
        sample = slots[id].sample;
        baseVolume = slots[id].baseVolume;
        basePan = slots[id].basePan;
    }
    if (mixer == nullptr)
    {
        *place = std::make_unique<MixerSoundInstance>(this, nullptr, Mixer::kNoVoice, Mixer::kOutputRate);
    }
    else
    {
        if (sample == nullptr)
            return nullptr;
        double frequency = sample->SampleRate();
        Mixer::VoiceId voice = mixer->AddSampleVoice(std::move(sample));
        *place = std::make_unique<MixerSoundInstance>(this, mixer, voice, frequency);
    }
    (*place)->SetBasePan(basePan);
    (*place)->SetBaseVolume(baseVolume);
    return place->get();
}

void MixerSoundManager::ReleaseSounds()
{
    for (int id = 0; id < kMaxSounds; ++id)
        ReleaseSound(id);
}

void MixerSoundManager::ReleaseChannels()
{
    for (auto& instance : instances)
        instance.reset();
}

double MixerSoundManager::GetMasterVolume()
{
    if (mixer != nullptr)
        return mixer->GetMasterGain();
    return masterLevel / static_cast<double>(kMasterLevelMax);
}

void MixerSoundManager::SetMasterVolume(double volume)
{
    masterLevel = static_cast<int>(std::clamp(volume, 0.0, 1.0) * kMasterLevelMax);
    if (mixer != nullptr)
        mixer->SetMasterGain(masterLevel / static_cast<double>(kMasterLevelMax));
}

void MixerSoundManager::StopAllSounds()
{
    for (auto& instance : instances)
    {
        if (instance != nullptr)
            instance->StopKeepingAutoRelease();
    }
}

int MixerSoundManager::GetFreeSoundId()
{
    std::lock_guard lock(tableMutex);
    for (int id = 0; id < kMaxSounds; ++id)
    {
        if (slots[id].sample == nullptr)
            return id;
    }
    return -1;
}

int MixerSoundManager::GetNumSounds()
{
    std::lock_guard lock(tableMutex);
    return static_cast<int>(
        std::count_if(slots.begin(), slots.end(), [](const SampleSlot& slot) { return slot.sample != nullptr; }));
}

size_t MixerSoundManager::GetSoundSize(int id) const
{
    if (!IsValidId(id))
        return 0;
    std::lock_guard lock(tableMutex);
    return slots[id].size;
}

} // namespace Vesk
