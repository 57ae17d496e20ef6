#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The magnifying-glass capture: the glass dragged over a dim scene, the wanted objects captured with its button.
class MG9 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 39;

    explicit MG9(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
