#include "framework/appbase/VeskAppBase.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace Vesk
{

TEST(RegistryTest, ValuesRoundTripWithTheirTypesAndLimits)
{
    TestSupport::TempFolder temp;
    VeskAppBase app;
    app.registryKey = "Test Studio\\Test Game";

    EXPECT_TRUE(app.RegistryWriteString("PlayerName", "Mira"));
    EXPECT_TRUE(app.RegistryWriteInteger("Count", -7));
    EXPECT_TRUE(app.RegistryWriteBoolean("Flag", true));

    std::string text;
    int number = 0;
    bool flag = false;
    EXPECT_TRUE(app.RegistryReadString("PlayerName", text));
    EXPECT_EQ(text, "Mira");
    EXPECT_TRUE(app.RegistryReadInteger("Count", number));
    EXPECT_EQ(number, -7);
    EXPECT_TRUE(app.RegistryReadBoolean("Flag", flag));
    EXPECT_TRUE(flag);

    // Wrong types are refused.
    EXPECT_FALSE(app.RegistryReadInteger("PlayerName", number));
    EXPECT_FALSE(app.RegistryReadString("Count", text));

    // A string is at most 1023 characters.
    EXPECT_TRUE(app.RegistryWriteString("Long", std::string(1023, 'x')));
    EXPECT_TRUE(app.RegistryReadString("Long", text));
    EXPECT_TRUE(app.RegistryWriteString("TooLong", std::string(1024, 'x')));
    EXPECT_FALSE(app.RegistryReadString("TooLong", text));

    // An integer is exactly 4 bytes.
    uint8_t two[2] = {1, 2};
    EXPECT_TRUE(app.RegistryWrite("Short", 3, two, 2));
    EXPECT_FALSE(app.RegistryReadInteger("Short", number));

    EXPECT_TRUE(app.RegistryEraseValue("Count"));
    EXPECT_FALSE(app.RegistryReadInteger("Count", number));
}

TEST(RegistryTest, NothingIsReadOrWrittenWithAnEmptyKey)
{
    TestSupport::TempFolder temp;
    VeskAppBase app;
    EXPECT_FALSE(app.RegistryWriteInteger("MusicVolume", 50));
    int number = 0;
    EXPECT_FALSE(app.RegistryReadInteger("MusicVolume", number));
    EXPECT_FALSE(temp.Exists("config"));
}

TEST(RegistryTest, VolumesAreStoredInHundredthsAndInProgressMarksAnUncleanEnd)
{
    TestSupport::TempFolder temp;
    {
        VeskAppBase app;
        app.registryKey = "Test Studio\\Test Game";
        app.ReadFromRegistry();
        EXPECT_TRUE(app.lastRunEndedCleanly);
        app.musicVolume = 0.855;
        app.WriteToRegistry();
    }
    {
        VeskAppBase app;
        app.registryKey = "Test Studio\\Test Game";
        app.ReadFromRegistry();
        EXPECT_DOUBLE_EQ(app.musicVolume, 0.85);
        EXPECT_TRUE(app.lastRunEndedCleanly);
        // A clean end (the destructor) marks the run as finished.
    }
    // This run crashes: the process ends right after reading the settings.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        VeskAppBase crashing;
        crashing.registryKey = "Test Studio\\Test Game";
        crashing.ReadFromRegistry();
        ::_exit(crashing.lastRunEndedCleanly ? 3 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);

    VeskAppBase app;
    app.registryKey = "Test Studio\\Test Game";
    app.ReadFromRegistry();
    EXPECT_FALSE(app.lastRunEndedCleanly);
}

} // namespace Vesk
