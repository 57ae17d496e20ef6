#pragma once

// A file of the fuzzer's own in the temporary folder, rewritten with each input so that the
// readers that open files by name (through the file layer, as the game does) can be fed.
// Removed when the fuzzer exits.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace Vesk::Fuzz
{

class ScratchFile
{
public:
    // `name` is the file's name inside a folder of this process's own (its extension matters
    // to readers that choose by it).
    explicit ScratchFile(const std::string& name)
    {
        const char* base = std::getenv("TMPDIR");
        folder = std::filesystem::path(base != nullptr ? base : "/tmp") /
                 ("orlo-fuzz-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::create_directories(folder);
        path = (folder / name).string();
    }
    ~ScratchFile()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    void Write(const uint8_t* data, size_t size) const
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
            std::abort();
    }

    const std::string& Path() const { return path; }
    const std::filesystem::path& Folder() const { return folder; }

private:
    std::filesystem::path folder;
    std::string path;
};

} // namespace Vesk::Fuzz
