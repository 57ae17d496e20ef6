#include "support/TestGameApp.h"

namespace Vesk::TestSupport
{

bool TestGameApp::OpenURL(const std::string& url, bool shutdownAfter)
{
    events.push_back("url " + url);
    return true;
}

void TestGameApp::StartCompanionProgram(const std::string& path)
{
    events.push_back("program " + path);
}

} // namespace Vesk::TestSupport
