#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The magnifier search: the wanted objects clicked in the order of their strip, under a magnifying glass that follows
// the pointer.
class MG8 : public MiniGame
{
public:
    static constexpr int kBackButtonId = 38;

    explicit MG8(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
