#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The arrangement check game: pieces moved into a drop area and checked against their targets, round by round.
class MG4 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 34;

    explicit MG4(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
