#pragma once

#include <string>

namespace Vesk::TestSupport
{

// Where tests leave what a person may want to look at (the pictures of a failed comparison):
// test-output/ in the build folder, never the source tree or the working folder.
class TestOutput
{
public:
    // The path of name in that folder, which exists once this returns.
    static std::string Path(const std::string& name);
};

} // namespace Vesk::TestSupport
