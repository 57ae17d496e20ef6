#pragma once

#include <memory>
#include <vector>

namespace Vesk
{

class Graphics;
class Image;
class MemoryImage;

// The smear of the differences game's picture while its page turns in or out (the
// publication's blur value b, 1 at the start of the turn, 0 at rest). The background stays
// sharp under copies of itself spread over the blur's offsets; the round's windows (its extra
// pictures) and the differences' patches fade in over ghosts of themselves spread the same way.
//
// Copying the whole picture eight times on every frame costs several milliseconds, so the
// smeared pictures are made once per round (BoardBlur::Smear) and a frame blends four layers:
// the background, its smear, the ghosts and the sharp windows and patches. MG6 owns one and
// tells it when the set or the round changes.
class DifferencesBlur
{
public:
    // A picture of the set at its place on the board (board coordinates).
    struct Placed
    {
        Image* image = nullptr;
        int x = 0;
        int y = 0;
    };

    DifferencesBlur();
    ~DifferencesBlur();
    DifferencesBlur(const DifferencesBlur&) = delete;
    DifferencesBlur& operator=(const DifferencesBlur&) = delete;

    // Another set or another round: every layer is made again when next painted.
    void Invalidate();
    bool IsPrepared() const { return prepared; }

    // Makes the layers of a round (tens of milliseconds on a full board): the background, the
    // round's extra pictures and every patch of its differences. Null pictures are left out.
    void Prepare(const Placed& background, const std::vector<Placed>& extras, const std::vector<Placed>& patches,
                 double amplitude);
    // Paints the prepared round at (boardX, boardY) for blur b in (0, 1]. amplitude: the spread
    // of the copies in pixels at the widest; transparency: a ghost copy's alpha (0..255).
    void Paint(Graphics& graphics, int boardX, int boardY, double blur, double transparency) const;

    // The copies the look stands for: their strengths add up as that many layers would.
    static constexpr int kCopies = 8;

private:
    // The pictures drawn together into one layer just large enough for them (plus margin for
    // a smear), clipped to the board.
    struct Layer
    {
        std::unique_ptr<MemoryImage> image;
        int x = 0;
        int y = 0;
    };
    static Layer Compose(const std::vector<Placed>& pictures, int margin);

    bool prepared = false;
    Placed background;
    std::unique_ptr<MemoryImage> backgroundSmear;
    // The windows and patches sharp, and their ghosts (smeared).
    Layer pieces;
    Layer ghosts;
};

} // namespace Vesk
