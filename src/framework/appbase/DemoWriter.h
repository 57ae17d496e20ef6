#pragma once

#include "framework/appbase/Buffer.h"
#include "framework/appbase/DemoFile.h"

namespace Vesk
{

// Appends records to a demo's event stream. Each record starts with a 4-bit delta (updates
// since the previous record) and a kind bit; a longer pause is written as filler records of
// delta 15 (code 31) followed by the remaining delta. Short records (kind 1) are relative mouse
// moves (6-bit signed dx, dy) and mouse buttons (down bit, 3-bit signed code); the others (kind
// 0) carry a 5-bit code and its payload.
class DemoWriter
{
public:
    // Writes one record at the given update count (not before the previous record's).
    void Write(const DemoEvent& event, int updateCount);
    void Clear();

    const Buffer& GetBuffer() const { return buffer; }
    int GetLastUpdate() const { return lastUpdate; }

private:
    void WriteHeader(int updateCount, int kind);

    Buffer buffer;
    int lastUpdate = 0;
};

} // namespace Vesk
