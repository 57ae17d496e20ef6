#include "support/MessageBoxRecorder.h"

#include "framework/platform/MessageBox.h"

namespace Vesk::TestSupport
{

MessageBoxRecorder::MessageBoxRecorder()
{
    Platform::SetMessageBoxHandler(
        [this](const std::string& text, const std::string& caption, int boxFlags)
        {
            shown.push_back(caption + ": " + text);
            flags.push_back(boxFlags);
            return Platform::IDOK;
        });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    Platform::SetMessageBoxHandler({});
}

} // namespace Vesk::TestSupport
