#include "framework/sound/SoundCache.h"

#include "framework/platform/FileSystem.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundFileLoader.h"

#include <algorithm>

namespace Vesk
{

namespace
{

void PutU16(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value & 0xff));
    bytes.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
}

void PutU32(std::vector<uint8_t>& bytes, uint32_t value)
{
    PutU16(bytes, value & 0xffff);
    PutU16(bytes, value >> 16);
}

void PutU64(std::vector<uint8_t>& bytes, uint64_t value)
{
    PutU32(bytes, static_cast<uint32_t>(value & 0xffffffff));
    PutU32(bytes, static_cast<uint32_t>(value >> 32));
}

void PutId(std::vector<uint8_t>& bytes, const char* id)
{
    bytes.insert(bytes.end(), id, id + 4);
}

constexpr size_t kMaxDependencyName = 0xffff;

} // namespace

SoundCache::SoundCache(std::filesystem::path baseFolder) : baseFolder(std::move(baseFolder)) {}

bool SoundCache::IsCacheable(const std::string& path)
{
    return path.size() > 2 && path[0] != '/' && path[0] != '\\' && path[1] != ':';
}

std::filesystem::path SoundCache::CachedFile(const std::string& path) const
{
    // Separators of either kind; "." and ".." parts cannot lead out of the cache folder.
    std::filesystem::path file = baseFolder / "cached";
    std::string part;
    auto addPart = [&]
    {
        if (part == "..")
            file /= "_up_";
        else if (!part.empty() && part != ".")
            file /= part;
        part.clear();
    };
    for (char c : path)
    {
        if (c == '/' || c == '\\')
            addPart();
        else
            part += c;
    }
    part += ".wav";
    addPart();
    return file;
}

bool SoundCache::Load(const std::string& path, PcmSound& sound) const
{
    return SoundFileLoader::LoadWav(CachedFile(path).string(), sound);
}

bool SoundCache::Store(const std::string& path, const std::string& sourceName, const PcmSound& sound) const
{
    std::vector<uint8_t> bytes = BuildCachedWav(sound, sourceName, SoundFileLoader::LastWriteTime(sourceName), kKey);
    return !bytes.empty() && Platform::ReplaceCacheFile(CachedFile(path), bytes);
}

std::vector<uint8_t> SoundCache::BuildCachedWav(const PcmSound& sound, const std::string& sourceName,
                                                uint64_t sourceTime, uint8_t key)
{
    if (!sound.HasPlayableFormat() || sourceName.size() > kMaxDependencyName || sound.data.size() > 0xffffffffULL - 36)
        return {};
    const auto dataLength = static_cast<uint32_t>(sound.data.size());
    const auto blockAlign = static_cast<uint32_t>(sound.BlockAlign());
    std::vector<uint8_t> bytes;
    bytes.reserve(sound.data.size() + sourceName.size() + 80);

    PutId(bytes, "RIFF");
    PutU32(bytes, dataLength + 36);
    PutId(bytes, "WAVE");

    PutId(bytes, "fmt ");
    PutU32(bytes, 16);
    PutU16(bytes, 1);
    PutU16(bytes, static_cast<uint32_t>(sound.channels));
    PutU32(bytes, static_cast<uint32_t>(sound.sampleRate));
    PutU32(bytes, static_cast<uint32_t>(sound.sampleRate) * blockAlign);
    PutU16(bytes, blockAlign);
    PutU16(bytes, static_cast<uint32_t>(sound.bitsPerSample));

    PutId(bytes, "dep ");
    PutU32(bytes, static_cast<uint32_t>(sourceName.size() + 10));
    PutU16(bytes, static_cast<uint32_t>(sourceName.size()));
    bytes.insert(bytes.end(), sourceName.begin(), sourceName.end());
    PutU64(bytes, sourceTime);

    PutId(bytes, "xor ");
    PutU32(bytes, 1);
    bytes.push_back(key);

    PutId(bytes, "data");
    PutU32(bytes, dataLength);
    std::transform(sound.data.begin(), sound.data.end(), std::back_inserter(bytes),
                   [key](uint8_t byte) { return static_cast<uint8_t>(byte ^ key); });
    return bytes;
}

} // namespace Vesk
