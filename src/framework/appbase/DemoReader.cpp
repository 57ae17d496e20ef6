#include "framework/appbase/DemoReader.h"

#include <limits>

namespace Vesk
{

void DemoReader::Reset(Buffer stream)
{
    buffer = std::move(stream);
    buffer.SeekFront();
    dueSum = 0;
    hasPending = false;
    failed = false;
    error.clear();
}

bool DemoReader::ReadRecord(DemoEvent& event)
{
    // The last byte's unused bits are padding; a record never fits in fewer than eight bits.
    if (BitsLeft() < 8)
        return false;
    auto need = [&](size_t bits)
    {
        if (BitsLeft() >= bits)
            return true;
        failed = true;
        error = "The demo's event stream is cut short.";
        return false;
    };

    event = DemoEvent();
    event.delta = static_cast<int>(buffer.ReadNumBits(4));
    int kind = static_cast<int>(buffer.ReadNumBits(1));
    if (kind == 1)
    {
        if (!need(1))
            return false;
        if (buffer.ReadNumBits(1) == 0)
        {
            if (!need(12))
                return false;
            event.code = DEMO_RELATIVE_MOVE;
            event.x = static_cast<int>(buffer.ReadNumBits(6, true));
            event.y = static_cast<int>(buffer.ReadNumBits(6, true));
        }
        else
        {
            if (!need(4))
                return false;
            event.code = DEMO_MOUSE_BUTTON;
            event.down = buffer.ReadNumBits(1) != 0;
            event.button = static_cast<int>(buffer.ReadNumBits(3, true));
        }
        return true;
    }

    if (!need(5))
        return false;
    event.code = static_cast<int>(buffer.ReadNumBits(5));
    auto readData = [&]()
    {
        if (!need(32))
            return false;
        uint32_t length = buffer.ReadLong();
        if (length > BitsLeft() / 8)
        {
            failed = true;
            error = "The demo's event stream is cut short.";
            return false;
        }
        event.data.resize(length);
        buffer.ReadBytes(event.data.data(), length);
        return true;
    };
    switch (event.code)
    {
    case DEMO_MOUSE_POSITION:
        if (!need(24))
            return false;
        event.x = static_cast<int>(buffer.ReadNumBits(12, true));
        event.y = static_cast<int>(buffer.ReadNumBits(12, true));
        return true;
    case DEMO_ACTIVATE_APP:
        if (!need(1))
            return false;
        event.flag = buffer.ReadNumBits(1) != 0;
        return true;
    case DEMO_SIZE:
        if (!need(8))
            return false;
        event.flag = buffer.ReadBoolean();
        return true;
    case DEMO_KEY_DOWN:
    case DEMO_KEY_UP:
        if (!need(8))
            return false;
        event.key = buffer.ReadByte();
        return true;
    case DEMO_KEY_CHAR:
        if (!need(1))
            return false;
        event.wide = buffer.ReadNumBits(1) != 0;
        if (!need(event.wide ? 16 : 8))
            return false;
        event.character = static_cast<int>(buffer.ReadNumBits(event.wide ? 16 : 8));
        return true;
    case DEMO_CLOSE:
    case DEMO_MOUSE_ENTER:
    case DEMO_MOUSE_EXIT:
    case DEMO_LOADING_COMPLETE:
    case DEMO_IDLE:
        return true;
    case DEMO_REGISTRY_READ:
    case DEMO_FILE_READ:
        if (!need(1))
            return false;
        event.flag = buffer.ReadNumBits(1) != 0;
        if (!event.flag)
            return true;
        if (event.code == DEMO_REGISTRY_READ)
        {
            if (!need(32))
                return false;
            event.type = buffer.ReadLong();
        }
        return readData();
    case DEMO_REGISTRY_WRITE:
    case DEMO_FILE_EXISTS:
    case DEMO_FILE_WRITE:
        if (!need(1))
            return false;
        event.flag = buffer.ReadNumBits(1) != 0;
        return true;
    case DEMO_SYNC:
        return readData();
    case DEMO_MOUSE_WHEEL:
        if (!need(8))
            return false;
        event.notches = static_cast<int>(buffer.ReadNumBits(8, true));
        return true;
    case DEMO_VIDEO_DATA:
        if (!need(16))
            return false;
        event.flag = buffer.ReadBoolean();
        event.refreshRate = buffer.ReadByte();
        return true;
    default:
        failed = true;
        error = "The demo's event stream holds an unknown record.";
        return false;
    }
}

bool DemoReader::Fill()
{
    if (hasPending)
        return true;
    if (failed)
        return false;
    int delta = 0;
    DemoEvent event;
    while (ReadRecord(event))
    {
        if (delta > std::numeric_limits<int>::max() - 16 - dueSum)
        {
            failed = true;
            error = "The demo's event stream is too long.";
            return false;
        }
        delta += event.delta;
        if (event.code == DEMO_IDLE)
            continue;
        event.delta = delta;
        pending = std::move(event);
        pendingDue = dueSum + delta;
        hasPending = true;
        return true;
    }
    return false;
}

bool DemoReader::HasNext()
{
    return Fill();
}

int DemoReader::GetNextDue()
{
    return Fill() ? pendingDue : std::numeric_limits<int>::max();
}

int DemoReader::PeekCode()
{
    return Fill() ? pending.code : -1;
}

bool DemoReader::Next(DemoEvent& event)
{
    if (!Fill())
        return false;
    event = std::move(pending);
    dueSum = pendingDue;
    hasPending = false;
    return true;
}

} // namespace Vesk
