// Treats arbitrary bytes as a decoded-sound cache file. Reading it through the cache must not
// crash; whatever parses must survive being written back and read again unchanged.
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundCache.h"
#include "framework/sound/WavReader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace
{

const std::filesystem::path& BaseFolder()
{
    static const std::filesystem::path folder = []
    {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("orlo-fuzz-sound-cache-" + std::to_string(::getpid()));
        std::atexit(
            []
            {
                std::error_code error;
                std::filesystem::remove_all(BaseFolder(), error);
            });
        return path;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Through the cache, as the sound manager reads it (file layer, staleness check).
    const Vesk::SoundCache cache(BaseFolder());
    const std::filesystem::path file = cache.CachedFile("fuzz\\sound");
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Vesk::PcmSound loaded;
    (void)cache.Load("fuzz\\sound", loaded);

    Vesk::WavFile parsed;
    if (!Vesk::WavReader::Parse(data, size, parsed))
        return 0;
    const std::vector<uint8_t> rebuilt = Vesk::SoundCache::BuildCachedWav(
        parsed.sound, parsed.dependencyName, parsed.dependencyTime, Vesk::SoundCache::kKey);
    Vesk::WavFile again;
    if (!Vesk::WavReader::Parse(rebuilt.data(), rebuilt.size(), again))
        std::abort();
    if (again.sound.data != parsed.sound.data || again.sound.channels != parsed.sound.channels ||
        again.sound.sampleRate != parsed.sound.sampleRate || again.sound.bitsPerSample != parsed.sound.bitsPerSample ||
        !again.hasDependency || again.dependencyName != parsed.dependencyName ||
        again.dependencyTime != parsed.dependencyTime)
        std::abort();
    return 0;
}
