#include "framework/appbase/AppLoadedFont.h"

#include "framework/graphics/ImageFont.h"
#include "framework/graphics/SysFont.h"

#include <utility>

namespace Vesk
{

AppLoadedFont::AppLoadedFont(std::unique_ptr<Font> font) : font(std::move(font)) {}

AppLoadedFont::~AppLoadedFont() = default;

bool AppLoadedFont::IsImageFont() const
{
    return dynamic_cast<const ImageFont*>(font.get()) != nullptr;
}

bool AppLoadedFont::IsLoaded() const
{
    if (auto* imageFont = dynamic_cast<const ImageFont*>(font.get()))
        return imageFont->IsLoaded();
    if (auto* sysFont = dynamic_cast<const SysFont*>(font.get()))
        return sysFont->IsLoaded();
    return font != nullptr;
}

void AppLoadedFont::SetShadow(bool shadow)
{
    if (auto* sysFont = dynamic_cast<SysFont*>(font.get()))
        sysFont->shadow = shadow;
}

void AppLoadedFont::AddTag(const std::string& tag)
{
    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get()))
        (void)imageFont->AddTag(tag);
}

void AppLoadedFont::RebuildLayers()
{
    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get()))
        imageFont->GenerateActiveFontLayers();
}

std::unique_ptr<LoadedFont> AppLoadedFont::Duplicate() const
{
    std::unique_ptr<Font> copy = font->Duplicate();
    // A system font's copy keeps the look of the original: its shadow and simulated bold.
    if (auto* sysFont = dynamic_cast<const SysFont*>(font.get()))
    {
        if (auto* sysCopy = dynamic_cast<SysFont*>(copy.get()))
        {
            sysCopy->shadow = sysFont->shadow;
            sysCopy->simulateBold = sysFont->simulateBold;
            sysCopy->app = sysFont->app;
        }
    }
    return std::make_unique<AppLoadedFont>(std::move(copy));
}

} // namespace Vesk
