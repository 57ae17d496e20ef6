// A loading thread that hangs must fail the test in seconds, not hold the whole test run until
// its time limit.
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace Vesk
{
namespace
{

TEST(HungLoadingTest, TheDriverGivesUpOnTheLoadingThreadAndEndsTheTestProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TestSupport::TestDriver driver;
            driver.loadingLimitMilliseconds = 200;
            driver.Create<TestSupport::TestApp>().loadingMilliseconds = 60000;
            if (driver.Init())
                driver.Start();
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "the loading thread has not finished after 200 ms");
}

} // namespace
} // namespace Vesk
