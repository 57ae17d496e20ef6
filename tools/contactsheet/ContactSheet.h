#pragma once

#include "framework/graphics/Rect.h"
#include "framework/resources/ResourceManifest.h"

#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class Font;
class MemoryImage;

// A contact sheet of a data tree: every picture the resource manifest declares, drawn in a
// labelled, outlined cell (identifier, size, cells, path), and a sample line of every font
// drawn through the game's own fonts and Graphics, so the sheet shows what the game will show.
// A picture or font that does not load gets a labelled placeholder and is listed as missing.
// Everything is read through the file layer relative to the current folder, as the game reads
// its data.
class ContactSheet
{
public:
    struct Options
    {
        std::string manifestFile = "properties/resources.xml";
        int width = 1600;          // of the sheet
        int maxPictureWidth = 380; // larger pictures are shown scaled down to fit
        int maxPictureHeight = 300;
    };

    // Where one manifest entry landed on the sheet.
    struct Entry
    {
        ResourceKind kind = ResourceKind::Image;
        std::string id;
        std::string path;
        bool missing = false;
        Rect frame;  // the outlined cell
        Rect sample; // the picture (or placeholder) box, or the font's sample band
    };

    // Reads the manifest and lays out and draws the sheet; false (with the reason) only when
    // the manifest cannot be read. Missing pictures and fonts are not failures.
    [[nodiscard]] bool Make(const Options& options, std::string& error);

    // Writes the sheet as a PNG (whole or not at all).
    [[nodiscard]] bool WritePNG(const std::string& fileName) const;

    const std::vector<Entry>& GetEntries() const { return entries; }
    // "IDENTIFIER (path)" of every picture and font that did not load, in manifest order.
    std::vector<std::string> GetMissing() const;
    const MemoryImage* GetSheet() const { return sheet.get(); }

private:
    std::vector<Entry> entries;
    std::shared_ptr<MemoryImage> sheet;
};

} // namespace Vesk
