#pragma once

#include "framework/appbase/Buffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Vesk
{

// Record codes of a demo's event stream.
enum DemoCode : int
{
    DEMO_MOUSE_POSITION = 0,
    DEMO_ACTIVATE_APP = 1,
    DEMO_SIZE = 2,
    DEMO_KEY_DOWN = 3,
    DEMO_KEY_UP = 4,
    DEMO_KEY_CHAR = 5,
    DEMO_CLOSE = 6,
    DEMO_MOUSE_ENTER = 7,
    DEMO_MOUSE_EXIT = 8,
    DEMO_LOADING_COMPLETE = 9,
    DEMO_REGISTRY_READ = 11,
    DEMO_REGISTRY_WRITE = 12,
    DEMO_FILE_EXISTS = 14,
    DEMO_FILE_READ = 15,
    DEMO_FILE_WRITE = 16,
    DEMO_SYNC = 18,
    DEMO_MOUSE_WHEEL = 21,
    DEMO_VIDEO_DATA = 23,
    DEMO_IDLE = 31,
    // The two short records (kind bit 1).
    DEMO_RELATIVE_MOVE = 100,
    DEMO_MOUSE_BUTTON = 101,
};

// The range of an absolute pointer position in a demo (12 signed bits each way).
constexpr int kDemoPositionMin = -2048;
constexpr int kDemoPositionMax = 2047;

// One record of a demo's event stream, as plain data. Which fields mean something depends on
// the code: x, y (absolute position, or dx, dy of a relative move), button (1, 2, -1, -2, 3)
// and down, key, character (and wide), flag (focus, minimized, success, windowed), type and
// data (registry values, file contents, synchronised data), notches (wheel), refreshRate.
struct DemoEvent
{
    int delta = 0; // updates since the previous record (filled in by the reader)
    int code = DEMO_IDLE;
    int x = 0;
    int y = 0;
    int button = 0;
    bool down = false;
    int key = 0;
    int character = 0;
    bool wide = false;
    bool flag = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    int notches = 0;
    int refreshRate = 0;
};

// A demo file: what a recorded run needs to be played back. Little-endian layout: magic
// 0x42BEEF78, version (2; version 1 has no marker block), the random seed, the product version
// string (16-bit length, at most 255 bytes), the marker block (its length, then a bit buffer of
// the marker count and each marker's name and update count), the total updates, and the event
// stream (a bit buffer of records, see DemoWriter) to the end of the file.
class DemoFile
{
public:
    static constexpr uint32_t kMagic = 0x42BEEF78;
    static constexpr uint32_t kVersion = 2;

    struct Marker
    {
        std::string name;
        int updateCount = 0;
    };

    // Reads a whole file. On failure returns false with the player's message in error
    // ("Invalid demo file.") and leaves this object unchanged.
    [[nodiscard]] bool Parse(const std::vector<uint8_t>& bytes, std::string& error);
    std::vector<uint8_t> Serialise() const;

    uint32_t version = kVersion;
    uint32_t randomSeed = 0;
    std::string versionString;
    std::vector<Marker> markers;
    int totalUpdates = 0;
    Buffer events;
};

} // namespace Vesk
