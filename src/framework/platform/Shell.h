#pragma once

#include <string>

namespace Vesk::Platform
{

// Opens a web address in the desktop's browser; false when the desktop refused it.
[[nodiscard]] bool OpenURL(const std::string& url);

// Starts a program without waiting for it and without arguments. Backslashes in the path are
// taken as folder separators. False when the file is missing, not executable, or could not be
// started.
[[nodiscard]] bool StartProgram(const std::string& path);

} // namespace Vesk::Platform
