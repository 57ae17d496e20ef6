// The scene script checker: every kind of finding with its file and line, and the command line
// failing on an error.
#include "scenelint/SceneLint.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::TempFolder;

TEST(SceneLint, ReportsWhatWouldGoWrongWithFileAndLine)
{
    SceneLint lint([](const std::string& name) { return name != "images/scenes/missing"; });
    const std::string opening = "[char ann images/scenes/ann 100 200 10]\n";
    const std::string script = "[in ann][in bob]\n"   // 1: unknown character
                               "[pause 2x][typing]\n" // 2: two parameter messages
                               "[img images/scenes/missing 1 2][temp images/scenes/other]\n" // 3
                               "[btn images/scenes/ok 1 2 skip][ask]\n"                      // 4: no button to answer
                               "[goto nowhere][if yes]\n"                                    // 5: no label, no endif
                               "[label][note a comment][wait [label]\n"                      // 6: enclosure
                               "[endif][endif][goto label]\n"                                // 7: endif without if
                               "[frobnicate]\n";                                             // 8: unknown, a warning
    std::vector<SceneLint::Finding> findings =
        lint.Check({{"scenes/page_1_open.scr", opening}, {"scenes/tutorial_1.scr", script}});
    std::vector<std::string> lines;
    for (const SceneLint::Finding& finding : findings)
    {
        EXPECT_EQ(finding.where.file, "scenes/tutorial_1.scr");
        lines.push_back(std::to_string(finding.where.line) + (finding.error ? " " : " warning ") + finding.text);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "1 Script called for a unidentified character, with 'in' command.",
                         "2 Parameter should be integer.",
                         "2 Some command was not supplied with the necessary parameter.",
                         "3 Image images/scenes/missing not found.",
                         "3 Error in [temp] command. No 'images/scenes/other' loaded",
                         "4 An [ask] has no button to answer it.",
                         "5 A 'goto' does not have a corresponding label 'nowhere'.",
                         "6 Command enclosure is not allowed",
                         "7 An 'endif' has no 'if' before it.",
                         "8 warning Unknown command '[frobnicate]' is passed over.",
                     }));
}

TEST(SceneLint, CommandLineFailsOnAnErrorAndChecksATutorialAfterItsOpening)
{
    TempFolder folder;
    folder.WriteFile("scenes/page_2_open.scr", "[char ann images/a 0 0 1]\n");
    folder.WriteFile("scenes/tutorial_2.scr", "[choose ann][in ann]Hello[wait]\n");
    folder.WriteFile("scenes/bad.scr", "Hello\n[if yes]\n");
    std::ostringstream out;
    std::ostringstream err;
    const std::string scenes = (folder.Path() / "scenes").string();
    EXPECT_EQ(SceneLint::Run({scenes + "/page_2_open.scr", scenes + "/tutorial_2.scr"}, out, err), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(SceneLint::Run({scenes + "/bad.scr"}, out, err), 1);
    EXPECT_EQ(out.str(), scenes + "/bad.scr:2: error: An 'if' does not have a coresponding 'endif'.\n");
}

} // namespace
} // namespace Vesk
