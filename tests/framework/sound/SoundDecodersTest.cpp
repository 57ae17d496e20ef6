#include "framework/sound/ModuleDecoder.h"
#include "framework/sound/Mp3Decoder.h"
#include "framework/sound/OggVorbisDecoder.h"
#include "framework/sound/PcmSound.h"
#include "framework/sound/SoundFileLoader.h"
#include "framework/sound/WavStreamDecoder.h"
#include "support/TempFolder.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace Vesk
{

using TestSupport::TempFolder;
using TestSupport::TestSounds;

namespace
{

// Reads a decoder to its end in blocks; the frames it gave.
std::vector<int16_t> ReadAll(AudioDecoder& decoder, int blockFrames = 1000)
{
    std::vector<int16_t> all;
    std::vector<int16_t> block(static_cast<size_t>(blockFrames) * static_cast<size_t>(decoder.Channels()));
    for (;;)
    {
        int got = decoder.Read(block.data(), blockFrames);
        if (got <= 0)
            break;
        all.insert(all.end(), block.begin(), block.begin() + got * decoder.Channels());
    }
    return all;
}

double Rms(const std::vector<int16_t>& samples, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

} // namespace

TEST(SoundDecodersTest, OggVorbisDecodesTheToneItWasGiven)
{
    TempFolder folder;
    folder.WriteFile("tone.ogg", TestSounds::OggTone(2, 44100, 1000.0, 0.5, 0.5));
    std::unique_ptr<OggVorbisDecoder> decoder = OggVorbisDecoder::Open("tone.ogg");
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Channels(), 2);
    EXPECT_EQ(decoder->SampleRate(), 44100);
    EXPECT_EQ(decoder->TotalFrames(), 22050);
    std::vector<int16_t> samples = ReadAll(*decoder);
    ASSERT_EQ(samples.size(), 22050u * 2);
    // A sine of amplitude 0.5 has an RMS of 0.5 / sqrt(2) of full scale.
    EXPECT_NEAR(Rms(samples, 2000, 40000), 0.5 / std::sqrt(2.0) * 32767, 600);

    ASSERT_TRUE(decoder->SeekFrame(22000));
    EXPECT_EQ(ReadAll(*decoder).size(), 50u * 2);

    PcmSound sound;
    ASSERT_TRUE(SoundFileLoader::DecodeOgg("tone.ogg", sound));
    EXPECT_EQ(sound.FrameCount(), 22050u);
    EXPECT_EQ(sound.bitsPerSample, 16);
}

TEST(SoundDecodersTest, BrokenOggStreamsAreRefused)
{
    TempFolder folder;
    const std::vector<uint8_t> tone = TestSounds::OggTone(1, 22050, 440.0, 1.0);
    PcmSound sound;
    EXPECT_EQ(OggVorbisDecoder::Open("missing.ogg"), nullptr);
    folder.WriteFile("text.ogg", std::string("this is not a sound"));
    EXPECT_EQ(OggVorbisDecoder::Open("text.ogg"), nullptr);
    folder.WriteFile("headers.ogg", std::vector<uint8_t>(tone.begin(), tone.begin() + 200));
    EXPECT_EQ(OggVorbisDecoder::Open("headers.ogg"), nullptr);
    // Damaged audio pages decode to less than the stream announces: the sound is refused.
    std::vector<uint8_t> damaged = tone;
    for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 200; ++i)
        damaged[i] ^= 0x5a;
    folder.WriteFile("damaged.ogg", damaged);
    EXPECT_FALSE(SoundFileLoader::DecodeOgg("damaged.ogg", sound));
    EXPECT_FALSE(SoundFileLoader::DecodeOgg("text.ogg", sound));
}

TEST(SoundDecodersTest, HandMadeMp3FramesDecodeToSilence)
{
    TempFolder folder;
    folder.WriteFile("quiet.mp3", TestSounds::SilentMp3(20));
    std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::Open("quiet.mp3");
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Channels(), 1);
    EXPECT_EQ(decoder->SampleRate(), 44100);
    std::vector<int16_t> samples = ReadAll(*decoder, 700);
    EXPECT_GE(samples.size(), 18u * 1152);
    EXPECT_LE(samples.size(), 20u * 1152);
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](int16_t v) { return v == 0; }));
    EXPECT_EQ(decoder->Read(samples.data(), 10), 0);
    ASSERT_TRUE(decoder->SeekFrame(0));
    EXPECT_EQ(ReadAll(*decoder).size(), samples.size());

    PcmSound sound;
    ASSERT_TRUE(SoundFileLoader::DecodeMp3("quiet.mp3", sound));
    EXPECT_EQ(sound.FrameCount(), samples.size());
}

