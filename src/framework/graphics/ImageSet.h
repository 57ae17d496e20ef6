#pragma once

#include <functional>
#include <mutex>
#include <unordered_set>

namespace Vesk
{

class MemoryImage;

// The set of live memory images. The application owns one; every memory image created with it
// enters at construction and leaves at destruction, so the application can sweep all images
// (palettize again, drop derived buffers) after the display changes. Images are created on the
// main thread and on the loading thread, so membership is guarded by the set's own lock, which
// the application also holds around its sweeps (ForEach).
//
// The changed flag is the application's "image set changed": a shared image lost its last
// user and the next fixed update should sweep the shared image map.
class ImageSet
{
public:
    ImageSet() = default;
    ImageSet(const ImageSet&) = delete;
    ImageSet& operator=(const ImageSet&) = delete;

    void Add(MemoryImage* image);
    void Remove(MemoryImage* image);
    bool Contains(const MemoryImage* image) const;
    size_t Count() const;

    // Calls visit for every registered image under the lock. visit must not create or destroy
    // images of this set.
    void ForEach(const std::function<void(MemoryImage&)>& visit);

    void MarkChanged();
    // Returns the changed flag and clears it.
    bool TakeChanged();

    std::recursive_mutex& Lock() { return lock; }

private:
    mutable std::recursive_mutex lock;
    std::unordered_set<MemoryImage*> images;
    bool changed = false;
};

} // namespace Vesk
