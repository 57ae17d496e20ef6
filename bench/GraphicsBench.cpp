// Software blitters against pixman on the same pixels in the same run. Each benchmark times the
// framework's operation (reported as the benchmark's time, in thread CPU time) and pixman's
// equivalent, and reports their ratio ("ratio" below 1: faster than pixman).
//
// The environment variable VESK_PIXEL_KERNELS ("scalar", "sse2" or "ssse3") limits the vector
// level of the framework's kernels, to time the plain loops or one vector form alone.

#include "BenchSupport.h"
#include "KernelLevelMain.h"
#include "framework/graphics/CpuFeatures.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/PublicationFrame.h"
#include "support/TestPictures.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace Vesk;
using namespace Vesk::Bench;
using namespace Vesk::TestSupport;

namespace
{

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;

// The same straight pixels as a pixman image (premultiplied, as pixman wants them).
struct PixmanPicture
{
    PixmanPicture(const std::vector<uint32_t>& straight, int width, int height, pixman_format_code_t format)
        : pixels(straight.size())
    {
        for (size_t i = 0; i < straight.size(); ++i)
        {
            uint32_t p = straight[i];
            uint32_t a = p >> 24;
            auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
            pixels[i] = (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
        }
        image = pixman_image_create_bits(format, width, height, pixels.data(), width * 4);
    }
    ~PixmanPicture() { pixman_image_unref(image); }
    PixmanPicture(const PixmanPicture&) = delete;
    PixmanPicture& operator=(const PixmanPicture&) = delete;

    std::vector<uint32_t> pixels;
    pixman_image_t* image;
};

std::vector<uint32_t> OpaqueScreen()
{
    return TestPictures::Page(ScreenWidth, ScreenHeight, 99);
}

// The picture blitted by the blit benchmarks: 767 x 588, a cut-out with transparent corners, a
// soft translucent edge and an opaque inside.
std::vector<uint32_t> BlitPicture()
{
    return TestPictures::Sprite(767, 588);
}

// Runs ours and theirs alternately, reports ours as the time and the ratio as a counter.
void Compare(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& theirs)
{
    double oursTotal = 0, theirsTotal = 0;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        ours();
        double middle = ThreadSeconds();
        theirs();
        double end = ThreadSeconds();
        oursTotal += middle - start;
        theirsTotal += end - middle;
        state.SetIterationTime(middle - start);
    }
    state.counters["pixman_us"] = theirsTotal / double(state.iterations()) * 1e6;
    state.counters["ratio"] = theirsTotal > 0 ? oursTotal / theirsTotal : 0;
}

struct BlitSetup
{
    BlitSetup()
    {
        std::vector<uint32_t> picture = BlitPicture();
        source.SetBits(picture.data(), 767, 588, true);
        screen.CreateScreen(ScreenWidth, ScreenHeight);
        std::vector<uint32_t> background = OpaqueScreen();
        screen.SetBits(background.data(), ScreenWidth, ScreenHeight, true);
        theirSource = std::make_unique<PixmanPicture>(picture, 767, 588, PIXMAN_a8r8g8b8);
        theirScreen = std::make_unique<PixmanPicture>(background, ScreenWidth, ScreenHeight, PIXMAN_x8r8g8b8);
        // Build the derived arrays once, as the game does on the first draw.
        screen.Blt(&source, 0, 0, Rect(0, 0, 1, 1), Color::White, DRAWMODE_NORMAL);
    }
    MemoryImage source;
    DDImage screen;
    std::unique_ptr<PixmanPicture> theirSource;
    std::unique_ptr<PixmanPicture> theirScreen;
};

void AlphaBlit(benchmark::State& state)
{
    BlitSetup s;
    Compare(
        state, [&] { s.screen.Blt(&s.source, 16, 6, Rect(0, 0, 767, 588), Color::White, DRAWMODE_NORMAL); },
        [&]
        {
            pixman_image_composite32(PIXMAN_OP_OVER, s.theirSource->image, nullptr, s.theirScreen->image, 0, 0, 0, 0,
                                     16, 6, 767, 588);
        });
}
BENCHMARK(AlphaBlit)->UseManualTime()->Unit(benchmark::kMicrosecond);

void AdditiveBlit(benchmark::State& state)
{
    BlitSetup s;
    Compare(
        state, [&] { s.screen.Blt(&s.source, 16, 6, Rect(0, 0, 767, 588), Color::White, DRAWMODE_ADDITIVE); },
        [&]
        {
            pixman_image_composite32(PIXMAN_OP_ADD, s.theirSource->image, nullptr, s.theirScreen->image, 0, 0, 0, 0, 16,
                                     6, 767, 588);
        });
}
BENCHMARK(AdditiveBlit)->UseManualTime()->Unit(benchmark::kMicrosecond);

void ColourizedBlit(benchmark::State& state)
{
    BlitSetup s;
    // Colourizing multiplies every channel by the colour: pixman's component-alpha mask.
    Color color(255, 128, 64, 200);
    pixman_color_t tint = {uint16_t(200 * 257), uint16_t(128 * 200 / 255 * 257), uint16_t(64 * 200 / 255 * 257),
                           uint16_t(200 * 257)};
    pixman_image_t* mask = pixman_image_create_solid_fill(&tint);
    pixman_image_set_component_alpha(mask, 1);
    Compare(
        state, [&] { s.screen.Blt(&s.source, 16, 6, Rect(0, 0, 767, 588), color, DRAWMODE_NORMAL); },
        [&]
        {
            pixman_image_composite32(PIXMAN_OP_OVER, s.theirSource->image, mask, s.theirScreen->image, 0, 0, 0, 0, 16,
                                     6, 767, 588);
        });
    pixman_image_unref(mask);
}
BENCHMARK(ColourizedBlit)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Filtered stretch of a picture: enlarge (300 x 230 to 767 x 588) or shrink (the reverse). Ours
// interpolates linearly when enlarging and averages areas when shrinking.
// - Enlarging: pixman's bilinear filter samples the same way.
// - Shrinking: the equivalent is pixman's separable convolution with a box reconstruction and a
//   box sample of the scale's width, which is exactly the area average (every source pixel
//   weighted by how much of it the destination pixel covers). That is the fair comparison.
//   ShrinkVsBilinear is kept for information only: pixman's bilinear filter reads just the 2 x 2
//   pixels around each sample point and skips the rest, so it is cheaper and aliases (moire,
//   lost thin lines); it does not produce the same picture.
void FilteredStretch(benchmark::State& state, bool enlarge, bool box)
{
    int sourceWidth = enlarge ? 300 : 767, sourceHeight = enlarge ? 230 : 588;
    int destWidth = enlarge ? 767 : 300, destHeight = enlarge ? 588 : 230;
    std::vector<uint32_t> picture = TestPictures::Sprite(sourceWidth, sourceHeight);
    MemoryImage source;
    source.SetBits(picture.data(), sourceWidth, sourceHeight, true);
    DDImage screen;
    screen.CreateScreen(ScreenWidth, ScreenHeight);
    std::vector<uint32_t> background = OpaqueScreen();
    screen.SetBits(background.data(), ScreenWidth, ScreenHeight, true);
    PixmanPicture theirSource(picture, sourceWidth, sourceHeight, PIXMAN_a8r8g8b8);
    PixmanPicture theirScreen(background, ScreenWidth, ScreenHeight, PIXMAN_x8r8g8b8);
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(sourceWidth) / destWidth),
                                pixman_double_to_fixed(double(sourceHeight) / destHeight));
    pixman_image_set_transform(theirSource.image, &transform);
    pixman_fixed_t* boxFilter = nullptr;
    if (box)
    {
        int count = 0;
        boxFilter = pixman_filter_create_separable_convolution(
            &count, pixman_double_to_fixed(double(sourceWidth) / destWidth),
            pixman_double_to_fixed(double(sourceHeight) / destHeight), PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX,
            PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 4, 4);
        pixman_image_set_filter(theirSource.image, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, boxFilter, count);
    }
    else
    {
        pixman_image_set_filter(theirSource.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    Rect clip(0, 0, ScreenWidth, ScreenHeight);
    Compare(
        state,
        [&]
        {
            screen.StretchBlt(&source, Rect(16, 6, destWidth, destHeight), Rect(0, 0, sourceWidth, sourceHeight), clip,
                              Color::White, DRAWMODE_NORMAL, false);
        },
        [&]
        {
            pixman_image_composite32(PIXMAN_OP_OVER, theirSource.image, nullptr, theirScreen.image, 0, 0, 0, 0, 16, 6,
                                     destWidth, destHeight);
        });
    free(boxFilter);
}
BENCHMARK_CAPTURE(FilteredStretch, Enlarge, true, false)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FilteredStretch, Shrink, false, true)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FilteredStretch, ShrinkVsBilinear, false, false)->UseManualTime()->Unit(benchmark::kMicrosecond);

