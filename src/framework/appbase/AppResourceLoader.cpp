#include "framework/appbase/AppResourceLoader.h"

#include "framework/appbase/VeskAppBase.h"

namespace Vesk
{

// ---------------------------------------------------------------------------------------
// Images
//
// TODO(graphics): with images and image files in place:
// - SetAlphaImageColor: ImageLib::SetAlphaImageColor(color);
// - GetSharedImage: SharedImageRef reference = app->GetSharedImage(path, variant, created); null
//   when it holds no image, else a LoadedImage that keeps the reference and forwards to its
//   DDImage (GetBits, BitsChanged, CommitBits, HasAlpha, purgeBits, wantDDSurface, wantPal,
//   Palletize, textureFlags, PurgeBits, rows and columns, a copy of the AnimDescription into the
//   image's AnimInfo); HasDisplaySurface is the DDImage's HasSurface;
// - LoadPixels: ImageLib::GetImage(path, false), its width, height and pixels;
// - GetImage: app->GetImage(path, true), owned by the LoadedImage.
// Until then no picture can be loaded, and loading a group with images fails.

void AppResourceLoader::SetAlphaImageColor(uint32_t color)
{
    alphaImageColor = color;
}

std::shared_ptr<LoadedImage> AppResourceLoader::GetSharedImage(const std::string& path, const std::string& variant,
                                                               bool& created)
{
    created = false;
    return nullptr;
}

bool AppResourceLoader::LoadPixels(const std::string& path, LoadedPixels& pixels)
{
    return false;
}

std::unique_ptr<LoadedImage> AppResourceLoader::GetImage(const std::string& path)
{
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Sounds
//
// TODO(sound): forward to app->GetSoundManager(): GetFreeSoundId, LoadSound(id, path),
// SetBaseVolume, SetBasePan, ReleaseSound. Until the application has a sound manager no sound
// can be loaded.

int AppResourceLoader::GetFreeSoundId()
{
    return 0;
}

bool AppResourceLoader::LoadSound(int id, const std::string& path)
{
    return false;
}

void AppResourceLoader::SetBaseVolume(int id, double volume) {}

void AppResourceLoader::SetBasePan(int id, int pan) {}

void AppResourceLoader::ReleaseSound(int id) {}

// ---------------------------------------------------------------------------------------
// Fonts
//
// TODO(fonts): CreateSysFont: a SysFont(face, pointSize, bold, italic, underline) (null unless
// IsLoaded), its shadow set by SetShadow; CreateImageFont: an ImageFont(app, descriptorPath), or,
// with an image, ImageFont over that picture's pixels and the descriptor; IsLoaded,
// AddTag, GenerateActiveFontLayers and Duplicate forward to the ImageFont. Until then no font
// can be made.

std::unique_ptr<LoadedFont> AppResourceLoader::CreateSysFont(const std::string& face, int pointSize, bool bold,
                                                             bool italic, bool underline)
{
    return nullptr;
}

std::unique_ptr<LoadedFont> AppResourceLoader::CreateImageFont(const std::string& descriptorPath, LoadedImage* image)
{
    return nullptr;
}

} // namespace Vesk
