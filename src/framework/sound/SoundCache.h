#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{

struct PcmSound;

// The decoded-sound cache: a compressed sound effect (Ogg Vorbis, MP3, AU) is decoded once and
// kept as a WAV file under the game's data folder, in "cached/" + the sound's path + ".wav".
// Each copy records its source file's name and last-write time ("dep " chunk) and is ignored
// once the source changes; its samples are XOR-ed with a key byte ("xor " chunk).
class SoundCache
{
public:
    // The key byte the cache's writer uses.
    static constexpr uint8_t kKey = 0x6b;

    // Caches under `baseFolder` (the game's data folder; empty means the working directory).
    explicit SoundCache(std::filesystem::path baseFolder);

    // Only relative sound paths are cached: longer than 2 characters, not starting with a
    // slash or backslash, no drive colon.
    static bool IsCacheable(const std::string& path);
    // Where the copy of a sound (path without extension) lives.
    std::filesystem::path CachedFile(const std::string& path) const;

    // The cached copy; false when there is none, it is damaged or its source has changed.
    [[nodiscard]] bool Load(const std::string& path, PcmSound& sound) const;
    // Writes the copy of a sound decoded from `sourceName`, replacing any old one at once.
    [[nodiscard]] bool Store(const std::string& path, const std::string& sourceName, const PcmSound& sound) const;

    // The bytes of a cached copy: "RIFF" (size = data length + 36), "WAVE", "fmt ", "dep ",
    // "xor ", "data" with every sample byte XOR-ed with the key.
    static std::vector<uint8_t> BuildCachedWav(const PcmSound& sound, const std::string& sourceName,
                                               uint64_t sourceTime, uint8_t key);

private:
    std::filesystem::path baseFolder;
};

} // namespace Vesk
