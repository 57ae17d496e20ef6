#pragma once

#include <memory>
#include <string>

namespace Vesk
{

class Font;

// The resource manager's hold on one font it created: the font itself for the game, and what
// loading needs to finish it (whether an image font's descriptor loaded, its tags, the shadow
// of a system font, copies for "!ref:" entries). Owns the font.
class LoadedFont
{
public:
    virtual ~LoadedFont() = default;

    virtual Font* GetFont() = 0;
    // An image font (built from a font descriptor), as opposed to a system font.
    virtual bool IsImageFont() const = 0;
    // An image font whose descriptor loaded; system fonts are always loaded.
    virtual bool IsLoaded() const = 0;
    // A system font draws a black copy one pixel right and down first.
    virtual void SetShadow(bool shadow) = 0;
    // Image fonts: a tag switches on the descriptor's layers that require it; call
    // RebuildLayers after the last one.
    virtual void AddTag(const std::string& tag) = 0;
    virtual void RebuildLayers() = 0;
    // A new, independent font like this one (same size, tags and layers).
    virtual std::unique_ptr<LoadedFont> Duplicate() const = 0;
};

} // namespace Vesk
