#pragma once

#include <memory>

namespace Vesk
{

class MemoryImage;
struct SharedImage;

// A counted reference to a shared image (an entry of the application's shared image map), or to
// an image of its own that it may own. Copies share the same entry; the last reference to leave
// an entry lets the application sweep it. Its own image, when set, is used instead of the
// entry's image.
class SharedImageRef
{
public:
    SharedImageRef() = default;
    explicit SharedImageRef(SharedImage* sharedImage);
    // A reference to an image of its own, owned by the reference.
    explicit SharedImageRef(std::unique_ptr<MemoryImage> ownImage);
    SharedImageRef(const SharedImageRef& other);
    SharedImageRef(SharedImageRef&& other) noexcept;
    ~SharedImageRef();

    SharedImageRef& operator=(const SharedImageRef& other);
    SharedImageRef& operator=(SharedImageRef&& other) noexcept;
    SharedImageRef& operator=(SharedImage* sharedImage);
    // Uses image without owning it.
    SharedImageRef& operator=(MemoryImage* image);

    // Deletes its own image when it owns it and leaves the entry.
    void Release();

    // Its own image, else the entry's image, else null.
    MemoryImage* GetImage() const;
    operator MemoryImage*() const { return GetImage(); }
    MemoryImage* operator->() const { return GetImage(); }
    SharedImage* GetSharedImage() const { return sharedImage; }
    bool OwnsImage() const { return ownsImage; }

private:
    void Share(SharedImage* entry);

    SharedImage* sharedImage = nullptr;
    MemoryImage* ownImage = nullptr;
    bool ownsImage = false;
};

} // namespace Vesk
