#pragma once

#include "framework/widgets/Widget.h"

namespace Vesk
{

class GameApp;

// What the game shows once loading is over while it has no screens to play on: the desk seen
// from the journal's resting place, its items, and the closed journal. It covers the whole
// screen and takes no input. The game owns it; it reads the desk items and the cover face
// from the game's content each time it paints.
class EmptyDesk : public Widget
{
public:
    // The camera's world position when it rests on the journal.
    static constexpr int kCameraX = 1100;
    static constexpr int kCameraY = 700;

    explicit EmptyDesk(GameApp& game);

    void Paint(Graphics& graphics) override;

private:
    GameApp& game;
};

} // namespace Vesk
