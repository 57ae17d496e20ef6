#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The scanner conveyor: a stream of objects under the scanner line, the suspicious ones to be caught.
class MG5 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 35;

    explicit MG5(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
