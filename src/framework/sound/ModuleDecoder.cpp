#include "framework/sound/ModuleDecoder.h"

#include "framework/sound/Mixer.h"
#include "framework/sound/SoundFileLoader.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>

namespace Vesk
{

namespace
{

// Amplification 50 leaves the module at its own level; each halving or doubling is 6 dB.
constexpr int kNeutralAmplify = 50;
constexpr int kSilentMillibel = -10000;

} // namespace

struct ModuleDecoder::Module
{
    openmpt_module* handle = nullptr;

    ~Module()
    {
        if (handle != nullptr)
            openmpt_module_destroy(handle);
    }
};

std::unique_ptr<ModuleDecoder> ModuleDecoder::Open(const std::string& fileName)
{
    std::vector<uint8_t> bytes;
    if (!SoundFileLoader::ReadWholeFile(fileName, bytes))
        return nullptr;
    return FromMemory(bytes);
}

std::unique_ptr<ModuleDecoder> ModuleDecoder::FromMemory(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
        return nullptr;
    auto module = std::make_unique<Module>();
    int error = 0;
    module->handle = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), &openmpt_log_func_silent, nullptr,
                                                        &openmpt_error_func_ignore, nullptr, &error, nullptr, nullptr);
    if (module->handle == nullptr)
        return nullptr;
    std::unique_ptr<ModuleDecoder> decoder(new ModuleDecoder(std::move(module)));
    decoder->SetRepeat(false);
    return decoder;
}

ModuleDecoder::ModuleDecoder(std::unique_ptr<Module> module) : module(std::move(module)) {}

ModuleDecoder::~ModuleDecoder() = default;

int ModuleDecoder::SampleRate() const
{
    return Mixer::kOutputRate;
}

int64_t ModuleDecoder::TotalFrames() const
{
    double seconds = openmpt_module_get_duration_seconds(module->handle);
    return seconds > 0.0 ? static_cast<int64_t>(seconds * Mixer::kOutputRate) : -1;
}

int ModuleDecoder::Read(int16_t* interleaved, int frameCount)
{
    if (frameCount <= 0)
        return 0;
    return static_cast<int>(openmpt_module_read_interleaved_stereo(module->handle, Mixer::kOutputRate,
                                                                   static_cast<size_t>(frameCount), interleaved));
}

bool ModuleDecoder::SeekFrame(int64_t frame)
{
    if (frame < 0)
        return false;
    openmpt_module_set_position_seconds(module->handle, static_cast<double>(frame) / Mixer::kOutputRate);
    return true;
}

bool ModuleDecoder::SeekOrder(int order)
{
    if (order < 0 || order >= openmpt_module_get_num_orders(module->handle))
        return false;
    openmpt_module_set_position_order_row(module->handle, order, 0);
    return true;
}

void ModuleDecoder::SetRepeat(bool forever)
{
    openmpt_module_set_repeat_count(module->handle, forever ? -1 : 0);
}

void ModuleDecoder::SetAmplify(int amplify)
{
    int millibel = amplify <= 0 ? kSilentMillibel
                                : static_cast<int>(std::lround(2000.0 * std::log10(amplify / double{kNeutralAmplify})));
    openmpt_module_set_render_param(module->handle, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, millibel);
}

} // namespace Vesk
