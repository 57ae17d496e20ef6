// Fuzzes the demo file reader: the header, the marker block and every record of the stream.
#include "framework/appbase/DemoFile.h"
#include "framework/appbase/DemoReader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    Vesk::DemoFile file;
    std::string error;
    if (file.Parse(bytes, error))
    {
        Vesk::DemoReader reader(file.events);
        Vesk::DemoEvent event;
        int guard = 0;
        while (reader.HasNext() && ++guard < 1000000)
        {
            (void)reader.GetNextDue();
            if (!reader.Next(event))
                break;
        }
        (void)file.Serialise();
    }
    // The bytes as a bare event stream, too.
    Vesk::DemoReader stream{Vesk::Buffer(bytes)};
    Vesk::DemoEvent event;
    while (stream.Next(event))
    {
    }
    return 0;
}