void RotatedBlit(benchmark::State& state)
{
    std::vector<uint32_t> picture = TestPictures::Sprite(300, 230);
    MemoryImage source;
    source.SetBits(picture.data(), 300, 230, true);
    DDImage screen;
    screen.CreateScreen(ScreenWidth, ScreenHeight);
    std::vector<uint32_t> background = OpaqueScreen();
    screen.SetBits(background.data(), ScreenWidth, ScreenHeight, true);
    PixmanPicture theirSource(picture, 300, 230, PIXMAN_a8r8g8b8);
    PixmanPicture theirScreen(background, ScreenWidth, ScreenHeight, PIXMAN_x8r8g8b8);
    const double angle = 0.45;
    // Destination (x, y) samples the source at centre + R^-1 (p - (x0 + centre)).
    const double x0 = 250, y0 = 180, cx = 150, cy = 115;
    double c = std::cos(angle), s = std::sin(angle);
    pixman_transform_t transform;
    pixman_transform_init_identity(&transform);
    transform.matrix[0][0] = pixman_double_to_fixed(c);
    transform.matrix[0][1] = pixman_double_to_fixed(-s);
    transform.matrix[1][0] = pixman_double_to_fixed(s);
    transform.matrix[1][1] = pixman_double_to_fixed(c);
    transform.matrix[0][2] = pixman_double_to_fixed(cx - c * (x0 + cx) + s * (y0 + cy));
    transform.matrix[1][2] = pixman_double_to_fixed(cy - s * (x0 + cx) - c * (y0 + cy));
    pixman_image_set_transform(theirSource.image, &transform);
    pixman_image_set_filter(theirSource.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    // Both cover the rotated picture's bounds.
    int left = int(x0 + cx - 210), top = int(y0 + cy - 200);
    Rect clip(0, 0, ScreenWidth, ScreenHeight);
    Compare(
        state,
        [&]
        {
            screen.BltRotated(&source, float(x0), float(y0), Rect(0, 0, 300, 230), clip, Color::White, DRAWMODE_NORMAL,
                              angle, float(cx), float(cy));
        },
        [&]
        {
            pixman_image_composite32(PIXMAN_OP_OVER, theirSource.image, nullptr, theirScreen.image, left, top, 0, 0,
                                     left, top, 420, 400);
        });
}
BENCHMARK(RotatedBlit)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The publication frame at rest (desk, shadows, page, pictures, text) or with the extras (a rotated
// picture, a page corner of textured triangles, shapes and more text), in thread CPU time.
void PublicationFrameTime(benchmark::State& state, bool extras)
{
    PublicationFrame frame;
    DDImage screen;
    screen.CreateScreen(ScreenWidth, ScreenHeight);
    {
        Graphics warmUp(&screen);
        frame.Paint(warmUp, extras);
    }
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        Graphics g(&screen);
        frame.Paint(g, extras);
        benchmark::DoNotOptimize(screen.GetBits());
        state.SetIterationTime(ThreadSeconds() - start);
    }
}
BENCHMARK_CAPTURE(PublicationFrameTime, AtRest, false)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PublicationFrameTime, Full, true)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAtChosenKernelLevel(argc, argv);
}
