#pragma once

#include "framework/resources/ImageData.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class SysFont;

// The debug overlay (F3): a line of text in the bottom-right corner of the presented frame
// (the frames per second, or the pointer position) and, during a demo playback, the playback
// time 15 pixels above it. The texts are rendered into pictures only when they change; they
// are drawn into the screen image just before it is presented and what lay under them is put
// back right after, so the widgets' picture never keeps them. Owned by the application.
class DebugOverlay
{
public:
    DebugOverlay();
    ~DebugOverlay();
    DebugOverlay(const DebugOverlay&) = delete;
    DebugOverlay& operator=(const DebugOverlay&) = delete;

    // The texts to show (an empty timeText shows no time). True when a picture changed.
    bool Prepare(const std::string& mainText, const std::string& timeText);
    // Draws the prepared texts into pixels (width x height, opaque 0xAARRGGBB), 10 pixels from
    // the right and bottom edges, keeping what lies under them for Restore.
    void Draw(uint32_t* pixels, int width, int height);
    // Puts back what the last Draw covered (nothing when nothing was drawn).
    void Restore(uint32_t* pixels, int width, int height);

    const std::string& GetMainText() const { return main.text; }
    const std::string& GetTimeText() const { return time.text; }

private:
    struct Text
    {
        std::string text;
        ImageData picture;
    };
    struct Saved
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels;
    };

    bool Render(Text& target, const std::string& text);
    void DrawText(const Text& text, int x, int y, uint32_t* pixels, int width, int height);

    std::unique_ptr<SysFont> font;
    Text main;
    Text time;
    std::vector<Saved> saved;
};

} // namespace Vesk
