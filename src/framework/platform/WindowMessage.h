#pragma once

#include <cstdint>

namespace Vesk::Platform
{

// One message for the application's window procedure, as the platform layer produces it from
// its events. The numbers are the window-message numbers the framework has always used, so a
// record means the same here, in the deferred queue and in a demo file.
struct WindowMessage
{
    int window = 0; // 0 the main window, 1 the invisible window
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// Message numbers.
enum WindowMessageId : uint32_t
{
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_ENABLE = 0x000A,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUERYOPEN = 0x0013,
    WM_ERASEBKGND = 0x0014,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_ENDSESSION = 0x0016,
    WM_ACTIVATEAPP = 0x001C,
    WM_SETCURSOR = 0x0020,
    WM_DISPLAYCHANGE = 0x007E,
    WM_NCLBUTTONDOWN = 0x00A1,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_SYSCHAR = 0x0106,
    WM_SYSCOMMAND = 0x0112,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    // The application's own notification that another copy was started.
    WM_APP_NOTIFY = 0x8001,
};

// WM_SIZE kinds.
enum SizeKind : uint64_t
{
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
    SIZE_MAXIMIZED = 2,
};

// WM_SYSCOMMAND commands.
enum SystemCommand : uint64_t
{
    SC_SCREENSAVE = 0xF140,
    SC_MONITORPOWER = 0xF170,
    SC_CLOSE = 0xF060,
    SC_NEXTWINDOW = 0xF040,
    SC_PREVWINDOW = 0xF050,
    SC_TASKLIST = 0xF130,
};

// Button-state bits of mouse messages (wParam).
enum MouseKeyBits : uint64_t
{
    MK_LBUTTON = 0x01,
    MK_RBUTTON = 0x02,
    MK_SHIFT = 0x04,
    MK_CONTROL = 0x08,
    MK_MBUTTON = 0x10,
};

// The framework's key codes: the classic virtual-key numbers.
enum KeyCode : int
{
    KEYCODE_UNKNOWN = 0,
    KEYCODE_BACK = 8,
    KEYCODE_TAB = 9,
    KEYCODE_RETURN = 13,
    KEYCODE_SHIFT = 16,
    KEYCODE_CONTROL = 17,
    KEYCODE_MENU = 18, // Alt
    KEYCODE_PAUSE = 19,
    KEYCODE_CAPITAL = 20,
    KEYCODE_ESCAPE = 27,
    KEYCODE_SPACE = 32,
    KEYCODE_PRIOR = 33,
    KEYCODE_NEXT = 34,
    KEYCODE_END = 35,
    KEYCODE_HOME = 36,
    KEYCODE_LEFT = 37,
    KEYCODE_UP = 38,
    KEYCODE_RIGHT = 39,
    KEYCODE_DOWN = 40,
    KEYCODE_SNAPSHOT = 44,
    KEYCODE_INSERT = 45,
    KEYCODE_DELETE = 46,
    KEYCODE_LWIN = 91,
    KEYCODE_RWIN = 92,
    KEYCODE_APPS = 93,
    KEYCODE_NUMPAD0 = 96,
    KEYCODE_MULTIPLY = 106,
    KEYCODE_ADD = 107,
    KEYCODE_SUBTRACT = 109,
    KEYCODE_DECIMAL = 110,
    KEYCODE_DIVIDE = 111,
    KEYCODE_F1 = 112,
    KEYCODE_F2 = 113,
    KEYCODE_F3 = 114,
    KEYCODE_F4 = 115,
    KEYCODE_F8 = 119,
    KEYCODE_F10 = 121,
    KEYCODE_F11 = 122,
    KEYCODE_F12 = 123,
    KEYCODE_NUMLOCK = 144,
    KEYCODE_SCROLL = 145,
    KEYCODE_OEM_1 = 186,      // ;:
    KEYCODE_OEM_PLUS = 187,   // =+
    KEYCODE_OEM_COMMA = 188,  // ,<
    KEYCODE_OEM_MINUS = 189,  // -_
    KEYCODE_OEM_PERIOD = 190, // .>
    KEYCODE_OEM_2 = 191,      // /?
    KEYCODE_OEM_3 = 192,      // `~
    KEYCODE_OEM_4 = 219,      // [{
    KEYCODE_OEM_5 = 220,      // backslash |
    KEYCODE_OEM_6 = 221,      // ]}
    KEYCODE_OEM_7 = 222,      // '"
};

// Packs a position into a message's lParam (low word x, high word y, both signed 16-bit).
constexpr int64_t MakePointParam(int x, int y)
{
    return static_cast<int64_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}
constexpr int PointParamX(int64_t lParam)
{
    return static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF));
}
constexpr int PointParamY(int64_t lParam)
{
    return static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF));
}

} // namespace Vesk::Platform
