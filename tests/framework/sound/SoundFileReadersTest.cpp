#include "framework/sound/AuReader.h"
#include "framework/sound/SoundCache.h"
#include "framework/sound/WavReader.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Vesk
{

using TestSupport::TestSounds;

namespace
{

bool ParseWav(const std::vector<uint8_t>& bytes, WavFile& file)
{
    return WavReader::Parse(bytes.data(), bytes.size(), file);
}

bool ParseWav(const std::vector<uint8_t>& bytes)
{
    WavFile file;
    return ParseWav(bytes, file);
}

void SetU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = static_cast<uint8_t>(value & 0xff);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void SetU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    SetU16(bytes, offset, static_cast<uint16_t>(value & 0xffff));
    SetU16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

// Offsets in the files TestSounds::Wav writes.
constexpr size_t kFormatTag = 20;
constexpr size_t kChannels = 22;
constexpr size_t kRate = 24;
constexpr size_t kBits = 34;

} // namespace

TEST(WavReaderTest, ReadsPcmFormatsAndSamples)
{
    std::vector<int16_t> samples = {0, 1000, -1000, 32767, -32768, 5};
    WavFile file;
    ASSERT_TRUE(ParseWav(TestSounds::Wav16(2, 44100, samples), file));
    EXPECT_EQ(file.sound.channels, 2);
    EXPECT_EQ(file.sound.sampleRate, 44100);
    EXPECT_EQ(file.sound.bitsPerSample, 16);
    EXPECT_EQ(file.sound.data, TestSounds::SamplesToBytes(samples));
    EXPECT_EQ(file.sound.FrameCount(), 3u);
    EXPECT_FALSE(file.hasDependency);

    ASSERT_TRUE(ParseWav(TestSounds::Wav(1, 8000, 8, {128, 0, 255}), file));
    EXPECT_EQ(file.sound.channels, 1);
    EXPECT_EQ(file.sound.sampleRate, 8000);
    EXPECT_EQ(file.sound.bitsPerSample, 8);
    EXPECT_EQ(file.sound.data, (std::vector<uint8_t>{128, 0, 255}));
}

TEST(WavReaderTest, SkipsUnknownChunksIncludingPaddedOddOnes)
{
    std::vector<uint8_t> bytes = TestSounds::Wav(1, 22050, 8, {1, 2, 3});
    // A "LIST" chunk of 3 bytes plus the usual zero pad byte between "fmt " and "data".
    std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    bytes.insert(bytes.begin() + 36, list.begin(), list.end());
    WavFile file;
    ASSERT_TRUE(ParseWav(bytes, file));
    EXPECT_EQ(file.sound.data, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(WavReaderTest, RejectsBrokenAndLyingFiles)
{
    const std::vector<uint8_t> good = TestSounds::Wav16(1, 22050, {1, 2, 3, 4});
    ASSERT_TRUE(ParseWav(good));

    // Every truncation fails without reading past the bytes (the sanitizers watch this).
    for (size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ParseWav(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size)))) << size;

    std::vector<uint8_t> bytes = good;
    std::memcpy(bytes.data(), "RIFX", 4);
    EXPECT_FALSE(ParseWav(bytes));

    // The data chunk claims more than the file holds.
    EXPECT_FALSE(ParseWav(TestSounds::Wav(1, 22050, 16, {1, 2, 3, 4}, 5)));
    EXPECT_FALSE(ParseWav(TestSounds::Wav(1, 22050, 16, {1, 2, 3, 4}, 0xffffffff)));
    // No samples at all.
    EXPECT_FALSE(ParseWav(TestSounds::Wav(1, 22050, 16, {})));

    bytes = good;
    SetU16(bytes, kChannels, 0);
    EXPECT_FALSE(ParseWav(bytes)) << "zero channels";
    bytes = good;
    SetU16(bytes, kChannels, 6);
    EXPECT_FALSE(ParseWav(bytes)) << "six channels";
    bytes = good;
    SetU32(bytes, kRate, 0);
    EXPECT_FALSE(ParseWav(bytes)) << "rate 0";
    bytes = good;
    SetU32(bytes, kRate, 0xffffffff);
    EXPECT_FALSE(ParseWav(bytes)) << "absurd rate";
    bytes = good;
    SetU16(bytes, kBits, 24);
    EXPECT_FALSE(ParseWav(bytes)) << "24 bits";
    bytes = good;
    SetU16(bytes, kFormatTag, 3);
    EXPECT_FALSE(ParseWav(bytes)) << "floating point";
    bytes = good;
    SetU32(bytes, 16, 12);
    EXPECT_FALSE(ParseWav(bytes)) << "short fmt chunk";
    // A chunk size running past the end before any data.
    bytes = good;
    SetU32(bytes, 16, 0x7ffffff0);
    EXPECT_FALSE(ParseWav(bytes));
}

TEST(WavReaderTest, CachedCopyRoundTripsWithItsSourceAndKey)
{
    PcmSound sound;
    sound.channels = 2;
    sound.sampleRate = 32000;
    sound.bitsPerSample = 16;
    sound.data = TestSounds::SamplesToBytes({100, -100, 0x1234, -2, 7, 8});
    std::vector<uint8_t> bytes = SoundCache::BuildCachedWav(sound, "sounds\\bell.ogg", 0x01d9123456789abcULL, 0x6b);

    // RIFF size counts the data and the 36 bytes of a plain header only.
    EXPECT_EQ(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24),
              static_cast<int>(sound.data.size() + 36));
    // The stored samples are not the plain ones.
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), sound.data.begin(), sound.data.end()), bytes.end());

    WavFile file;
    ASSERT_TRUE(ParseWav(bytes, file));
    EXPECT_EQ(file.sound.channels, 2);
    EXPECT_EQ(file.sound.sampleRate, 32000);
    EXPECT_EQ(file.sound.data, sound.data);
    EXPECT_TRUE(file.hasDependency);
    EXPECT_EQ(file.dependencyName, "sounds\\bell.ogg");
    EXPECT_EQ(file.dependencyTime, 0x01d9123456789abcULL);
    EXPECT_EQ(file.key, 0x6b);

    // Names longer than 255 characters are cut when read back; the time still lines up.
    std::string longName(300, 'n');
    ASSERT_TRUE(ParseWav(SoundCache::BuildCachedWav(sound, longName, 42, 1), file));
    EXPECT_EQ(file.dependencyName, std::string(255, 'n'));
    EXPECT_EQ(file.dependencyTime, 42u);
    EXPECT_EQ(file.sound.data, sound.data);
}

