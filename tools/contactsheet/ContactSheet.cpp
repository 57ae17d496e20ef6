#include "ContactSheet.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Point.h"
#include "framework/graphics/SysFont.h"
#include "framework/resources/ImageData.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ResourceManifestReader.h"

#include <algorithm>
#include <cstdio>

namespace Vesk
{

namespace
{

// The publication's paper and ink.
constexpr Color kBackground{0xE9, 0xDC, 0xBD};
constexpr Color kPaper{0xF4, 0xEB, 0xD6};
constexpr Color kInk{0x2E, 0x21, 0x18};
constexpr Color kSepia{0x5A, 0x40, 0x30};
constexpr Color kLightSepia{0x8C, 0x6A, 0x48};
constexpr Color kEdge{0xC4, 0xAA, 0x78};
constexpr Color kWaxRed{0xA3, 0x3A, 0x2C};
constexpr Color kRose{0xF2, 0xD0, 0xC4};
constexpr Color kSky{0x2F, 0x6E, 0x6A, 160};
constexpr Color kGuide{0x7F, 0xA6, 0xB8, 140};
constexpr Color kCheckLight{0xD8, 0xD8, 0xD8};
constexpr Color kCheckDark{0xB8, 0xB8, 0xB8};

constexpr int kMargin = 16;
constexpr int kPad = 6;
constexpr int kGap = 10;
constexpr int kPlaceholderWidth = 140;
constexpr int kPlaceholderHeight = 90;

// Sample lines (Latin-1, as the game's texts are): a pangram, kerning pairs, digits and the
// accented letters player names and object names may hold.
const std::string kSample = "The quick brown fox jumps over the lazy dog. AV Wa To 0123456789 \xC5ngstr\xF6m "
                            "M\xFC"
                            "ller Stra\xDF"
                            "e \xC9lodie Fran\xE7ois Nu\xF1"
                            "ez S\xF8ren";
const std::string kWhiteSample = "White on ink: Player \xC5sa M\xFCller, AV 42";

struct Picture
{
    std::unique_ptr<MemoryImage> image; // null when the picture did not load
    int cols = 1;
    int rows = 1;
};

struct FontSample
{
    std::unique_ptr<Font> font; // null when the font did not load
    std::string detail;
};

// A sheet entry with what is drawn in it.
struct Item
{
    ContactSheet::Entry entry;
    Picture picture;
    FontSample font;
    std::vector<std::string> labels;
};

std::unique_ptr<MemoryImage> LoadPicture(const ResourceDeclaration& declaration)
{
    if (declaration.fromProgram || declaration.path.empty() || declaration.path[0] == '!')
        return nullptr;
    std::unique_ptr<ImageData> data = ImageLib::GetImage(declaration.path, declaration.imageOptions.findAlpha);
    if (!data)
        return nullptr;
    auto image = std::make_unique<MemoryImage>();
    image->SetBits(data->pixels.data(), data->width, data->height);
    return image;
}

FontSample LoadFont(const ResourceDeclaration& declaration)
{
    const FontOptions& options = declaration.fontOptions;
    FontSample sample;
    if (options.systemFont)
    {
        auto font =
            std::make_unique<SysFont>(declaration.path, options.size, options.bold, options.italic, options.underline);
        font->shadow = options.shadow;
        if (!font->IsLoaded())
            return sample;
        sample.detail = "system font, " + std::to_string(options.size) + " pt";
        sample.font = std::move(font);
        return sample;
    }
    std::unique_ptr<ImageFont> font;
    if (!options.imagePath.empty())
    {
        std::shared_ptr<const ImageData> image = ImageLib::GetImage(options.imagePath);
        if (!image)
            return sample;
        font = std::make_unique<ImageFont>(image, declaration.path);
    }
    else
        font = std::make_unique<ImageFont>(nullptr, declaration.path);
    if (!font->IsLoaded())
    {
        if (!font->fontData->errorReport.empty())
            std::fprintf(stderr, "contactsheet: %s\n", font->fontData->errorReport.c_str());
        return sample;
    }
    std::string tag;
    for (char character : options.tags + ",")
        if (character == ',' || character == ' ' || character == '\t')
        {
            if (!tag.empty())
                font->AddTag(tag);
            tag.clear();
        }
        else
            tag += character;
    sample.detail = "point size " + std::to_string(font->GetPointSize()) + ", " +
                    std::to_string(font->fontData->layers.size()) + " layer(s)";
    sample.font = std::move(font);
    return sample;
}

std::string SizeLabel(const Item& item, int shownWidth)
{
    const MemoryImage& image = *item.picture.image;
    std::string label = std::to_string(image.GetWidth()) + " x " + std::to_string(image.GetHeight());
    if (item.picture.cols > 1 || item.picture.rows > 1)
        label += ", cells " + std::to_string(item.picture.cols) + " x " + std::to_string(item.picture.rows);
    if (shownWidth != image.GetWidth())
        label += ", shown at " + std::to_string(shownWidth * 100 / std::max(1, image.GetWidth())) + "%";
    return label;
}

void DrawCheckerboard(Graphics& graphics, const Rect& box)
{
    graphics.SetColor(kCheckLight);
    graphics.FillRect(box);
    graphics.SetColor(kCheckDark);
    for (int y = 0; y < box.height; y += 8)
        for (int x = (y / 8 % 2) * 8; x < box.width; x += 16)
            graphics.FillRect(box.x + x, box.y + y, std::min(8, box.width - x), std::min(8, box.height - y));
}

void DrawPlaceholder(Graphics& graphics, Font& label, const Rect& box, const std::string& text)
{
    graphics.SetColor(kRose);
    graphics.FillRect(box);
    graphics.SetColor(kWaxRed);
    graphics.DrawRect(box.x, box.y, box.width - 1, box.height - 1);
    graphics.DrawLine(box.x, box.y, box.x + box.width - 1, box.y + box.height - 1);
    graphics.DrawLine(box.x + box.width - 1, box.y, box.x, box.y + box.height - 1);
    graphics.SetFont(&label);
    const int width = label.StringWidth(text);
    graphics.SetColor(kPaper);
    graphics.FillRect(box.x + (box.width - width) / 2 - 3, box.y + box.height / 2 - label.GetAscent() / 2 - 3,
                      width + 6, label.GetHeight() + 4);
    graphics.SetColor(kWaxRed);
    graphics.DrawString(text, box.x + (box.width - width) / 2, box.y + box.height / 2 + label.GetAscent() / 2);
}

} // namespace

bool ContactSheet::Make(const Options& options, std::string& error)
{
    ResourceManifest manifest;
    ResourceManifestReader reader;
    if (!reader.Read(options.manifestFile, manifest))
    {
        error = "cannot read " + options.manifestFile + ": " + reader.GetErrorText();
        return false;
    }

    SysFont label("DejaVu Sans", 9);
    SysFont heading("DejaVu Sans", 13, true);
    const int lineHeight = std::max(12, label.GetHeight());
    const int width = std::max(options.width, options.maxPictureWidth + 2 * (kMargin + kPad));

    // Load everything and lay it out: per group a heading, a band per font, then the pictures
    // flowing left to right in rows.
    std::vector<Item> items;
    std::vector<std::pair<Point, std::string>> headings;
    int y = kMargin;
    headings.emplace_back(Point(kMargin, y + heading.GetAscent()), "");
    y += heading.GetHeight() + kGap;
    int pictureCount = 0;
    int fontCount = 0;
    for (const ResourceGroup& group : manifest.groups)
    {
        headings.emplace_back(Point(kMargin, y + heading.GetAscent()), "Group \"" + group.name + "\"");
        y += heading.GetHeight() + kGap / 2;
        for (const ResourceDeclaration& declaration : group.resources)
        {
            if (declaration.kind != ResourceKind::Font)
                continue;
            ++fontCount;
            Item item;
            item.entry = Entry{ResourceKind::Font, declaration.id, declaration.path, false, {}, {}};
            item.font = LoadFont(declaration);
            item.entry.missing = !item.font.font;
            Font* font = item.font.font.get();
            const int bandHeight = (font != nullptr ? std::max(font->GetHeight(), lineHeight) : lineHeight) + 8;
            item.entry.frame = Rect(kMargin, y, width - 2 * kMargin, 2 * kPad + lineHeight + 2 * bandHeight);
            item.entry.sample = Rect(kMargin + kPad, y + kPad + lineHeight, width - 2 * (kMargin + kPad), bandHeight);
            if (font != nullptr)
                item.labels.push_back(declaration.id + "   " + declaration.path + "   " + item.font.detail +
                                      ", ascent " + std::to_string(font->GetAscent()) + ", height " +
                                      std::to_string(font->GetHeight()) + ", line spacing " +
                                      std::to_string(font->GetLineSpacing()));
            else
                item.labels.push_back(declaration.id + "   " + declaration.path + "   did not load");
            y += item.entry.frame.height + kGap / 2;
            items.push_back(std::move(item));
        }
        int x = kMargin;
        int rowHeight = 0;
        for (const ResourceDeclaration& declaration : group.resources)
        {
            if (declaration.kind != ResourceKind::Image)
                continue;
            ++pictureCount;
            Item item;
            item.entry = Entry{ResourceKind::Image, declaration.id, declaration.path, false, {}, {}};
            item.picture.image = LoadPicture(declaration);
            item.picture.cols = std::max(1, declaration.imageOptions.cols);
            item.picture.rows = std::max(1, declaration.imageOptions.rows);
            item.entry.missing = !item.picture.image;
            int boxWidth = kPlaceholderWidth;
            int boxHeight = kPlaceholderHeight;
            item.labels.push_back(declaration.id);
            if (item.picture.image)
            {
                const int imageWidth = item.picture.image->GetWidth();
                const int imageHeight = item.picture.image->GetHeight();
                const double scale = std::min({1.0, double(options.maxPictureWidth) / std::max(1, imageWidth),
                                               double(options.maxPictureHeight) / std::max(1, imageHeight)});
                boxWidth = std::max(1, int(imageWidth * scale));
                boxHeight = std::max(1, int(imageHeight * scale));
                item.labels.push_back(SizeLabel(item, boxWidth));
            }
            else
                item.labels.push_back(declaration.fromProgram ? "made by the game" : "missing");
            item.labels.push_back(declaration.path);
            int labelWidth = 0;
            for (const std::string& text : item.labels)
                labelWidth = std::max(labelWidth, label.StringWidth(text));
            const int cellWidth = std::min(width - 2 * kMargin, std::max(boxWidth, labelWidth) + 2 * kPad);
            const int cellHeight = boxHeight + 2 * kPad + 3 * lineHeight + kPad;
            if (x + cellWidth > width - kMargin && x > kMargin)
            {
                x = kMargin;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            item.entry.frame = Rect(x, y, cellWidth, cellHeight);
            item.entry.sample = Rect(x + (cellWidth - boxWidth) / 2, y + kPad, boxWidth, boxHeight);
            x += cellWidth + kGap;
            rowHeight = std::max(rowHeight, cellHeight);
            items.push_back(std::move(item));
        }
        y += rowHeight + 2 * kGap;
    }
    const int height = y + kMargin;

    int missingCount = 0;
    for (const Item& item : items)
        missingCount += item.entry.missing ? 1 : 0;
    headings.front().second = "Contact sheet of " + options.manifestFile + ": " + std::to_string(pictureCount) +
                              " pictures, " + std::to_string(fontCount) + " fonts, " + std::to_string(missingCount) +
                              " missing";

    // Draw.
    sheet = std::make_shared<MemoryImage>();
    sheet->Create(width, height);
    Graphics graphics(sheet.get());
    graphics.SetColor(kBackground);
    graphics.FillRect(0, 0, width, height);
    graphics.SetFont(&heading);
    graphics.SetColor(kInk);
    for (const auto& [position, text] : headings)
        graphics.DrawString(text, position.x, position.y);

    for (Item& item : items)
    {
        const Rect& frame = item.entry.frame;
        const Rect& sample = item.entry.sample;
        graphics.PushState();
        graphics.ClipRect(frame);
        graphics.SetColor(kPaper);
        graphics.FillRect(frame);
        graphics.SetColor(item.entry.missing ? kWaxRed : kEdge);
        graphics.DrawRect(frame.x, frame.y, frame.width - 1, frame.height - 1);
        graphics.SetFont(&label);
        if (item.entry.kind == ResourceKind::Font)
        {
            graphics.SetColor(item.entry.missing ? kWaxRed : kSepia);
            graphics.DrawString(item.labels[0], frame.x + kPad, frame.y + kPad + label.GetAscent());
            Font* font = item.font.font.get();
            const Rect whiteBand(sample.x, sample.y + sample.height, sample.width, sample.height);
            graphics.SetColor(kLightSepia);
            graphics.FillRect(whiteBand);
            if (font == nullptr)
                DrawPlaceholder(graphics, label, Rect(sample.x, sample.y, sample.width, 2 * sample.height),
                                "font missing: " + item.entry.path);
            else
            {
                // Guides at the top of the ascent and at the baseline, then the sample in ink.
                const int baseline = sample.y + 4 + font->GetAscent();
                graphics.SetColor(kGuide);
                graphics.DrawLine(sample.x, baseline, sample.x + sample.width - 1, baseline);
                graphics.DrawLine(sample.x, baseline - font->GetAscent(), sample.x + sample.width - 1,
                                  baseline - font->GetAscent());
                graphics.SetFont(font);
                graphics.SetColor(kInk);
                graphics.DrawString(kSample, sample.x + 4, baseline);
                graphics.SetColor(Color::White);
                graphics.DrawString(kWhiteSample, sample.x + 4, baseline + sample.height);
            }
        }
        else
        {
            if (item.picture.image)
            {
                MemoryImage* image = item.picture.image.get();
                DrawCheckerboard(graphics, sample);
                graphics.SetColor(Color::White);
                if (sample.width == image->GetWidth() && sample.height == image->GetHeight())
                    graphics.DrawImage(image, sample.x, sample.y);
                else
                    graphics.DrawImage(image, sample, Rect(0, 0, image->GetWidth(), image->GetHeight()));
                // The cells the game cuts the picture into.
                graphics.SetColor(kSky);
                for (int col = 1; col < item.picture.cols; ++col)
                {
                    const int lineX = sample.x + sample.width * col / item.picture.cols;
                    graphics.DrawLine(lineX, sample.y, lineX, sample.y + sample.height - 1);
                }
                for (int row = 1; row < item.picture.rows; ++row)
                {
                    const int lineY = sample.y + sample.height * row / item.picture.rows;
                    graphics.DrawLine(sample.x, lineY, sample.x + sample.width - 1, lineY);
                }
            }
            else
                DrawPlaceholder(graphics, label, sample, item.labels[1]);
            int baseline = sample.y + sample.height + kPad + label.GetAscent();
            for (size_t line = 0; line < item.labels.size(); ++line)
            {
                graphics.SetFont(&label);
                graphics.SetColor(line == 0 ? kInk : (item.entry.missing && line == 1 ? kWaxRed : kSepia));
                graphics.DrawString(item.labels[line], frame.x + kPad, baseline);
                baseline += lineHeight;
            }
        }
        graphics.PopState();
    }

    entries.clear();
    for (Item& item : items)
        entries.push_back(std::move(item.entry));
    return true;
}

std::vector<std::string> ContactSheet::GetMissing() const
{
    std::vector<std::string> missing;
    for (const Entry& entry : entries)
        if (entry.missing)
            missing.push_back(entry.id + " (" + entry.path + ")");
    return missing;
}

bool ContactSheet::WritePNG(const std::string& fileName) const
{
    if (!sheet || sheet->GetBits() == nullptr)
        return false;
    ImageData data(sheet->GetWidth(), sheet->GetHeight());
    std::copy_n(sheet->GetBits(), data.pixels.size(), data.pixels.begin());
    return ImageLib::WritePNG(fileName, data);
}

} // namespace Vesk
