#include "framework/graphics/ImageSet.h"

namespace Vesk
{

void ImageSet::Add(MemoryImage* image)
{
    std::lock_guard guard(lock);
    images.insert(image);
}

void ImageSet::Remove(MemoryImage* image)
{
    std::lock_guard guard(lock);
    images.erase(image);
}

bool ImageSet::Contains(const MemoryImage* image) const
{
    std::lock_guard guard(lock);
    return images.count(const_cast<MemoryImage*>(image)) != 0;
}

size_t ImageSet::Count() const
{
    std::lock_guard guard(lock);
    return images.size();
}

void ImageSet::ForEach(const std::function<void(MemoryImage&)>& visit)
{
    std::lock_guard guard(lock);
    for (MemoryImage* image : images)
        visit(*image);
}

void ImageSet::MarkChanged()
{
    std::lock_guard guard(lock);
    changed = true;
}

bool ImageSet::TakeChanged()
{
    std::lock_guard guard(lock);
    bool was = changed;
    changed = false;
    return was;
}

} // namespace Vesk
