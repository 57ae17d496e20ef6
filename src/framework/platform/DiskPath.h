#pragma once

#include <string>

namespace Vesk::Platform
{

// Turns a file name as the game writes it ("Images\Cover.PNG", compared without case on the
// systems the data was made for) into a path for this file system: backslashes become '/',
// and when the path does not exist exactly as written, each component is looked up without
// case in its folder. Components that match nothing are kept as written, so the result can
// also name a file that is about to be created. Letter case is folded for ASCII letters only.
std::string ToDiskPath(const std::string& name);

// Compares two names ignoring the case of ASCII letters.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

} // namespace Vesk::Platform
