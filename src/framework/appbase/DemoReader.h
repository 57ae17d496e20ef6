#pragma once

#include "framework/appbase/Buffer.h"
#include "framework/appbase/DemoFile.h"

#include <string>

namespace Vesk
{

// Reads a demo's event stream record by record and keeps the update count at which the next
// record is due (the running sum of the deltas). Filler records are folded into the next
// record's delta. A record that is cut short or has an unknown code ends the stream with an
// error; nothing is ever read past the data.
class DemoReader
{
public:
    DemoReader() = default;
    explicit DemoReader(Buffer stream) { Reset(std::move(stream)); }

    void Reset(Buffer stream);

    // True when a record is waiting; its due update count is GetNextDue and its code PeekCode.
    bool HasNext();
    int GetNextDue();
    int PeekCode();
    // Takes the next record. False at the end of the stream or on a damaged record.
    bool Next(DemoEvent& event);

    bool Failed() const { return failed; }
    const std::string& GetError() const { return error; }

private:
    bool ReadRecord(DemoEvent& event);
    bool Fill();
    size_t BitsLeft() const { return buffer.GetBitLength() - buffer.GetReadBitPos(); }

    Buffer buffer;
    int dueSum = 0;
    bool hasPending = false;
    DemoEvent pending;
    int pendingDue = 0;
    bool failed = false;
    std::string error;
};

} // namespace Vesk
