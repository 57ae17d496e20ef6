#include "support/FakeResourceLoader.h"

#include <cstdio>
#include <utility>

namespace Vesk::TestSupport
{

namespace
{

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", value);
    return text;
}

} // namespace

// ---------------------------------------------------------------------------------------
// FakeLoadedImage

FakeLoadedImage::FakeLoadedImage(std::string path, int width, int height, std::vector<uint32_t> pixels)
    : path(std::move(path)), width(width), height(height), bits(std::move(pixels))
{
}

Image* FakeLoadedImage::GetImage()
{
    if (!image)
    {
        image = std::make_unique<MemoryImage>();
        if (bits.size() == static_cast<size_t>(width) * static_cast<size_t>(height) && !bits.empty())
            image->SetBits(bits.data(), width, height);
        else
            image->Create(width, height);
        image->rows = rows;
        image->columns = columns;
    }
    return image.get();
}

void FakeLoadedImage::BitsChanged()
{
    calls.push_back("bits changed");
}

void FakeLoadedImage::CommitBits()
{
    calls.push_back("commit");
    hasAlpha = false;
    for (uint32_t pixel : bits)
    {
        if ((pixel >> 24) != 0xFF)
            hasAlpha = true;
    }
}

void FakeLoadedImage::SetPurgeBits(bool purge)
{
    purgeBits = purge;
}

void FakeLoadedImage::SetWantsDisplaySurface(bool wants)
{
    wantsDisplaySurface = wants;
}

void FakeLoadedImage::SetWantPalette(bool wants)
{
    wantPalette = wants;
}

void FakeLoadedImage::Palletize()
{
    calls.push_back("palletize");
}

void FakeLoadedImage::AddTextureFlags(int flags)
{
    textureFlags |= flags;
}

void FakeLoadedImage::PurgeBits()
{
    calls.push_back("purge");
}

void FakeLoadedImage::SetCellGrid(int rows, int columns)
{
    this->rows = rows;
    this->columns = columns;
    if (image)
    {
        image->rows = rows;
        image->columns = columns;
    }
}

void FakeLoadedImage::SetAnimation(const AnimDescription& anim)
{
    this->anim = anim;
}

// ---------------------------------------------------------------------------------------
// FakeLoadedFont

FakeLoadedFont::FakeLoadedFont(std::string description, bool imageFont, bool loaded, std::shared_ptr<int> liveFonts)
    : description(std::move(description)), imageFont(imageFont), loaded(loaded), liveFonts(std::move(liveFonts))
{
    ++*this->liveFonts;
}

FakeLoadedFont::~FakeLoadedFont()
{
    --*liveFonts;
}

std::unique_ptr<LoadedFont> FakeLoadedFont::Duplicate() const
{
    auto copy = std::make_unique<FakeLoadedFont>(description, imageFont, loaded, liveFonts);
    copy->shadow = shadow;
    copy->tags = tags;
    copy->duplicate = true;
    return copy;
}

// ---------------------------------------------------------------------------------------
// FakeResourceLoader

FakeResourceLoader::FakeResourceLoader()
{
    everyPicture.width = 4;
    everyPicture.height = 4;
    everyPicture.pixels.assign(16, 0xFFFFFFFF);
}

void FakeResourceLoader::AddPicture(const std::string& path, int width, int height, uint32_t pixel)
{
    AddPicture(path, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, pixel));
}

void FakeResourceLoader::AddPicture(const std::string& path, int width, int height, std::vector<uint32_t> pixels)
{
    pictures[path] = Picture{width, height, std::move(pixels)};
}

const FakeResourceLoader::Picture* FakeResourceLoader::FindPicture(const std::string& path)
{
    auto found = pictures.find(path);
    if (found != pictures.end())
        return &found->second;
    return loadEverything ? &everyPicture : nullptr;
}

void FakeResourceLoader::SetAlphaImageColor(uint32_t color)
{
    log.push_back("alpha color " + Hex(color));
}

std::shared_ptr<LoadedImage> FakeResourceLoader::GetSharedImage(const std::string& path, const std::string& variant,
                                                                bool& created)
{
    log.push_back("shared image " + path + (variant.empty() ? "" : " " + variant));
    created = false;
    std::weak_ptr<FakeLoadedImage>& entry = cache[path + "|" + variant];
    if (std::shared_ptr<FakeLoadedImage> cached = entry.lock())
        return cached;
    const Picture* picture = FindPicture(path);
    if (picture == nullptr)
        return nullptr;
    auto image = std::make_shared<FakeLoadedImage>(path, picture->width, picture->height, picture->pixels);
    entry = image;
    created = true;
    return image;
}

std::shared_ptr<FakeLoadedImage> FakeResourceLoader::CachedImage(const std::string& path,
                                                                 const std::string& variant) const
{
    auto found = cache.find(path + "|" + variant);
    return found == cache.end() ? nullptr : found->second.lock();
}

bool FakeResourceLoader::LoadPixels(const std::string& path, LoadedPixels& pixels)
{
    log.push_back("pixels " + path);
    const Picture* picture = FindPicture(path);
    if (picture == nullptr)
        return false;
    pixels.width = picture->width;
    pixels.height = picture->height;
    pixels.pixels = picture->pixels;
    return true;
}

std::unique_ptr<LoadedImage> FakeResourceLoader::GetImage(const std::string& path)
{
    log.push_back("image " + path);
    const Picture* picture = FindPicture(path);
    if (picture == nullptr)
        return nullptr;
    return std::make_unique<FakeLoadedImage>(path, picture->width, picture->height, picture->pixels);
}

int FakeResourceLoader::GetFreeSoundId()
{
    for (int id = 0; id < soundIdCount; ++id)
    {
        if (soundIdsInUse.count(id) == 0)
            return id;
    }
    return -1;
}

bool FakeResourceLoader::LoadSound(int id, const std::string& path)
{
    log.push_back("sound " + std::to_string(id) + " " + path);
    if (!loadEverything && soundFiles.count(path) == 0)
        return false;
    soundIdsInUse.insert(id);
    return true;
}

void FakeResourceLoader::SetBaseVolume(int id, double volume)
{
    char text[64];
    std::snprintf(text, sizeof(text), "volume %d %g", id, volume);
    log.push_back(text);
}

void FakeResourceLoader::SetBasePan(int id, int pan)
{
    log.push_back("pan " + std::to_string(id) + " " + std::to_string(pan));
}

void FakeResourceLoader::ReleaseSound(int id)
{
    log.push_back("release sound " + std::to_string(id));
    soundIdsInUse.erase(id);
}

std::unique_ptr<LoadedFont> FakeResourceLoader::CreateSysFont(const std::string& face, int pointSize, bool bold,
                                                              bool italic, bool underline)
{
    std::string description = "sys " + face + " " + std::to_string(pointSize);
    if (bold)
        description += " bold";
    if (italic)
        description += " italic";
    if (underline)
        description += " underline";
    log.push_back(description);
    return std::make_unique<FakeLoadedFont>(description, false, true, liveFonts);
}

std::unique_ptr<LoadedFont> FakeResourceLoader::CreateImageFont(const std::string& descriptorPath, LoadedImage* image)
{
    std::string description = "image font " + descriptorPath;
    if (image != nullptr)
        description += " on " + static_cast<FakeLoadedImage*>(image)->path;
    log.push_back(description);
    auto found = fontDescriptors.find(descriptorPath);
    bool loads = found != fontDescriptors.end() ? found->second : loadEverything;
    return std::make_unique<FakeLoadedFont>(description, true, loads, liveFonts);
}

} // namespace Vesk::TestSupport
