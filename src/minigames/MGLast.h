#pragma once

#include "minigames/MiniGame.h"

namespace Vesk
{

// The final game: the notes beside the publication, each pressed onto its own page to stamp it.
class MGLast : public MiniGame
{
public:
    static constexpr int kBackButtonId = 40;

    explicit MGLast(GameApp& app);

    void LoadPicture(const std::string& dir) override;

protected:
    void TickRules(float step) override;
    const std::string& Objective() const override;
    void PaintPlayArea(Graphics& graphics) override;
};

} // namespace Vesk
