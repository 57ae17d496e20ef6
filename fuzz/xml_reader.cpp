// Fuzzes the XML reader with arbitrary bytes read from a file through the file layer, exactly
// as the game reads its configuration.
#include "framework/resources/XMLParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

std::string TemporaryFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr ? folder : "/tmp") + "/orlo-fuzz-xml-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        std::abort();
    ::close(fd);
    return pattern;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = TemporaryFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    for (bool allowComments : {false, true})
    {
        Vesk::XMLParser parser;
        parser.SetAllowComments(allowComments);
        if (!parser.OpenFile(path))
            std::abort();
        Vesk::XMLElement element;
        size_t count = 0;
        while (parser.NextElement(element))
        {
            // Every element must come from input: no more elements than characters read
            // (plus the end tag a self-closing tag implies).
            if (++count > 2 * size + 2)
                std::abort();
        }
        if (parser.HasFailed() && parser.GetErrorText().empty())
            std::abort();
    }
    return 0;
}
