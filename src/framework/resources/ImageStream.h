#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

// A readable, seekable source of bytes for the image readers: a file of the file layer
// (archive entry or disk) or a block of memory. The readers never touch stdio themselves.
class ImageStream
{
public:
    virtual ~ImageStream() = default;

    // Copies up to size bytes; returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Moves to an absolute position; false (position unchanged) beyond the end.
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Tell() const = 0;
    virtual uint64_t Size() const = 0;

    uint64_t Remaining() const { return Size() - Tell(); }
    // All or nothing: false when fewer than size bytes are left.
    bool ReadExact(void* buffer, size_t size) { return Read(buffer, size) == size; }
    bool Skip(uint64_t count) { return count <= Remaining() && Seek(Tell() + count); }
    // Reads everything from the current position to the end.
    std::vector<uint8_t> ReadRest();
};

} // namespace Vesk
