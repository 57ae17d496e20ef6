#include "framework/resources/MemoryImageStream.h"

#include <algorithm>
#include <cstring>

namespace Vesk
{

size_t MemoryImageStream::Read(void* buffer, size_t count)
{
    count = std::min(count, size - position);
    if (count > 0)
        std::memcpy(buffer, data + position, count);
    position += count;
    return count;
}

bool MemoryImageStream::Seek(uint64_t newPosition)
{
    if (newPosition > size)
        return false;
    position = static_cast<size_t>(newPosition);
    return true;
}

} // namespace Vesk
