#include "framework/platform/MessageBox.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace Vesk
{

using TestSupport::TestApp;
using TestSupport::TestDriver;

namespace
{

struct SwitchLog : VeskAppBase
{
    std::vector<std::pair<std::string, std::string>> seen;
    void HandleCmdLineParam(const std::string& name, const std::string& value) override
    {
        seen.emplace_back(name, value);
    }
};

using Pairs = std::vector<std::pair<std::string, std::string>>;

} // namespace

TEST(CommandLineTest, SwitchesSplitAtSpacesOutsideQuotesAndAtClosingQuotes)
{
    SwitchLog log;
    log.ParseCommandLine("-play -demofile=\"my demo.dmo\" -x=1  -y= \"-z=a b\"-w");
    EXPECT_EQ(log.seen,
              (Pairs{{"-play", ""}, {"-demofile", "my demo.dmo"}, {"-x", "1"}, {"-y", ""}, {"-z", "a b"}, {"-w", ""}}));

    // The process command line: the program name (quoted or not) is skipped.
    SwitchLog quoted;
    quoted.processCommandLine = "\"/opt/my games/orlo\" -record -recnum=3";
    quoted.ParseCommandLine();
    EXPECT_EQ(quoted.seen, (Pairs{{"-record", ""}, {"-recnum", "3"}}));
    SwitchLog plain;
    plain.processCommandLine = "orlo";
    plain.ParseCommandLine();
    EXPECT_TRUE(plain.seen.empty());
    EXPECT_TRUE(plain.commandLineParsed);
}

TEST(CommandLineTest, AnUnknownSwitchIsReportedAndEndsTheProgramWithCodeZero)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    EXPECT_FALSE(driver.Init("-record -bogus=1 -play"));
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].text, "Invalid command line parameter: -bogus");
    EXPECT_EQ(driver.MessageBoxes()[0].caption, "FATAL ERROR");
    EXPECT_EQ(driver.ExitCodes(), std::vector<int>{0});
    EXPECT_TRUE(app.recordingDemo);
    EXPECT_FALSE(app.playingDemo); // nothing after the bad switch is taken
    EXPECT_EQ(app.GetWindow(), nullptr);
}

TEST(CommandLineTest, KnownSwitches)
{
    TestDriver driver;
    auto& app = driver.Create<TestApp>();
    ASSERT_TRUE(driver.Init("-screensaver -crash -changedir=. -demofile=runs/a.dmo"));
    EXPECT_TRUE(app.screenSaverMode);
    EXPECT_FALSE(app.onlyOneInstance);
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(app.GetCursor(), 11);
    EXPECT_EQ(app.GetDemoFilePath(), app.GetAppDataFolder() + "runs/a.dmo");
    EXPECT_TRUE(driver.MessageBoxes().empty());

    // In screen-saver mode messages go to "ScrError.txt" instead of boxes, and any key ends it.
    EXPECT_EQ(app.MsgBox("Something failed", "Error", Platform::MB_OK), Platform::IDOK);
    EXPECT_TRUE(driver.MessageBoxes().empty());
    EXPECT_EQ(driver.Folder().ReadFile("ScrError.txt").rfind("Something failed ", 0), 0u);
    driver.Start();
    driver.MoveTo(1, 1);
    driver.MoveTo(2, 2);
    driver.MoveTo(3, 3);
    driver.Pump();
    EXPECT_FALSE(app.isShutdown);
    driver.MoveTo(4, 4);
    EXPECT_TRUE(app.isShutdown);
}

TEST(CommandLineTest, NumberedDemoFilesKeepTheNewestAndPlayByAge)
{
    TestDriver driver;
    std::filesystem::path folder = driver.Folder().Path() / "share" / "TestApp";
    for (int number : {2, 3, 5, 7})
        driver.Folder().WriteFile("share/TestApp/demo" + std::to_string(number) + ".dmo", "x");
    driver.Folder().WriteFile("share/TestApp/demoX.dmo", "x");

    auto& recorder = driver.Create<TestApp>();
    recorder.onlyOneInstance = false;
    recorder.processCommandLine = "orlo -recnum=4";
    recorder.SetAppDataFolder(folder.string());
    recorder.ParseCommandLine();
    EXPECT_TRUE(recorder.recordingDemo);
    EXPECT_EQ(recorder.GetDemoFilePath(), (folder / "demo8.dmo").string());
    EXPECT_FALSE(std::filesystem::exists(folder / "demo2.dmo")); // the oldest of four went
    EXPECT_TRUE(std::filesystem::exists(folder / "demo3.dmo"));

    // Ending the recording run writes demo8.dmo.
    auto& player = driver.Create<TestApp>();
    EXPECT_TRUE(std::filesystem::exists(folder / "demo8.dmo"));
    player.SetAppDataFolder(folder.string());
    player.ParseCommandLine("-playnum=2");
    EXPECT_TRUE(player.playingDemo);
    EXPECT_EQ(player.GetDemoFilePath(), (folder / "demo7.dmo").string());
    player.ParseCommandLine("-playnum=0");
    EXPECT_EQ(player.GetDemoFilePath(), (folder / "demo8.dmo").string());
}

} // namespace Vesk
