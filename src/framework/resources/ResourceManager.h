#pragma once

#include "framework/resources/ResourceLoader.h"
#include "framework/resources/ResourceManifest.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Vesk
{

class BaseRes;
class FontRes;
class ImageRes;
class SoundRes;

// The game's images, sounds and fonts by identifier. It reads the resource manifest (see
// ResourceManifestReader), loads whole groups of it on request through its loader, and hands
// out the loaded objects by identifier. The application owns one; the game reads the manifest
// at start-up, loads the groups "Common" and "Interface" and binds their identifiers to its
// own variables.
//
// Errors: the first error since the last reset is kept (GetErrorText) and every failing
// operation returns false; LoadGroup and BeginGroupLoad reset it. Lookups of identifiers that
// are not declared or not loaded throw ResourceManagerException. No locks: a group may be
// loaded on the loading thread while the main thread waits; lookups happen on the main thread.
class ResourceManager
{
public:
    // loader does the single loads; it must not be null.
    explicit ResourceManager(std::unique_ptr<ResourceLoader> loader);
    virtual ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // Replaces the loader; everything loaded through the old one is unloaded first.
    void SetLoader(std::unique_ptr<ResourceLoader> loader);
    ResourceLoader& GetLoader() { return *loader; }
    // Whether drawing is hardware accelerated (chooses "nobits3d" or "nobits2d"); set before
    // reading the manifest.
    void SetHardwareAccelerated(bool accelerated) { hardwareAccelerated = accelerated; }

    // Reads a manifest and declares its resources; false after any error, with nothing
    // declared. May be called for several files; their identifiers must not clash.
    [[nodiscard]] bool ReadManifest(const std::string& fileName);
    // Everything declared so far.
    const ResourceManifest& GetManifest() const { return manifest; }

    // Loads every entry of the group that is not loaded yet; on success the group counts as
    // loaded. Stops at the first entry that fails. A group loaded before loads nothing again.
    virtual bool LoadGroup(const std::string& group);
    // The same in steps: BeginGroupLoad, then LoadNext until it returns false (the group is
    // done, or an entry failed: HadError tells).
    virtual void BeginGroupLoad(const std::string& group);
    virtual bool LoadNext();
    // Releases the loaded objects of a group (of every group for an empty name).
    virtual void UnloadGroup(const std::string& group);
    bool IsGroupLoaded(const std::string& group) const { return loadedGroups.count(group) > 0; }

    // The loaded object of an identifier; throws ResourceManagerException ("Image resource not
    // found: <id>" and the like) when it is not declared or not loaded.
    virtual std::shared_ptr<LoadedImage> RequireImage(const std::string& id);
    virtual int RequireSound(const std::string& id);
    virtual LoadedFont* RequireFont(const std::string& id);
    // A loaded font, or null; records no error.
    LoadedFont* FindFont(const std::string& id);

    const std::string& GetErrorText() const { return errorText; }
    bool HadError() const { return hasFailed; }
    // The failed manifest declaration used an identifier that already existed.
    bool RedefinitionSeen() const { return redefinitionSeen; }

protected:
    using ResourceMap = std::map<std::string, std::unique_ptr<BaseRes>>;

    // Unloads the records of a group (all records for an empty name).
    virtual void UnloadFromMap(ResourceMap& map, const std::string& group);
    virtual bool LoadImageEntry(ImageRes& record);
    virtual bool LoadFontEntry(FontRes& record);
    virtual bool LoadSoundEntry(SoundRes& record);
    // Called after each entry loaded; nothing here.
    virtual void OnEntryLoaded(BaseRes& record) {}

    // Records an error (only the first since the last reset counts) and returns false.
    bool Fail(const std::string& message);

private:
    bool ApplyAlphaImage(ImageRes& record, LoadedImage& image);
    bool ApplyAlphaGrid(ImageRes& record, LoadedImage& image);
    void PrepareImage(const ImageOptions& options, LoadedImage& image);
    ResourceMap& MapOf(ResourceKind kind);

    std::unique_ptr<ResourceLoader> loader;
    ResourceManifest manifest;
    ResourceMap images;
    ResourceMap sounds;
    ResourceMap fonts;
    std::map<std::string, std::vector<BaseRes*>> groups; // declaration order
    std::set<std::string> loadedGroups;
    std::string errorText;
    bool hasFailed = false;
    bool redefinitionSeen = false;
    bool hardwareAccelerated = false;
    std::string currentGroup;
    const std::vector<BaseRes*>* loadList = nullptr;
    size_t loadPosition = 0;
};

} // namespace Vesk
