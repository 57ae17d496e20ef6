// Files: existence checks and whole-file reads and writes, recorded into demos.
#include "framework/appbase/Buffer.h"
#include "framework/appbase/VeskAppBase.h"
#include "framework/platform/DiskPath.h"
#include "framework/platform/FileSystem.h"
#include "framework/resources/PakInterface.h"

namespace Vesk
{

bool VeskAppBase::FileExists(const std::string& path)
{
    DemoEvent recorded;
    if (playingDemo)
        return TakeDemoResult(DEMO_FILE_EXISTS, recorded) && recorded.flag;
    // A file that is there but cannot be opened (a folder, no permission) exists too: whoever
    // asks must not take it for a free name and write over it.
    bool exists = false;
    if (PFILE* file = p_fopen(path.c_str(), "rb"))
    {
        p_fclose(file);
        exists = true;
    }
    else
        exists = !Platform::NothingAt(Platform::ToDiskPath(path));
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
        // Reading stops early only on an error (a folder, a failing disk).
        success = p_feof(file) != 0;
        p_fclose(file);
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

bool VeskAppBase::KeepFileBeside(const std::string& path, const std::string& suffix)
{
    // A played-back run writes nothing, so it has nothing to keep either.
    if (playingDemo)
        return true;
    return Platform::KeepBeside(path, suffix);
}

} // namespace Vesk
