#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The differences game: two pictures side by side, differences found on either side.
class MG6 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 36;

    explicit MG6(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
