// Fuzzes the resource manifest: the reader on arbitrary bytes (read from a file through the file
// layer, as the game reads "properties\resources.xml"), then the resource manager reading the
// same file and loading every group it declares through a loader whose pictures are 8 x 8 and
// whose alpha pictures are 4 x 4, so that alpha images and grids meet every size.
#include "framework/resources/AnimDescription.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/ResourceManagerException.h"
#include "framework/resources/ResourceManifestReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using namespace Vesk;

std::string TemporaryFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr ? folder : "/tmp") + "/orlo-fuzz-manifest-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        std::abort();
    ::close(fd);
    return pattern;
}

class Picture : public LoadedImage
{
public:
    Picture() : bits(64, 0xFF808080) {}
    Image* GetImage() override { return nullptr; }
    int GetWidth() const override { return 8; }
    int GetHeight() const override { return 8; }
    uint32_t* GetBits() override { return bits.data(); }
    void BitsChanged() override {}
    void CommitBits() override {}
    bool HasAlpha() const override { return false; }
    bool HasDisplaySurface() const override { return false; }
    void SetPurgeBits(bool purge) override {}
    void SetWantsDisplaySurface(bool wants) override {}
    void SetWantPalette(bool wants) override {}
    void Palletize() override {}
    void AddTextureFlags(int flags) override {}
    void PurgeBits() override {}
    void SetCellGrid(int rows, int columns) override
    {
        if (rows < 1 || columns < 1)
            std::abort();
        this->rows = rows;
    }
    int GetRows() const override { return rows; }
    void SetAnimation(const AnimDescription& anim) override
    {
        if (anim.numCels < 1 || anim.frameDelay < 1 || anim.totalAnimTime < 0)
            std::abort();
        if (!anim.perFrameDelay.empty() && anim.perFrameDelay.size() != static_cast<size_t>(anim.numCels))
            std::abort();
    }

private:
    std::vector<uint32_t> bits;
    int rows = 1;
};

class TypeFace : public LoadedFont
{
public:
    Font* GetFont() override { return nullptr; }
    bool IsImageFont() const override { return true; }
    bool IsLoaded() const override { return true; }
    void SetShadow(bool shadow) override {}
    void AddTag(const std::string& tag) override
    {
        if (tag.empty())
            std::abort();
    }
    void RebuildLayers() override {}
    std::unique_ptr<LoadedFont> Duplicate() const override { return std::make_unique<TypeFace>(); }
};

class Loader : public ResourceLoader
{
public:
    void SetAlphaImageColor(uint32_t color) override {}
    std::shared_ptr<LoadedImage> GetSharedImage(const std::string& path, const std::string& variant,
                                                bool& created) override
    {
        created = true;
        return std::make_shared<Picture>();
    }
    bool LoadPixels(const std::string& path, LoadedPixels& pixels) override
    {
        pixels.width = 4;
        pixels.height = 4;
        pixels.pixels.assign(16, 0xFF0000FF);
        return true;
    }
    std::unique_ptr<LoadedImage> GetImage(const std::string& path) override { return std::make_unique<Picture>(); }
    int GetFreeSoundId() override
    {
        for (int id = 0; id < 256; ++id)
        {
            if (used.count(id) == 0)
                return id;
        }
        return -1;
    }
    bool LoadSound(int id, const std::string& path) override { return used.insert(id).second; }
    void SetBaseVolume(int id, double volume) override {}
    void SetBasePan(int id, int pan) override {}
    void ReleaseSound(int id) override
    {
        if (used.erase(id) != 1)
            std::abort();
    }
    std::unique_ptr<LoadedFont> CreateSysFont(const std::string& face, int pointSize, bool bold, bool italic,
                                              bool underline) override
    {
        if (pointSize < 1)
            std::abort();
        return std::make_unique<TypeFace>();
    }
    std::unique_ptr<LoadedFont> CreateImageFont(const std::string& descriptorPath, LoadedImage* image) override
    {
        return std::make_unique<TypeFace>();
    }

    std::set<int> used;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = TemporaryFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    ResourceManifestReader reader;
    ResourceManifest manifest;
    bool read = reader.Read(path, manifest);
    if (read == reader.HadError() || read == !reader.GetErrorText().empty())
        std::abort();
    if (!read && !manifest.groups.empty())
        std::abort(); // a failed read adds nothing
    std::set<std::string> ids[3];
    for (const ResourceGroup& group : manifest.groups)
    {
        for (const ResourceDeclaration& declaration : group.resources)
        {
            if (declaration.path.empty() && !declaration.fontOptions.systemFont)
                std::abort();
            if (declaration.group != group.name)
                std::abort();
            if (!ids[static_cast<int>(declaration.kind)].insert(declaration.id).second)
                std::abort(); // identifiers are unique per kind
        }
    }

    auto loader = std::make_unique<Loader>();
    Loader* rawLoader = loader.get();
    {
        ResourceManager manager(std::move(loader));
        if (manager.ReadManifest(path) != read)
            std::abort();
        for (const ResourceGroup& group : manifest.groups)
        {
            (void)manager.LoadGroup(group.name);
            for (const ResourceDeclaration& declaration : group.resources)
            {
                try
                {
                    if (declaration.kind == ResourceKind::Sound)
                        (void)manager.RequireSound(declaration.id);
                }
                catch (const ResourceManagerException&)
                {
                }
            }
        }
        manager.UnloadGroup("");
        if (!rawLoader->used.empty())
            std::abort(); // unloading released every sound
    }
    return 0;
}
