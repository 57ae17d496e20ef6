#include "support/ScopedPakInterface.h"

#include "framework/resources/PakWriter.h"

#include <stdexcept>

namespace Vesk::TestSupport
{

ScopedPakInterface::ScopedPakInterface() : previous(PakInterface::SetInstance(&pak)) {}

ScopedPakInterface::~ScopedPakInterface()
{
    PakInterface::SetInstance(previous);
}

void WritePakFile(const std::filesystem::path& path, const std::vector<std::pair<std::string, std::string>>& files,
                  uint64_t fileTime)
{
    PakWriter writer;
    for (const auto& [name, content] : files)
    {
        if (!writer.AddFile(name, std::vector<uint8_t>(content.begin(), content.end()), fileTime))
            throw std::runtime_error("cannot add " + name + " to a test archive");
    }
    if (!writer.Write(path))
        throw std::runtime_error("cannot write the test archive " + path.string());
}

bool ReadThroughPak(const std::string& name, std::string& content)
{
    PFILE* file = p_fopen(name.c_str(), "rb");
    if (file == nullptr)
        return false;
    content.clear();
    char chunk[4096];
    size_t got;
    while ((got = p_fread(chunk, 1, sizeof(chunk), file)) > 0)
        content.append(chunk, got);
    p_fclose(file);
    return true;
}

} // namespace Vesk::TestSupport
