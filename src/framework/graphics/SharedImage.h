#pragma once

#include <atomic>
#include <memory>
#include <mutex>

namespace Vesk
{

class ImageSet;
class MemoryImage;

// One entry of the application's shared image map: an image loaded once for every user of the
// same (file name, variant), and the number of SharedImageRefs holding it. When the count falls
// to 0 the image set is marked changed, and the application's next fixed update deletes the
// entries whose count is 0 together with their images.
struct SharedImage
{
    std::unique_ptr<MemoryImage> image;
    std::atomic<int> refCount{0};
    // Marked changed when the last reference leaves; may be null.
    ImageSet* imageSet = nullptr;
    // Held by whoever loads the image while the entry is new, so that other users of the same
    // entry wait for the picture instead of finding none.
    std::mutex loadLock;

    SharedImage();
    ~SharedImage();
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;
};

} // namespace Vesk
