#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

class AudioDecoder;
struct PcmSound;

// Loads sound effect files whole, each format to plain PCM: WAV, AU, and Ogg Vorbis and MP3
// decoded completely. Every file is read through the file layer (archive or disk).
class SoundFileLoader
{
public:
    // Sound effects larger than these are refused rather than held in memory.
    static constexpr size_t kMaxFileBytes = size_t{256} << 20;
    static constexpr size_t kMaxDecodedBytes = size_t{512} << 20;

    // The whole file; false when it cannot be opened or read, or is larger than kMaxFileBytes.
    [[nodiscard]] static bool ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes);
    // A WAV file; one that names a source file ("dep " chunk) whose time on disk differs from
    // the recorded one is stale and fails.
    [[nodiscard]] static bool LoadWav(const std::string& fileName, PcmSound& sound);
    [[nodiscard]] static bool LoadAu(const std::string& fileName, PcmSound& sound);
    // The whole stream as 16-bit samples; fails unless it decodes to its announced length.
    [[nodiscard]] static bool DecodeOgg(const std::string& fileName, PcmSound& sound);
    // The whole stream as 16-bit samples; fails when no audio frame decodes.
    [[nodiscard]] static bool DecodeMp3(const std::string& fileName, PcmSound& sound);

    // The file's last-write time on disk as a FILETIME (100 ns steps since 1601-01-01); 0 when
    // it cannot be read. Backslashes in the name are folder separators.
    static uint64_t LastWriteTime(const std::string& fileName);

private:
    // Decodes until the end, or exactly `frames` frames when that is not negative.
    static bool DecodeAll(AudioDecoder& decoder, int64_t frames, PcmSound& sound);
};

} // namespace Vesk
