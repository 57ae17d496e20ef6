#pragma once

#include "framework/resources/ImageStream.h"

#include <string>

namespace Vesk
{

struct PFILE;

// A file opened through the file layer (p_fopen), closed with the stream.
class FileImageStream : public ImageStream
{
public:
    // Opens the file; IsOpen tells whether that worked.
    explicit FileImageStream(const std::string& fileName);
    ~FileImageStream() override;
    FileImageStream(const FileImageStream&) = delete;
    FileImageStream& operator=(const FileImageStream&) = delete;

    bool IsOpen() const { return file != nullptr; }

    size_t Read(void* buffer, size_t count) override;
    bool Seek(uint64_t newPosition) override;
    uint64_t Tell() const override { return position; }
    uint64_t Size() const override { return size; }

private:
    PFILE* file = nullptr;
    uint64_t size = 0;
    uint64_t position = 0;
};

} // namespace Vesk
