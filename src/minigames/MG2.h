#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The container sorting game: items dragged into their own containers, round by round.
class MG2 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 32;

    explicit MG2(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
