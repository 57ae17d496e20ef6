#pragma once

#include "framework/resources/LoadedFont.h"
#include "framework/resources/LoadedImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

// A picture file's pixels as plain data: width x height values 0xAARRGGBB, rows top to bottom.
struct LoadedPixels
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// What the resource manager needs from the rest of the framework to load the files of its
// manifest: the application's shared-image cache and image files, the sound manager, and the
// font classes. The manager decides what to load and in which order, checks the results and
// records the errors; a loader only does the single loads. The application supplies one that
// uses its own services; tests supply fakes.
//
// Every operation runs on the thread that loads the group.
class ResourceLoader
{
public:
    virtual ~ResourceLoader() = default;

    // Images. The colour of pictures that consist only of an alpha image, in force until set
    // back (the manager restores 0xFFFFFF after each load).
    virtual void SetAlphaImageColor(uint32_t color) = 0;
    // The picture for (path, variant) from the application's shared-image cache, loading it
    // when it is not there yet; created reports that. Null when the file cannot be loaded.
    virtual std::shared_ptr<LoadedImage> GetSharedImage(const std::string& path, const std::string& variant,
                                                        bool& created) = 0;
    // A picture file's pixels, for alpha images and alpha grids; false when it cannot be loaded.
    virtual bool LoadPixels(const std::string& path, LoadedPixels& pixels) = 0;
    // A picture of its own (not shared), for an image font; null when it cannot be loaded.
    virtual std::unique_ptr<LoadedImage> GetImage(const std::string& path) = 0;

    // Sounds, by the sound manager's ids. GetFreeSoundId is -1 when every id is taken.
    virtual int GetFreeSoundId() = 0;
    virtual bool LoadSound(int id, const std::string& path) = 0;
    virtual void SetBaseVolume(int id, double volume) = 0;
    virtual void SetBasePan(int id, int pan) = 0;
    virtual void ReleaseSound(int id) = 0;

    // Fonts. A system font by face name; null when none can be made.
    virtual std::unique_ptr<LoadedFont> CreateSysFont(const std::string& face, int pointSize, bool bold, bool italic,
                                                      bool underline) = 0;
    // An image font from the descriptor file at descriptorPath, drawn from image when one is
    // given; null when none can be made. A font whose descriptor failed is returned all the
    // same (IsLoaded tells).
    virtual std::unique_ptr<LoadedFont> CreateImageFont(const std::string& descriptorPath, LoadedImage* image) = 0;
};

} // namespace Vesk