TEST(SoundDecodersTest, BrokenMp3StreamsAreRefused)
{
    TempFolder folder;
    PcmSound sound;
    EXPECT_EQ(Mp3Decoder::Open("missing.mp3"), nullptr);
    folder.WriteFile("text.mp3", std::string(20000, 'x'));
    EXPECT_EQ(Mp3Decoder::Open("text.mp3"), nullptr);
    folder.WriteFile("empty.mp3", std::string());
    EXPECT_EQ(Mp3Decoder::Open("empty.mp3"), nullptr);
    // A lone header with its frame cut off.
    std::vector<uint8_t> cut = TestSounds::SilentMp3(1);
    cut.resize(10);
    folder.WriteFile("cut.mp3", cut);
    EXPECT_FALSE(SoundFileLoader::DecodeMp3("cut.mp3", sound));
    // Frames with a reserved sampling-rate code.
    std::vector<uint8_t> reserved = TestSounds::SilentMp3(5);
    for (size_t i = 0; i < reserved.size(); i += 417)
        reserved[i + 2] = 0x9c;
    folder.WriteFile("reserved.mp3", reserved);
    EXPECT_FALSE(SoundFileLoader::DecodeMp3("reserved.mp3", sound));
}

TEST(SoundDecodersTest, WavStreamsReadBlocksAndSurviveLyingSizes)
{
    TempFolder folder;
    std::vector<int16_t> samples(3000);
    std::iota(samples.begin(), samples.end(), int16_t{-1500});
    folder.WriteFile("song.wav", TestSounds::Wav16(2, 32000, samples));
    std::unique_ptr<WavStreamDecoder> decoder = WavStreamDecoder::Open("song.wav");
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Channels(), 2);
    EXPECT_EQ(decoder->SampleRate(), 32000);
    EXPECT_EQ(decoder->TotalFrames(), 1500);
    EXPECT_EQ(ReadAll(*decoder, 333), samples);
    ASSERT_TRUE(decoder->SeekFrame(1499));
    EXPECT_EQ(ReadAll(*decoder), (std::vector<int16_t>{1498, 1499}));
    EXPECT_FALSE(decoder->SeekFrame(1501));

    // 8-bit samples widen to 16 bits.
    folder.WriteFile("eight.wav", TestSounds::Wav(1, 8000, 8, {128, 255, 0}));
    decoder = WavStreamDecoder::Open("eight.wav");
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(ReadAll(*decoder), (std::vector<int16_t>{0, 127 * 256, -128 * 256}));

    // A data size past the end plays what is there.
    folder.WriteFile("lying.wav", TestSounds::Wav(1, 8000, 16, TestSounds::SamplesToBytes({5, 6, 7}), 0xfffffff0));
    decoder = WavStreamDecoder::Open("lying.wav");
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(ReadAll(*decoder), (std::vector<int16_t>{5, 6, 7}));

    folder.WriteFile("nochannels.wav", TestSounds::Wav(0, 8000, 16, {1, 2}));
    EXPECT_EQ(WavStreamDecoder::Open("nochannels.wav"), nullptr);
    folder.WriteFile("empty.wav", TestSounds::Wav(1, 8000, 16, {}));
    EXPECT_EQ(WavStreamDecoder::Open("empty.wav"), nullptr);
    folder.WriteFile("short.wav", std::string("RIFF\0\0\0\0WAVEfmt ", 16));
    EXPECT_EQ(WavStreamDecoder::Open("short.wav"), nullptr);
    EXPECT_EQ(WavStreamDecoder::Open("missing.wav"), nullptr);
}

TEST(SoundDecodersTest, ModulesRenderRepeatAndSeekOrders)
{
    std::unique_ptr<ModuleDecoder> decoder = ModuleDecoder::FromMemory(TestSounds::Module(2));
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->Channels(), 2);
    EXPECT_EQ(decoder->SampleRate(), 44100);
    // Two orders of 64 rows at speed 6, 125 BPM: 2 x 64 x 0.12 s = 15.36 s.
    EXPECT_NEAR(static_cast<double>(decoder->TotalFrames()) / 44100.0, 15.36, 0.05);
    std::vector<int16_t> block(44100 * 2);
    ASSERT_EQ(decoder->Read(block.data(), 44100), 44100);
    EXPECT_GT(Rms(block, 0, block.size()), 1000.0) << "the square wave is heard";

    // Played once, it ends (after a short tail); told to repeat, it does not.
    std::vector<int16_t> rest = ReadAll(*decoder, 44100);
    EXPECT_NEAR(static_cast<double>(rest.size()) / 2 / 44100.0, 14.4, 0.1);
    ASSERT_TRUE(decoder->SeekOrder(1));
    decoder->SetRepeat(true);
    for (int second = 0; second < 20; ++second)
        ASSERT_EQ(decoder->Read(block.data(), 44100), 44100) << second;
    EXPECT_FALSE(decoder->SeekOrder(2));
    EXPECT_FALSE(decoder->SeekOrder(-1));

    EXPECT_EQ(ModuleDecoder::FromMemory({}), nullptr);
    EXPECT_EQ(ModuleDecoder::FromMemory(std::vector<uint8_t>(3000, 0x41)), nullptr);
    TempFolder folder;
    EXPECT_EQ(ModuleDecoder::Open("missing.mod"), nullptr);
}

} // namespace Vesk
