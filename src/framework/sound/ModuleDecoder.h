#pragma once

#include "framework/sound/AudioDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

// Renders module music (MOD, S3M, XM, IT and the other tracker formats) with libopenmpt, a
// block at a time, as stereo at the mixer's rate. The module file is held in memory; only the
// rendered audio is produced on demand.
class ModuleDecoder final : public AudioDecoder
{
public:
    // Reads the whole file through the file layer; null when that fails or the module is rejected.
    static std::unique_ptr<ModuleDecoder> Open(const std::string& fileName);
    static std::unique_ptr<ModuleDecoder> FromMemory(const std::vector<uint8_t>& bytes);
    ~ModuleDecoder() override;
    ModuleDecoder(const ModuleDecoder&) = delete;
    ModuleDecoder& operator=(const ModuleDecoder&) = delete;

    int Channels() const override { return 2; }
    int SampleRate() const override;
    int64_t TotalFrames() const override;
    int Read(int16_t* interleaved, int frameCount) override;
    bool SeekFrame(int64_t frame) override;
    bool SeekOrder(int order) override;
    void SetRepeat(bool forever) override;
    void SetAmplify(int amplify) override;

private:
    struct Module;
    explicit ModuleDecoder(std::unique_ptr<Module> module);

    std::unique_ptr<Module> module;
};

} // namespace Vesk
