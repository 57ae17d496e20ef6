#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The sequence memory game: the items of a round shown one after another, then put into the dish in that order.
class MG3 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 33;

    explicit MG3(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
