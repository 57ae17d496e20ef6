#pragma once

#include "framework/resources/ResourceLoader.h"

namespace Vesk
{

class VeskAppBase;

// The resource manager's loader in the running game: images through the application's
// shared-image cache and the image files, sounds through the application's sound manager,
// fonts through the font classes. Created by the application with its resource manager.
class AppResourceLoader : public ResourceLoader
{
public:
    explicit AppResourceLoader(VeskAppBase* app) : app(app) {}

    void SetAlphaImageColor(uint32_t color) override;
    std::shared_ptr<LoadedImage> GetSharedImage(const std::string& path, const std::string& variant,
                                                bool& created) override;
    bool LoadPixels(const std::string& path, LoadedPixels& pixels) override;
    std::unique_ptr<LoadedImage> GetImage(const std::string& path) override;

    int GetFreeSoundId() override;
    bool LoadSound(int id, const std::string& path) override;
    void SetBaseVolume(int id, double volume) override;
    void SetBasePan(int id, int pan) override;
    void ReleaseSound(int id) override;

    std::unique_ptr<LoadedFont> CreateSysFont(const std::string& face, int pointSize, bool bold, bool italic,
                                              bool underline) override;
    std::unique_ptr<LoadedFont> CreateImageFont(const std::string& descriptorPath, LoadedImage* image) override;

protected:
    VeskAppBase* app = nullptr;
    uint32_t alphaImageColor = 0xFFFFFF;
};

} // namespace Vesk
