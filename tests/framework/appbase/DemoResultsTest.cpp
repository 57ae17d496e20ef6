#include "framework/appbase/Buffer.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

struct LoggingApp : TestSupport::TestApp
{
    void Log(const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

} // namespace

TEST(DemoResultsTest, APlaybackOutOfStepIsLoggedOnceAndTakesNoLiveResult)
{
    TestSupport::TestDriver driver;
    driver.Folder().WriteFile("notes.txt", "recorded");
    {
        auto& app = driver.Create<LoggingApp>();
        ASSERT_TRUE(driver.Launch("-record -demofile=results.dmo"));
        EXPECT_TRUE(app.FileExists("notes.txt"));
        EXPECT_TRUE(app.RegistryWriteInteger("Counter", 1));
        driver.Close();
        ASSERT_TRUE(driver.RunUntilShutdown());
        EXPECT_TRUE(app.lines.empty());
        driver.Destroy();
    }

    auto& app = driver.Create<LoggingApp>();
    ASSERT_TRUE(driver.Launch("-play -demofile=results.dmo"));
    // The recording tested for a file first; this run reads a setting and a file before that.
    // Both exist (the recording wrote the setting), and neither is taken.
    int counter = 0;
    EXPECT_FALSE(app.RegistryReadInteger("Counter", counter));
    EXPECT_EQ(counter, 0);
    Buffer notes;
    EXPECT_FALSE(app.ReadBufferFromFile("notes.txt", notes));
    ASSERT_EQ(app.lines.size(), 1u);
    EXPECT_NE(app.lines[0].find("a settings read was asked for where the recording has a file existence test"),
              std::string::npos)
        << app.lines[0];

    // The waiting records still answer requests of their own kind.
    std::filesystem::remove(driver.Folder() / "notes.txt");
    EXPECT_TRUE(app.FileExists("notes.txt"));
    EXPECT_TRUE(app.RegistryWriteInteger("Counter", 2));
    ASSERT_TRUE(driver.RunUntilShutdown());
    EXPECT_EQ(app.lines.size(), 1u);
}

} // namespace Vesk
