#include "framework/resources/FileImageStream.h"

#include "framework/resources/PakInterface.h"

#include <cstdio>

namespace Vesk
{

FileImageStream::FileImageStream(const std::string& fileName)
{
    file = p_fopen(fileName.c_str(), "rb");
    if (file == nullptr)
        return;
    long end = -1;
    if (p_fseek(file, 0, SEEK_END) == 0)
        end = p_ftell(file);
    if (end < 0 || p_fseek(file, 0, SEEK_SET) != 0)
    {
        p_fclose(file);
        file = nullptr;
        return;
    }
    size = static_cast<uint64_t>(end);
}

FileImageStream::~FileImageStream()
{
    if (file != nullptr)
        p_fclose(file);
}

size_t FileImageStream::Read(void* buffer, size_t count)
{
    if (file == nullptr || count == 0)
        return 0;
    size_t read = p_fread(buffer, 1, count, file);
    position += read;
    return read;
}

bool FileImageStream::Seek(uint64_t newPosition)
{
    if (file == nullptr || newPosition > size)
        return false;
    if (p_fseek(file, static_cast<long>(newPosition), SEEK_SET) != 0)
        return false;
    position = newPosition;
    return true;
}

} // namespace Vesk
