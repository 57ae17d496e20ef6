#include "framework/resources/ImageStream.h"

namespace Vesk
{

std::vector<uint8_t> ImageStream::ReadRest()
{
    std::vector<uint8_t> bytes(static_cast<size_t>(Remaining()));
    bytes.resize(Read(bytes.data(), bytes.size()));
    return bytes;
}

} // namespace Vesk
