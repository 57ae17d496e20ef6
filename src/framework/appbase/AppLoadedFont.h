#pragma once

#include "framework/resources/LoadedFont.h"

#include <memory>
#include <string>

namespace Vesk
{

class Font;

// The application loader's hold on a font it made: a SysFont or an ImageFont, owned.
class AppLoadedFont : public LoadedFont
{
public:
    explicit AppLoadedFont(std::unique_ptr<Font> font);
    ~AppLoadedFont() override;
    AppLoadedFont(const AppLoadedFont&) = delete;
    AppLoadedFont& operator=(const AppLoadedFont&) = delete;

    Font* GetFont() override { return font.get(); }
    bool IsImageFont() const override;
    bool IsLoaded() const override;
    void SetShadow(bool shadow) override;
    void AddTag(const std::string& tag) override;
    void RebuildLayers() override;
    std::unique_ptr<LoadedFont> Duplicate() const override;

private:
    std::unique_ptr<Font> font;
};

} // namespace Vesk
