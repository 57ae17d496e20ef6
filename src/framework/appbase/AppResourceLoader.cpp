#include "framework/appbase/AppResourceLoader.h"

#include "framework/appbase/AppLoadedFont.h"
#include "framework/appbase/AppLoadedImage.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"
#include "framework/sound/SoundManager.h"

#include <algorithm>
#include <utility>

namespace Vesk
{

// ---------------------------------------------------------------------------------------
// Images

void AppResourceLoader::SetAlphaImageColor(uint32_t color)
{
    alphaImageColor = color;
    ImageLib::SetAlphaImageColor(color);
}

std::shared_ptr<LoadedImage> AppResourceLoader::GetSharedImage(const std::string& path, const std::string& variant,
                                                               bool& created)
{
    SharedImageRef reference = app->GetSharedImage(path, variant, created);
    if (reference.GetImage() == nullptr)
        return nullptr;
    return std::make_shared<AppLoadedImage>(std::move(reference));
}

bool AppResourceLoader::LoadPixels(const std::string& path, LoadedPixels& pixels)
{
    std::unique_ptr<ImageData> data = ImageLib::GetImage(path, false);
    if (!data)
        return false;
    pixels.width = data->width;
    pixels.height = data->height;
    pixels.pixels = std::move(data->pixels);
    return true;
}

std::unique_ptr<LoadedImage> AppResourceLoader::GetImage(const std::string& path)
{
    std::unique_ptr<DDImage> image = app->GetImage(path, true);
    if (!image)
        return nullptr;
    return std::make_unique<AppLoadedImage>(std::move(image));
}

// ---------------------------------------------------------------------------------------
// Sounds: the application's sound manager (none before Init: then nothing loads).

int AppResourceLoader::GetFreeSoundId()
{
    SoundManager* sounds = app->GetSoundManager();
    return sounds != nullptr ? sounds->GetFreeSoundId() : 0;
}

bool AppResourceLoader::LoadSound(int id, const std::string& path)
{
    SoundManager* sounds = app->GetSoundManager();
    return sounds != nullptr && sounds->LoadSound(id, path);
}

void AppResourceLoader::SetBaseVolume(int id, double volume)
{
    if (SoundManager* sounds = app->GetSoundManager())
        (void)sounds->SetBaseVolume(id, volume);
}

void AppResourceLoader::SetBasePan(int id, int pan)
{
    if (SoundManager* sounds = app->GetSoundManager())
        (void)sounds->SetBasePan(id, pan);
}

void AppResourceLoader::ReleaseSound(int id)
{
    if (SoundManager* sounds = app->GetSoundManager())
        sounds->ReleaseSound(id);
}

// ---------------------------------------------------------------------------------------
// Fonts

std::unique_ptr<LoadedFont> AppResourceLoader::CreateSysFont(const std::string& face, int pointSize, bool bold,
                                                             bool italic, bool underline)
{
    auto font = std::make_unique<SysFont>(face, pointSize, bold, italic, underline);
    if (!font->IsLoaded())
        return nullptr;
    font->app = app;
    return std::make_unique<AppLoadedFont>(std::move(font));
}

std::unique_ptr<LoadedFont> AppResourceLoader::CreateImageFont(const std::string& descriptorPath, LoadedImage* image)
{
    if (image == nullptr)
        return std::make_unique<AppLoadedFont>(std::make_unique<ImageFont>(app, descriptorPath));

    // The older form: one picture, with the glyph widths in a metrics file.
    auto picture = std::make_shared<ImageData>(image->GetWidth(), image->GetHeight());
    if (const uint32_t* bits = image->GetBits())
        std::copy_n(bits, picture->pixels.size(), picture->pixels.begin());
    return std::make_unique<AppLoadedFont>(std::make_unique<ImageFont>(std::move(picture), descriptorPath));
}

} // namespace Vesk
