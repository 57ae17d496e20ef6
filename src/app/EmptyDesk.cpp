#include "app/EmptyDesk.h"

#include "app/GameApp.h"
#include "app/Resources.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>

namespace Vesk
{

EmptyDesk::EmptyDesk(GameApp& game) : game(game)
{
    width = 800;
    height = 600;
    pointerVisible = true;
}

void EmptyDesk::Paint(Graphics& graphics)
{
    graphics.SetColor(Color(0x4A, 0x33, 0x22));
    graphics.FillRect(0, 0, width, height);

    // The desk surface is tiled from world (0, 0).
    if (IMAGE_BGTILE != nullptr && IMAGE_BGTILE->GetWidth() > 0 && IMAGE_BGTILE->GetHeight() > 0)
    {
        const int tileWidth = IMAGE_BGTILE->GetWidth();
        const int tileHeight = IMAGE_BGTILE->GetHeight();
        for (int tileY = -(kCameraY % tileHeight); tileY < height; tileY += tileHeight)
            for (int tileX = -(kCameraX % tileWidth); tileX < width; tileX += tileWidth)
                graphics.DrawImage(IMAGE_BGTILE, tileX, tileY);
    }

    // The traveller's things lie centred on their places.
    const ContentModel& content = game.content;
    const int itemCount = std::min(game.config.desktop.ItemsCount, kMaxDeskItems);
    for (int i = 0; i < itemCount; ++i)
    {
        const DeskItem& item = content.deskItems[i];
        if (!item.image)
            continue;
        graphics.DrawImage(item.image.get(), item.x - kCameraX - item.image->GetWidth() / 2,
                           item.y - kCameraY - item.image->GetHeight() / 2);
    }

    // The journal lies closed where the camera rests.
    if (content.pageCount > 0 && content.pages[0].faceImage)
        graphics.DrawImage(content.pages[0].faceImage.get(), game.config.common.BoardX, game.config.common.BoardY);
}

} // namespace Vesk
