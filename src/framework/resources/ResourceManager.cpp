#include "framework/resources/ResourceManager.h"

#include "framework/resources/FontRes.h"
#include "framework/resources/ImageRes.h"
#include "framework/resources/ResourceManagerException.h"
#include "framework/resources/ResourceManifestReader.h"
#include "framework/resources/SoundRes.h"

#include <cassert>
#include <cstddef>
#include <utility>

namespace Vesk
{

namespace
{

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr const char* kFontTagSeparators = ", \t\r\n";

std::unique_ptr<BaseRes> MakeRecord(const ResourceDeclaration& declaration)
{
    switch (declaration.kind)
    {
    case ResourceKind::Image:
        return std::make_unique<ImageRes>(declaration);
    case ResourceKind::Sound:
        return std::make_unique<SoundRes>(declaration);
    case ResourceKind::Font:
        return std::make_unique<FontRes>(declaration);
    }
    return nullptr;
}

// The alpha channel of the pixel becomes the low byte (blue) of the mask pixel.
uint32_t WithAlphaFrom(uint32_t pixel, uint32_t mask)
{
    return (pixel & 0x00FFFFFF) | ((mask & 0xFF) << 24);
}

} // namespace

ResourceManager::ResourceManager(std::unique_ptr<ResourceLoader> loader) : loader(std::move(loader))
{
    assert(this->loader != nullptr);
}

ResourceManager::~ResourceManager()
{
    UnloadFromMap(images, "");
    UnloadFromMap(sounds, "");
    UnloadFromMap(fonts, "");
}

void ResourceManager::SetLoader(std::unique_ptr<ResourceLoader> newLoader)
{
    assert(newLoader != nullptr);
    UnloadGroup("");
    loader = std::move(newLoader);
}

bool ResourceManager::Fail(const std::string& message)
{
    if (hasFailed)
        return false;
    hasFailed = true;
    errorText = message;
    return false;
}

ResourceManager::ResourceMap& ResourceManager::MapOf(ResourceKind kind)
{
    switch (kind)
    {
    case ResourceKind::Sound:
        return sounds;
    case ResourceKind::Font:
        return fonts;
    case ResourceKind::Image:
        break;
    }
    return images;
}

// ---------------------------------------------------------------------------------------
// The manifest

bool ResourceManager::ReadManifest(const std::string& fileName)
{
    ResourceManifestReader reader;
    reader.SetHardwareAccelerated(hardwareAccelerated);
    ResourceManifest next = manifest;
    bool read = reader.Read(fileName, next);
    redefinitionSeen = reader.RedefinitionSeen();
    if (!read)
        return Fail(reader.GetErrorText());

    for (const ResourceGroup& group : next.groups)
    {
        const ResourceGroup* known = manifest.FindGroup(group.name);
        size_t first = known != nullptr ? known->resources.size() : 0;
        std::vector<BaseRes*>& list = groups[group.name];
        for (size_t i = first; i < group.resources.size(); ++i)
        {
            const ResourceDeclaration& declaration = group.resources[i];
            std::unique_ptr<BaseRes> record = MakeRecord(declaration);
            list.push_back(record.get());
            MapOf(declaration.kind)[declaration.id] = std::move(record);
        }
    }
    manifest = std::move(next);
    return true;
}

// ---------------------------------------------------------------------------------------
// Loading groups

bool ResourceManager::LoadGroup(const std::string& group)
{
    BeginGroupLoad(group);
    while (LoadNext())
    {
    }
    if (hasFailed)
        return false;
    loadedGroups.insert(group);
    return true;
}

void ResourceManager::BeginGroupLoad(const std::string& group)
{
    errorText.clear();
    hasFailed = false;
    currentGroup = group;
    auto found = groups.find(group);
    loadList = found != groups.end() ? &found->second : nullptr;
    loadPosition = 0;
}

bool ResourceManager::LoadNext()
{
    if (hasFailed || loadList == nullptr)
        return false;
    while (loadPosition < loadList->size())
    {
        BaseRes* record = (*loadList)[loadPosition++];
        if (record->fromProgram || record->IsLoaded())
            continue;
        switch (record->kind)
        {
        case ResourceKind::Image:
            return LoadImageEntry(static_cast<ImageRes&>(*record));
        case ResourceKind::Sound:
            return LoadSoundEntry(static_cast<SoundRes&>(*record));
        case ResourceKind::Font:
            return LoadFontEntry(static_cast<FontRes&>(*record));
        }
    }
    return false;
}

bool ResourceManager::LoadImageEntry(ImageRes& record)
{
    const ImageOptions& options = record.imageOptions;
    bool created = false;
    loader->SetAlphaImageColor(options.alphaColor);
    std::shared_ptr<LoadedImage> image = loader->GetSharedImage(record.path, options.variant, created);
    loader->SetAlphaImageColor(kWhite);
    if (image == nullptr)
        return Fail("Failed to load image: " + record.path);

    if (created)
    {
        if (!options.alphaImagePath.empty() && !ApplyAlphaImage(record, *image))
            return false;
        if (!options.alphaGridPath.empty() && !ApplyAlphaGrid(record, *image))
            return false;
    }

    image->CommitBits();
    record.image = image;
    PrepareImage(options, *image);
    OnEntryLoaded(record);
    return true;
}

void ResourceManager::PrepareImage(const ImageOptions& options, LoadedImage& image)
{
    bool purge = options.discardBits;
    if (options.hardwareSurface)
    {
        image.CommitBits();
        if (!image.HasAlpha())
        {
            image.SetWantsDisplaySurface(true);
            purge = true;
        }
    }
    image.SetPurgeBits(purge);
    if (options.palettize)
    {
        if (image.HasDisplaySurface())
            image.SetWantPalette(true);
        else
            image.Palletize();
    }
    int textureFlags =
        (options.format4444 ? 4 : 0) | (options.format8888 ? 8 : 0) | (options.fewerSubdivisions ? 1 : 0);
    if (textureFlags != 0)
        image.AddTextureFlags(textureFlags);
    if (options.anim.animType != AnimDescription::AnimNone)
        image.SetAnimation(options.anim);
    image.SetCellGrid(options.rows, options.cols);
    if (purge)
        image.PurgeBits();
}

bool ResourceManager::ApplyAlphaImage(ImageRes& record, LoadedImage& image)
{
    const std::string& alphaPath = record.imageOptions.alphaImagePath;
    LoadedPixels alpha;
    if (!loader->LoadPixels(alphaPath, alpha))
        return Fail("Failed to load image: " + alphaPath);
    int width = image.GetWidth();
    int height = image.GetHeight();
    if (alpha.width != width || alpha.height != height ||
        alpha.pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return Fail("AlphaImage size mismatch between " + record.path + " and " + alphaPath);

    uint32_t* bits = image.GetBits();
    if (bits == nullptr)
        return true; // an empty picture has no pixels to change
    for (size_t i = 0; i < alpha.pixels.size(); ++i)
        bits[i] = WithAlphaFrom(bits[i], alpha.pixels[i]);
    image.BitsChanged();
    return true;
}

bool ResourceManager::ApplyAlphaGrid(ImageRes& record, LoadedImage& image)
{
    const std::string& gridPath = record.imageOptions.alphaGridPath;
    LoadedPixels grid;
    if (!loader->LoadPixels(gridPath, grid))
        return Fail("Failed to load image: " + gridPath);
    const int rows = record.imageOptions.rows;
    const int cols = record.imageOptions.cols;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int celWidth = width / cols;
    const int celHeight = height / rows;
    if (grid.width != celWidth || grid.height != celHeight ||
        grid.pixels.size() != static_cast<size_t>(celWidth) * static_cast<size_t>(celHeight))
        return Fail("GridAlphaImage size mismatch between " + record.path + " and " + gridPath);

    uint32_t* bits = image.GetBits();
    if (bits == nullptr)
        return true;
    for (int row = 0; row < rows; ++row)
    {
        for (int col = 0; col < cols; ++col)
        {
            for (int y = 0; y < celHeight; ++y)
            {
                const uint32_t* mask = &grid.pixels[static_cast<size_t>(y) * static_cast<size_t>(celWidth)];
                uint32_t* line = bits + (static_cast<size_t>(row * celHeight + y) * static_cast<size_t>(width)) +
                                 static_cast<size_t>(col * celWidth);
                for (int x = 0; x < celWidth; ++x)
                    line[x] = WithAlphaFrom(line[x], mask[x]);
            }
        }
    }
    image.BitsChanged();
    return true;
}

bool ResourceManager::LoadSoundEntry(SoundRes& record)
{
    int id = loader->GetFreeSoundId();
    if (id < 0)
        return Fail("Out of free sound ids");
    if (!loader->LoadSound(id, record.path))
        return Fail("Failed to load sound: " + record.path);
    const SoundOptions& options = record.soundOptions;
    if (options.volume >= 0)
        loader->SetBaseVolume(id, options.volume);
    if (options.pan != 0)
        loader->SetBasePan(id, options.pan);
    record.soundId = id;
    OnEntryLoaded(record);
    return true;
}

bool ResourceManager::LoadFontEntry(FontRes& record)
{
    static const std::string kRefPrefix = "!ref:";
    const FontOptions& options = record.fontOptions;
    std::unique_ptr<LoadedFont> font;
    std::unique_ptr<LoadedImage> fontImage;

    if (options.systemFont)
    {
        font = loader->CreateSysFont(record.path, options.size, options.bold, options.italic, options.underline);
        if (font == nullptr)
            return Fail("Failed to load font: " + record.path);
        font->SetShadow(options.shadow);
    }
    else if (!options.imagePath.empty())
    {
        fontImage = loader->GetImage(options.imagePath);
        if (fontImage == nullptr)
            return Fail("Failed to load image: " + options.imagePath);
        font = loader->CreateImageFont(record.path, fontImage.get());
    }
    else if (record.path.compare(0, kRefPrefix.size(), kRefPrefix) == 0)
    {
        std::string refId = record.path.substr(kRefPrefix.size());
        LoadedFont* original = FindFont(refId);
        if (original == nullptr)
            return Fail("Ref font not found: " + refId);
        font = original->Duplicate();
    }
    else
        font = loader->CreateImageFont(record.path, nullptr);

    if (font == nullptr)
        return Fail("Failed to load font: " + record.path);
    if (font->IsImageFont())
    {
        if (!font->IsLoaded())
            return Fail("Failed to load font: " + record.path);
        if (!options.tags.empty())
        {
            size_t start = options.tags.find_first_not_of(kFontTagSeparators);
            while (start != std::string::npos)
            {
                size_t end = options.tags.find_first_of(kFontTagSeparators, start);
                font->AddTag(options.tags.substr(start, end == std::string::npos ? std::string::npos : end - start));
                start = options.tags.find_first_not_of(kFontTagSeparators, end);
            }
            font->RebuildLayers();
        }
    }

    record.font = std::move(font);
    record.image = std::move(fontImage);
    OnEntryLoaded(record);
    return true;
}

// ---------------------------------------------------------------------------------------
// Unloading

void ResourceManager::UnloadFromMap(ResourceMap& map, const std::string& group)
{
    for (auto& [id, record] : map)
    {
        if (group.empty() || record->group == group)
            record->Unload(*loader);
    }
}

void ResourceManager::UnloadGroup(const std::string& group)
{
    UnloadFromMap(images, group);
    UnloadFromMap(sounds, group);
    UnloadFromMap(fonts, group);
    if (group.empty())
        loadedGroups.clear();
    else
        loadedGroups.erase(group);
}

// ---------------------------------------------------------------------------------------
// Lookups

std::shared_ptr<LoadedImage> ResourceManager::RequireImage(const std::string& id)
{
    auto found = images.find(id);
    if (found != images.end() && found->second->IsLoaded())
        return static_cast<ImageRes&>(*found->second).image;
    // The exception names this lookup even when an earlier error is the one kept.
    std::string message = "Image resource not found: " + id;
    Fail(message);
    throw ResourceManagerException(message);
}

int ResourceManager::RequireSound(const std::string& id)
{
    auto found = sounds.find(id);
    if (found != sounds.end() && found->second->IsLoaded())
        return static_cast<SoundRes&>(*found->second).soundId;
    std::string message = "Sound resource not found: " + id;
    Fail(message);
    throw ResourceManagerException(message);
}

LoadedFont* ResourceManager::RequireFont(const std::string& id)
{
    LoadedFont* font = FindFont(id);
    if (font != nullptr)
        return font;
    std::string message = "Font resource not found: " + id;
    Fail(message);
    throw ResourceManagerException(message);
}

LoadedFont* ResourceManager::FindFont(const std::string& id)
{
    auto found = fonts.find(id);
    if (found == fonts.end())
        return nullptr;
    return static_cast<FontRes&>(*found->second).font.get();
}

} // namespace Vesk
