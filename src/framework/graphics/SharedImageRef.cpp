#include "framework/graphics/SharedImageRef.h"

#include "framework/graphics/ImageSet.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"

namespace Vesk
{

SharedImageRef::SharedImageRef(SharedImage* entry)
{
    Share(entry);
}

SharedImageRef::SharedImageRef(std::unique_ptr<MemoryImage> image) : ownImage(image.release()), ownsImage(true) {}

SharedImageRef::SharedImageRef(const SharedImageRef& other) : ownImage(other.ownImage)
{
    Share(other.sharedImage);
}

SharedImageRef::SharedImageRef(SharedImageRef&& other) noexcept
    : sharedImage(other.sharedImage), ownImage(other.ownImage), ownsImage(other.ownsImage)
{
    other.sharedImage = nullptr;
    other.ownImage = nullptr;
    other.ownsImage = false;
}

SharedImageRef::~SharedImageRef()
{
    Release();
}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other)
{
    if (this == &other)
        return *this;
    // Take the other's entry first, so assigning a reference to its own entry keeps it alive.
    SharedImage* entry = other.sharedImage;
    MemoryImage* image = other.ownImage;
    if (entry)
        ++entry->refCount;
    Release();
    sharedImage = entry;
    ownImage = image;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(SharedImageRef&& other) noexcept
{
    if (this == &other)
        return *this;
    Release();
    sharedImage = other.sharedImage;
    ownImage = other.ownImage;
    ownsImage = other.ownsImage;
    other.sharedImage = nullptr;
    other.ownImage = nullptr;
    other.ownsImage = false;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(SharedImage* entry)
{
    if (entry)
        ++entry->refCount;
    Release();
    sharedImage = entry;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(MemoryImage* image)
{
    Release();
    ownImage = image;
    return *this;
}

void SharedImageRef::Share(SharedImage* entry)
{
    sharedImage = entry;
    if (entry)
        ++entry->refCount;
}

void SharedImageRef::Release()
{
    if (ownsImage)
        delete ownImage;
    ownImage = nullptr;
    ownsImage = false;
    if (sharedImage)
    {
        // Once the count is 0 another thread's sweep may delete the entry at once: read what
        // is needed from it first.
        ImageSet* imageSet = sharedImage->imageSet;
        if (--sharedImage->refCount == 0 && imageSet)
            imageSet->MarkChanged();
        sharedImage = nullptr;
    }
}

MemoryImage* SharedImageRef::GetImage() const
{
    if (ownImage)
        return ownImage;
    return sharedImage ? sharedImage->image.get() : nullptr;
}

} // namespace Vesk
