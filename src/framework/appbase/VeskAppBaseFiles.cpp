// Files: existence checks and whole-file reads and writes, recorded into demos.
#include "framework/appbase/Buffer.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/FileSystem.h"
#include "framework/resources/PakInterface.h"

namespace Vesk
{

bool VeskAppBase::FileExists(const std::string& path)
{
    DemoEvent recorded;
    if (playingDemo)
        return TakeDemoResult(DEMO_FILE_EXISTS, recorded) && recorded.flag;
    bool exists = false;
    if (PFILE* file = p_fopen(path.c_str(), "rb"))
    {
        p_fclose(file);
        exists = true;
    }
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_FILE_EXISTS;
        event.flag = exists;
        RecordEvent(event);
    }
    return exists;
}

bool VeskAppBase::ReadBufferFromFile(const std::string& path, Buffer& buffer)
{
    DemoEvent recorded;
    if (playingDemo)
    {
        if (!TakeDemoResult(DEMO_FILE_READ, recorded))
            return false;
        if (recorded.flag)
            buffer = Buffer(std::move(recorded.data));
        return recorded.flag;
    }
    bool success = false;
    std::vector<uint8_t> bytes;
    if (PFILE* file = p_fopen(path.c_str(), "rb"))
    {
        uint8_t chunk[65536];
        size_t got;
        while ((got = p_fread(chunk, 1, sizeof(chunk), file)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        p_fclose(file);
        success = true;
    }
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_FILE_READ;
        event.flag = success;
        if (success)
            event.data = bytes;
        RecordEvent(event);
    }
    if (success)
        buffer = Buffer(std::move(bytes));
    return success;
}

bool VeskAppBase::WriteBufferToFile(const std::string& path, const Buffer& buffer)
{
    DemoEvent recorded;
    if (playingDemo)
        return TakeDemoResult(DEMO_FILE_WRITE, recorded) && recorded.flag;
    bool success = Platform::WriteFileAtomically(path, buffer.GetData());
    if (recordingDemo)
    {
        DemoEvent event;
        event.code = DEMO_FILE_WRITE;
        event.flag = success;
        RecordEvent(event);
    }
    return success;
}

} // namespace Vesk
