#pragma once

#include "framework/resources/AnimDescription.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Vesk
{

// The three kinds of resource a manifest declares; the values are the records' kind numbers.
enum class ResourceKind : int
{
    Image = 0,
    Sound = 1,
    Font = 2,
};

// What an Image element declares beyond the common attributes, with the defaults an element
// without the attribute gets.
struct ImageOptions
{
    std::string alphaImagePath; // "alphaimage": the default path + value
    std::string alphaGridPath;  // "alphagrid": the default path + value
    std::string variant;        // "variant": passed to the shared-image cache
    bool findAlpha = true;      // false with "noalpha"
    bool palettize = true;      // false with "nopal"
    bool format4444 = false;    // "a4r4g4b4"
    bool format8888 = false;    // "a8r8g8b8"
    bool hardwareSurface = false;
    bool discardBits = false;
    bool fewerSubdivisions = false;
    int rows = 1;
    int cols = 1;
    uint32_t alphaColor = 0xFFFFFF; // 24-bit RGB of pictures that are only an alpha image
    AnimDescription anim;
};

// What a Sound element declares.
struct SoundOptions
{
    double volume = -1.0; // -1: leave the sound's own volume
    int pan = 0;          // 0: centre
};

// What a Font element declares.
struct FontOptions
{
    std::string imagePath; // "image", taken as written: the picture of an image font
    std::string tags;      // "tags" as written; separated by commas or white space
    bool systemFont = false;
    int size = 0; // point size of a system font
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool shadow = false;
};

// One Image, Sound or Font element of the manifest. Only the options of its own kind mean
// anything.
struct ResourceDeclaration
{
    ResourceKind kind = ResourceKind::Image;
    std::string id;    // unique within its kind
    std::string group; // the group it was declared in
    // The file: the default path + "path", or a "path" starting with "!" as written ("!sys:"
    // already removed from a system font's face name).
    std::string path;
    std::map<std::string, std::string> attributes; // every attribute as read
    bool fromProgram = false;                      // path "!program": never loaded from a file

    ImageOptions imageOptions;
    SoundOptions soundOptions;
    FontOptions fontOptions;
};

// A named group and its resources in declaration order. Several Resources elements with the
// same id add to one group.
struct ResourceGroup
{
    std::string name;
    std::vector<ResourceDeclaration> resources;
};

// Everything the resource manifests read so far declare, as plain data: the groups in the
// order they first appear, and the defaults of the last SetDefaults element, which stay in force
// for the next file too.
struct ResourceManifest
{
    std::vector<ResourceGroup> groups;
    std::string defaultPath;     // prepended to paths; empty or ending in "/"
    std::string defaultIdPrefix; // prepended to identifiers

    const ResourceGroup* FindGroup(const std::string& name) const;
    ResourceGroup* FindGroup(const std::string& name);
    // The declaration of an identifier of one kind, or null.
    const ResourceDeclaration* Find(ResourceKind kind, const std::string& id) const;
    size_t ResourceCount() const;
};

} // namespace Vesk
