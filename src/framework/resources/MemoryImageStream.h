#pragma once

#include "framework/resources/ImageStream.h"

namespace Vesk
{

// Bytes in memory that the caller keeps alive while the stream is used (tests, fuzzing).
class MemoryImageStream : public ImageStream
{
public:
    MemoryImageStream(const uint8_t* data, size_t size) : data(data), size(size) {}

    size_t Read(void* buffer, size_t count) override;
    bool Seek(uint64_t newPosition) override;
    uint64_t Tell() const override { return position; }
    uint64_t Size() const override { return size; }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

} // namespace Vesk
