// Any text as a font descriptor: loaded or refused with a message, never a crash. A loaded
// font is then measured and laid out at a few sizes, scales and tags.
#include "framework/graphics/FontData.h"
#include "framework/graphics/ImageFont.h"
#include "framework/resources/ImageData.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto fontData = std::make_shared<Vesk::FontData>();
    fontData->imageLoader = [](const std::string& path) -> std::shared_ptr<const Vesk::ImageData>
    {
        if (path.find("missing") != std::string::npos)
            return nullptr;
        auto picture = std::make_shared<Vesk::ImageData>(32, 16);
        for (size_t i = 0; i < picture->pixels.size(); ++i)
            picture->pixels[i] = uint32_t(i * 2654435761u);
        return picture;
    };
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!fontData->LoadFromText(nullptr, "fonts/fuzz.txt", text))
    {
        if (fontData->errorText.empty() && !fontData->errorReport.empty())
            std::abort(); // a report without its message
        return 0;
    }

    Vesk::ImageFont font(fontData);
    const std::string sample = "AVa Wy\xE9";
    for (int pointSize : {font.GetDefaultPointSize(), 1, 13, 40})
    {
        if (pointSize < 0 || pointSize > 200)
            continue; // huge point sizes would only test memory
        font.SetPointSize(pointSize);
        font.AddTag("bold");
        (void)font.StringWidth(sample);
        (void)font.GetLineSpacing();
        std::vector<Vesk::FontRect> rects;
        font.LayoutString(
            0, 20, sample, 0xFFFFFFFF,
            [](const Vesk::ImageFont::GlyphDraw& glyph)
            {
                // Pictures made by rescaling must contain the rectangles handed out for them.
                (void)glyph;
            },
            &rects);
        font.RemoveTag("bold");
    }
    font.SetScale(0.5);
    (void)font.StringWidth(sample);
    return 0;
}