TEST(WavReaderTest, RejectsDamagedCacheChunks)
{
    PcmSound sound;
    sound.channels = 1;
    sound.sampleRate = 22050;
    sound.data = TestSounds::SamplesToBytes({1, 2, 3});
    const std::vector<uint8_t> good = SoundCache::BuildCachedWav(sound, "a.ogg", 5, 9);
    ASSERT_TRUE(ParseWav(good));
    const size_t dep = 36; // "dep " follows the 16-byte fmt chunk

    std::vector<uint8_t> bytes = good;
    SetU16(bytes, dep + 8, 2000); // name length past the chunk
    EXPECT_FALSE(ParseWav(bytes));
    bytes = good;
    SetU32(bytes, dep + 4, 4); // chunk too small for a name and a time
    EXPECT_FALSE(ParseWav(bytes));
    for (size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ParseWav(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size)))) << size;
}

TEST(AuReaderTest, ExpandsMuLawAndConvertsSignedLinearBytes)
{
    EXPECT_EQ(AuReader::ExpandMuLaw(0xff), 0);
    EXPECT_EQ(AuReader::ExpandMuLaw(0x7f), 0);
    EXPECT_EQ(AuReader::ExpandMuLaw(0x00), -32124);
    EXPECT_EQ(AuReader::ExpandMuLaw(0x80), 32124);
    EXPECT_EQ(AuReader::ExpandMuLaw(0xfe), 8);
    EXPECT_EQ(AuReader::ExpandMuLaw(0x7e), -8);
    // Larger codes (in each half) are quieter.
    for (int code = 0x80; code < 0xff; ++code)
        EXPECT_GT(AuReader::ExpandMuLaw(static_cast<uint8_t>(code)),
                  AuReader::ExpandMuLaw(static_cast<uint8_t>(code + 1)));

    std::vector<uint8_t> bytes = TestSounds::Au(1, 8000, 1, {0xff, 0x80, 0x00});
    PcmSound sound;
    ASSERT_TRUE(AuReader::Parse(bytes.data(), bytes.size(), sound));
    EXPECT_EQ(sound.bitsPerSample, 16);
    EXPECT_EQ(sound.sampleRate, 8000);
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.data, TestSounds::SamplesToBytes({0, 32124, -32124}));

    // Signed 8-bit samples become the unsigned bytes the mixer expects: 0 -> 128.
    bytes = TestSounds::Au(2, 11025, 2, {0x00, 0x7f, 0x80, 0xff});
    ASSERT_TRUE(AuReader::Parse(bytes.data(), bytes.size(), sound));
    EXPECT_EQ(sound.bitsPerSample, 8);
    EXPECT_EQ(sound.channels, 2);
    EXPECT_EQ(sound.data, (std::vector<uint8_t>{0x80, 0xff, 0x00, 0x7f}));

    // An unknown size reads to the end.
    bytes = TestSounds::Au(2, 11025, 1, {1, 2, 3}, 0xffffffff);
    ASSERT_TRUE(AuReader::Parse(bytes.data(), bytes.size(), sound));
    EXPECT_EQ(sound.data.size(), 3u);
}

