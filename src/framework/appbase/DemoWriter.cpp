#include "framework/appbase/DemoWriter.h"

#include <algorithm>

namespace Vesk
{

void DemoWriter::Clear()
{
    buffer.Clear();
    lastUpdate = 0;
}

void DemoWriter::WriteHeader(int updateCount, int kind)
{
    int delta = std::max(updateCount - lastUpdate, 0);
    while (delta > 15)
    {
        buffer.WriteNumBits(15, 4);
        buffer.WriteNumBits(0, 1);
        buffer.WriteNumBits(DEMO_IDLE, 5);
        delta -= 15;
    }
    buffer.WriteNumBits(static_cast<uint32_t>(delta), 4);
    buffer.WriteNumBits(static_cast<uint32_t>(kind), 1);
    lastUpdate = std::max(updateCount, lastUpdate);
}

void DemoWriter::Write(const DemoEvent& event, int updateCount)
{
    if (event.code == DEMO_RELATIVE_MOVE)
    {
        WriteHeader(updateCount, 1);
        buffer.WriteNumBits(0, 1);
        buffer.WriteNumBits(static_cast<uint32_t>(event.x), 6);
        buffer.WriteNumBits(static_cast<uint32_t>(event.y), 6);
        return;
    }
    if (event.code == DEMO_MOUSE_BUTTON)
    {
        WriteHeader(updateCount, 1);
        buffer.WriteNumBits(1, 1);
        buffer.WriteNumBits(event.down ? 1 : 0, 1);
        buffer.WriteNumBits(static_cast<uint32_t>(event.button), 3);
        return;
    }

    WriteHeader(updateCount, 0);
    buffer.WriteNumBits(static_cast<uint32_t>(event.code), 5);
    auto writeData = [&]()
    {
        buffer.WriteLong(static_cast<uint32_t>(event.data.size()));
        buffer.WriteBytes(event.data.data(), event.data.size());
    };
    switch (event.code)
    {
    case DEMO_MOUSE_POSITION:
        buffer.WriteNumBits(static_cast<uint32_t>(event.x), 12);
        buffer.WriteNumBits(static_cast<uint32_t>(event.y), 12);
        break;
    case DEMO_ACTIVATE_APP:
        buffer.WriteNumBits(event.flag ? 1 : 0, 1);
        break;
    case DEMO_SIZE:
        buffer.WriteBoolean(event.flag);
        break;
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP:
        buffer.WriteByte(static_cast<uint8_t>(event.key));
        break;
    case DEMO_KEY_CHAR:
        buffer.WriteNumBits(event.wide ? 1 : 0, 1);
        buffer.WriteNumBits(static_cast<uint32_t>(event.character), event.wide ? 16 : 8);
        break;
    case DEMO_REGISTRY_READ:
    case DEMO_FILE_READ:
        buffer.WriteNumBits(event.flag ? 1 : 0, 1);
        if (event.flag)
        {
            if (event.code == DEMO_REGISTRY_READ)
                buffer.WriteLong(event.type);
            writeData();
        }
        break;
    case DEMO_REGISTRY_WRITE:
    case DEMO_FILE_EXISTS:
    case DEMO_FILE_WRITE:
        buffer.WriteNumBits(event.flag ? 1 : 0, 1);
        break;
    case DEMO_SYNC:
        writeData();
        break;
    case DEMO_MOUSE_WHEEL:
        buffer.WriteNumBits(static_cast<uint32_t>(std::clamp(event.notches, -128, 127)), 8);
        break;
    case DEMO_VIDEO_DATA:
        buffer.WriteBoolean(event.flag);
        buffer.WriteByte(static_cast<uint8_t>(event.refreshRate));
        break;
    default:
        break;
    }
}

} // namespace Vesk
