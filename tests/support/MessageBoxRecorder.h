#pragma once

#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// While it lives, every message box is recorded instead of shown, and answered OK. For tests
// that run the application without a TestDriver (which records boxes itself).
class MessageBoxRecorder
{
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // "<caption>: <text>" of each box shown, in order, and the flags it was shown with.
    std::vector<std::string> shown;
    std::vector<int> flags;
};

} // namespace Vesk::TestSupport
