#include "framework/sound/SoundFileLoader.h"

#include "framework/resources/PakInterface.h"
#include "framework/sound/AuReader.h"
#include "framework/sound/Mp3Decoder.h"
#include "framework/sound/OggVorbisDecoder.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/WavReader.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace Vesk
{

namespace
{

// Seconds from 1601-01-01 (FILETIME's start) to 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 11644473600ULL;
constexpr int kDecodeBlockFrames = 4096;

} // namespace

bool SoundFileLoader::ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes)
{
    PFILE* file = p_fopen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    bool ok = false;
    long size = -1;
    if (p_fseek(file, 0, SEEK_END) == 0)
        size = p_ftell(file);
    if (size >= 0 && static_cast<size_t>(size) <= kMaxFileBytes && p_fseek(file, 0, SEEK_SET) == 0)
    {
        std::vector<uint8_t> content(static_cast<size_t>(size));
        ok = p_fread(content.data(), 1, content.size(), file) == content.size();
        if (ok)
            bytes = std::move(content);
    }
    p_fclose(file);
    return ok;
}

uint64_t SoundFileLoader::LastWriteTime(const std::string& fileName)
{
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    struct stat status;
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || status.st_mtim.tv_sec < 0)
        return 0;
    return (static_cast<uint64_t>(status.st_mtim.tv_sec) + kFileTimeEpochOffset) * 10000000ULL +
           static_cast<uint64_t>(status.st_mtim.tv_nsec) / 100;
}

bool SoundFileLoader::LoadWav(const std::string& fileName, PcmSound& sound)
{
    std::vector<uint8_t> bytes;
    WavFile file;
    if (!ReadWholeFile(fileName, bytes) || !WavReader::Parse(bytes.data(), bytes.size(), file))
        return false;
    if (file.hasDependency && LastWriteTime(file.dependencyName) != file.dependencyTime)
        return false;
    sound = std::move(file.sound);
    return true;
}

bool SoundFileLoader::LoadAu(const std::string& fileName, PcmSound& sound)
{
    std::vector<uint8_t> bytes;
    return ReadWholeFile(fileName, bytes) && AuReader::Parse(bytes.data(), bytes.size(), sound);
}

bool SoundFileLoader::DecodeOgg(const std::string& fileName, PcmSound& sound)
{
    std::unique_ptr<OggVorbisDecoder> decoder = OggVorbisDecoder::Open(fileName);
    if (decoder == nullptr || decoder->TotalFrames() <= 0)
        return false;
    return DecodeAll(*decoder, decoder->TotalFrames(), sound);
}

bool SoundFileLoader::DecodeMp3(const std::string& fileName, PcmSound& sound)
{
    std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::Open(fileName);
    return decoder != nullptr && DecodeAll(*decoder, -1, sound);
}

bool SoundFileLoader::DecodeAll(AudioDecoder& decoder, int64_t frames, PcmSound& sound)
{
    PcmSound result;
    result.channels = decoder.Channels();
    result.sampleRate = decoder.SampleRate();
    result.bitsPerSample = 16;
    if (!result.HasPlayableFormat())
        return false;
    const size_t frameBytes = static_cast<size_t>(result.BlockAlign());
    const size_t maxFrames = kMaxDecodedBytes / frameBytes;
    if (frames > static_cast<int64_t>(maxFrames))
        return false;
    const size_t wanted = frames >= 0 ? static_cast<size_t>(frames) : maxFrames;
    // The length comes from the file's header: reserve for it only up to a few seconds, so a
    // small damaged file cannot make us hold hundreds of megabytes while it fails to decode.
    constexpr size_t kMostReservedBytes = size_t{4} << 20;
    if (frames >= 0)
        result.data.reserve(std::min(wanted * frameBytes, kMostReservedBytes));

    std::vector<int16_t> block(static_cast<size_t>(kDecodeBlockFrames) * static_cast<size_t>(result.channels));
    size_t decoded = 0;
    while (decoded < wanted)
    {
        int ask = static_cast<int>(std::min<size_t>(kDecodeBlockFrames, wanted - decoded));
        int got = decoder.Read(block.data(), ask);
        if (got <= 0)
            break;
        size_t samples = static_cast<size_t>(got) * static_cast<size_t>(result.channels);
        for (size_t i = 0; i < samples; ++i)
        {
            auto value = static_cast<uint16_t>(block[i]);
            result.data.push_back(static_cast<uint8_t>(value & 0xff));
            result.data.push_back(static_cast<uint8_t>(value >> 8));
        }
        decoded += static_cast<size_t>(got);
    }
    if (decoded == 0 || (frames >= 0 && decoded != wanted))
        return false;
    sound = std::move(result);
    return true;
}

} // namespace Vesk
