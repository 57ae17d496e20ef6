#pragma once

#include "framework/graphics/MemoryImage.h"
#include "framework/resources/AnimDescription.h"
#include "framework/resources/ResourceLoader.h"
#include "support/FakeFont.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Vesk
{
class MemoryImage;
}

namespace Vesk::TestSupport
{

// A picture of the fake loader: pixels of its own and a record of what loading did to it.
class FakeLoadedImage : public LoadedImage
{
public:
    FakeLoadedImage(std::string path, int width, int height, std::vector<uint32_t> pixels);
    ~FakeLoadedImage() override;
    FakeLoadedImage(const FakeLoadedImage&) = delete;
    FakeLoadedImage& operator=(const FakeLoadedImage&) = delete;

    // A real picture of the requested size (with the file's pixels), so that code drawing the
    // bound identifiers runs under tests.
    Image* GetImage() override;
    int GetWidth() const override { return width; }
    int GetHeight() const override { return height; }
    uint32_t* GetBits() override { return bits.empty() ? nullptr : bits.data(); }
    void BitsChanged() override;
    void CommitBits() override;
    bool HasAlpha() const override { return hasAlpha; }
    bool HasDisplaySurface() const override { return hasDisplaySurface; }
    void SetPurgeBits(bool purge) override;
    void SetWantsDisplaySurface(bool wants) override;
    void SetWantPalette(bool wants) override;
    void Palletize() override;
    void AddTextureFlags(int flags) override;
    void PurgeBits() override;
    void SetCellGrid(int rows, int columns) override;
    int GetRows() const override { return rows; }
    void SetAnimation(const AnimDescription& anim) override;

    std::string path;
    // The picture handed to the game; its cell grid is the one below.
    std::unique_ptr<MemoryImage> picture;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bits;
    bool hasAlpha = false;          // after CommitBits: some pixel is not opaque
    bool hasDisplaySurface = false; // set by a test
    bool purgeBits = false;
    bool wantsDisplaySurface = false;
    bool wantPalette = false;
    int textureFlags = 0;
    // The picture's own cell grid (set by the manager or by the game on the picture).
    int& rows;
    int& columns;
    std::optional<AnimDescription> anim;
    // What was done to the picture, in order ("commit", "bits changed", "palletize", ...).
    std::vector<std::string> calls;
};

// A font of the fake loader.
class FakeLoadedFont : public LoadedFont
{
public:
    FakeLoadedFont(std::string description, bool imageFont, bool loaded, std::shared_ptr<int> liveFonts);
    ~FakeLoadedFont() override;

    // A FakeFont, so that code drawing the bound identifiers runs under tests.
    Font* GetFont() override { return &font; }
    bool IsImageFont() const override { return imageFont; }
    bool IsLoaded() const override { return loaded; }
    void SetShadow(bool shadow) override { this->shadow = shadow; }
    void AddTag(const std::string& tag) override { tags.push_back(tag); }
    void RebuildLayers() override { ++rebuilds; }
    std::unique_ptr<LoadedFont> Duplicate() const override;

    std::string description; // "sys <face> <size> [bold] [italic] [underline]" or "image <path> [<picture>]"
    bool imageFont = false;
    bool loaded = true;
    bool shadow = false;
    std::vector<std::string> tags;
    int rebuilds = 0;
    bool duplicate = false;
    FakeFont font;

private:
    std::shared_ptr<int> liveFonts;
};

// A loader for tests: picture, sound and font files exist only when the test adds them (or
// for every path with loadEverything), and each operation is logged in order.
class FakeResourceLoader : public ResourceLoader
{
public:
    FakeResourceLoader();

    // A picture of width x height pixels, all of pixel (opaque white by default), or with the
    // given pixels.
    void AddPicture(const std::string& path, int width, int height, uint32_t pixel = 0xFFFFFFFF);
    void AddPicture(const std::string& path, int width, int height, std::vector<uint32_t> pixels);
    void AddSound(const std::string& path) { soundFiles.insert(path); }
    // A font descriptor; a descriptor that does not load still makes a font (IsLoaded false).
    void AddFontDescriptor(const std::string& path, bool loads = true) { fontDescriptors[path] = loads; }

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

    // The picture the cache holds for (path, variant), or null once every user let go of it.
    std::shared_ptr<FakeLoadedImage> CachedImage(const std::string& path, const std::string& variant = "") const;

    // Any path loads: pictures are 4 x 4 and opaque, every sound and font descriptor exists.
    bool loadEverything = false;
    // Sound ids 0 .. soundIdCount - 1 exist.
    int soundIdCount = 256;
    std::set<int> soundIdsInUse;
    std::shared_ptr<int> liveFonts = std::make_shared<int>(0);
    std::vector<std::string> log;

private:
    struct Picture
    {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };
    const Picture* FindPicture(const std::string& path);

    std::map<std::string, Picture> pictures;
    std::set<std::string> soundFiles;
    std::map<std::string, bool> fontDescriptors;
    std::map<std::string, std::weak_ptr<FakeLoadedImage>> cache;
    Picture everyPicture;
};

} // namespace Vesk::TestSupport
