// Checks the archive the build packs from the built data tree: every packed file reads back
// through the file layer exactly as it lies beside the game, and every packed XML file reads
// without an error.
#include "framework/platform/FileSystem.h"
#include "framework/platform/MappedFile.h"
#include "framework/resources/PakDirectory.h"
#include "framework/resources/XMLParser.h"
#include "support/ScopedPakInterface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace Vesk
{
namespace
{

TEST(ShippedArchiveTest, PackedFilesMatchTheDataTreeAndXmlReads)
{
    const std::filesystem::path dataFolder = ORLO_BUILT_DATA_DIR;
    const std::filesystem::path archive = dataFolder / "main.pak";
    ASSERT_TRUE(std::filesystem::exists(archive)) << "build the data target first: " << archive;

    Platform::MappedFile file;
    ASSERT_TRUE(file.Open(archive));
    PakDirectory directory;
    ASSERT_TRUE(directory.Read(file.Data(), file.Size())) << directory.GetErrorText();
    EXPECT_EQ(directory.GetSkippedCount(), 0u);
    ASSERT_FALSE(directory.GetEntries().empty());

    TestSupport::ScopedPakInterface pak;
    ASSERT_TRUE(pak->AddPakFile(archive.string()));
    for (const PakDirectoryEntry& entry : directory.GetEntries())
    {
        EXPECT_EQ(entry.name.find('/'), std::string::npos) << entry.name; // stored with backslashes
        std::string relative = entry.name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        std::vector<uint8_t> loose;
        ASSERT_TRUE(Platform::ReadWholeFile(dataFolder / relative, loose)) << relative;
        std::string packed;
        ASSERT_TRUE(TestSupport::ReadThroughPak(entry.name, packed)) << entry.name;
        EXPECT_EQ(packed, std::string(loose.begin(), loose.end())) << entry.name;

        if (relative.size() > 4 && relative.compare(relative.size() - 4, 4, ".xml") == 0)
        {
            XMLParser parser;
            ASSERT_TRUE(parser.OpenFile(entry.name));
            XMLElement element;
            while (parser.NextElement(element))
            {
            }
            EXPECT_FALSE(parser.HasFailed())
                << entry.name << " line " << parser.GetCurrentLineNum() << ": " << parser.GetErrorText();
        }
    }
}

} // namespace
} // namespace Vesk
