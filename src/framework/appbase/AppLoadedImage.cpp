#include "framework/appbase/AppLoadedImage.h"

#include "framework/graphics/AnimInfo.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/AnimDescription.h"

#include <utility>

namespace Vesk
{

AppLoadedImage::AppLoadedImage(SharedImageRef reference)
    : reference(std::move(reference)), image(this->reference.GetImage())
{
}

AppLoadedImage::AppLoadedImage(std::unique_ptr<MemoryImage> ownImage)
    : ownImage(std::move(ownImage)), image(this->ownImage.get())
{
}

AppLoadedImage::~AppLoadedImage() = default;

Image* AppLoadedImage::GetImage()
{
    return image;
}

int AppLoadedImage::GetWidth() const
{
    return image->GetWidth();
}

int AppLoadedImage::GetHeight() const
{
    return image->GetHeight();
}

uint32_t* AppLoadedImage::GetBits()
{
    return image->GetBits();
}

void AppLoadedImage::BitsChanged()
{
    image->BitsChanged();
}

void AppLoadedImage::CommitBits()
{
    image->CommitBits();
}

bool AppLoadedImage::HasAlpha() const
{
    return image->HasAlpha();
}

bool AppLoadedImage::HasDisplaySurface() const
{
    auto* displayImage = dynamic_cast<DDImage*>(image);
    return displayImage != nullptr && displayImage->HasSurface();
}

void AppLoadedImage::SetPurgeBits(bool purge)
{
    image->purgeBits = purge;
}

void AppLoadedImage::SetWantsDisplaySurface(bool wants)
{
    if (auto* displayImage = dynamic_cast<DDImage*>(image))
        displayImage->wantDDSurface = wants;
}

void AppLoadedImage::SetWantPalette(bool wants)
{
    image->wantPal = wants;
}

void AppLoadedImage::Palletize()
{
    // A picture of more than 256 colours simply stays in 32 bits.
    (void)image->Palletize();
}

void AppLoadedImage::AddTextureFlags(int flags)
{
    image->textureFlags |= flags;
}

void AppLoadedImage::PurgeBits()
{
    image->PurgeBits();
}

void AppLoadedImage::SetCellGrid(int rows, int columns)
{
    image->rows = rows;
    image->columns = columns;
}

int AppLoadedImage::GetRows() const
{
    return image->rows;
}

void AppLoadedImage::SetAnimation(const AnimDescription& anim)
{
    auto info = std::make_unique<AnimInfo>();
    info->animType = anim.animType;
    info->frameDelay = anim.frameDelay;
    info->numCels = anim.numCels;
    info->perFrameDelay = anim.perFrameDelay;
    info->frameMap = anim.frameMap;
    info->totalAnimTime = anim.totalAnimTime;
    image->animInfo = std::move(info);
}

} // namespace Vesk