TEST(AuReaderTest, RejectsUnknownEncodingsAndBrokenHeaders)
{
    PcmSound sound;
    sound.sampleRate = 1234;
    auto parse = [&sound](const std::vector<uint8_t>& bytes)
    { return AuReader::Parse(bytes.data(), bytes.size(), sound); };
    EXPECT_FALSE(parse(TestSounds::Au(3, 8000, 1, {0, 0, 0, 0}))) << "16-bit linear";
    EXPECT_FALSE(parse(TestSounds::Au(27, 8000, 1, {0, 0}))) << "a-law";
    EXPECT_FALSE(parse(TestSounds::Au(1, 8000, 1, {1, 2}, 3))) << "size past the end";
    EXPECT_FALSE(parse(TestSounds::Au(1, 8000, 0, {1, 2}))) << "no channels";
    EXPECT_FALSE(parse(TestSounds::Au(1, 0, 1, {1, 2}))) << "rate 0";
    EXPECT_FALSE(parse(TestSounds::Au(1, 0xffffffff, 1, {1, 2}))) << "absurd rate";
    EXPECT_FALSE(parse(TestSounds::Au(1, 8000, 1, {}))) << "no samples";

    std::vector<uint8_t> bytes = TestSounds::Au(1, 8000, 1, {1, 2});
    bytes[7] = 200; // data offset past the end
    EXPECT_FALSE(parse(bytes));
    bytes[7] = 8; // data offset inside the header
    EXPECT_FALSE(parse(bytes));
    bytes = TestSounds::Au(1, 8000, 1, {1, 2});
    bytes[0] = '#';
    EXPECT_FALSE(parse(bytes));
    for (size_t size = 0; size < 24; ++size)
        EXPECT_FALSE(parse(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(size))));
    // A failed parse leaves the output alone.
    EXPECT_EQ(sound.sampleRate, 1234);
}

TEST(SoundCacheTest, CachesRelativePathsInsideItsFolder)
{
    EXPECT_TRUE(SoundCache::IsCacheable("sounds\\click"));
    EXPECT_TRUE(SoundCache::IsCacheable("abc"));
    EXPECT_FALSE(SoundCache::IsCacheable("ab"));
    EXPECT_FALSE(SoundCache::IsCacheable("/tmp/click"));
    EXPECT_FALSE(SoundCache::IsCacheable("\\sounds\\click"));
    EXPECT_FALSE(SoundCache::IsCacheable("c:\\sounds\\click"));

    SoundCache cache("/data/orlo");
    EXPECT_EQ(cache.CachedFile("sounds\\click"), std::filesystem::path("/data/orlo/cached/sounds/click.wav"));
    EXPECT_EQ(cache.CachedFile("sounds//ui/./click"), std::filesystem::path("/data/orlo/cached/sounds/ui/click.wav"));
    EXPECT_EQ(cache.CachedFile("..\\..\\click"), std::filesystem::path("/data/orlo/cached/_up_/_up_/click.wav"));
    EXPECT_EQ(SoundCache("").CachedFile("a\\b"), std::filesystem::path("cached/a/b.wav"));
}

} // namespace Vesk
