#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The piece matching game: three rounds of torn pieces dropped on their outlines.
class MG1 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 31;

    explicit MG1(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
