#pragma once

#include "framework/resources/PakInterface.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace Vesk::TestSupport
{

// A fresh file layer for one test: installed while the object lives, so archives a test adds
// never leak into other tests; the previous layer is restored afterwards.
class ScopedPakInterface
{
public:
    ScopedPakInterface();
    ~ScopedPakInterface();
    ScopedPakInterface(const ScopedPakInterface&) = delete;
    ScopedPakInterface& operator=(const ScopedPakInterface&) = delete;

    PakInterface& Get() { return pak; }
    PakInterface* operator->() { return &pak; }

private:
    PakInterface pak;
    PakInterface* previous = nullptr;
};

// Writes an archive holding the given (stored name, content) pairs, in that order.
void WritePakFile(const std::filesystem::path& path, const std::vector<std::pair<std::string, std::string>>& files,
                  uint64_t fileTime = 0);

// Reads a whole file through the file layer; false when it does not open.
bool ReadThroughPak(const std::string& name, std::string& content);

} // namespace Vesk::TestSupport
