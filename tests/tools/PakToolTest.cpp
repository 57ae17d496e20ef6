#include "pak/PakTool.h"

#include "framework/resources/PakWriter.h"
#include "support/ScopedPakInterface.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::ReadThroughPak;
using TestSupport::ScopedPakInterface;
using TestSupport::TempFolder;

struct Result
{
    int code = 0;
    std::string out;
    std::string err;
};

Result RunPak(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    PakTool tool(out, err);
    Result result;
    result.code = tool.Run(arguments);
    result.out = out.str();
    result.err = err.str();
    return result;
}

void WriteTree(const TempFolder& folder)
{
    folder.WriteFile("data/properties/config.xml", "<Common>\r\n</Common>\r\n");
    folder.WriteFile("data/images/cover.png", std::vector<unsigned char>{0x89, 'P', 'N', 'G', 0, 0xFF, '\r', '\n'});
    folder.WriteFile("data/images/empty.jpg", "");
    folder.WriteFile("data/play.url", "http://example.org\r\n");
    folder.WriteFile("data/scenes/intro.scr", "text\n");
}

TEST(PakToolTest, PackListAndExtractRoundTrip)
{
    TempFolder folder;
    WriteTree(folder);

    Result packed = RunPak({"pack", "data", "main.pak"});
    ASSERT_EQ(packed.code, 0) << packed.err;

    Result listed = RunPak({"list", "main.pak"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out, "         8  images\\cover.png\n"
                          "         0  images\\empty.jpg\n"
                          "        20  play.url\n"
                          "        21  properties\\config.xml\n"
                          "         5  scenes\\intro.scr\n");

    Result extracted = RunPak({"extract", "main.pak", "out"});
    ASSERT_EQ(extracted.code, 0) << extracted.err;
    for (const char* name :
         {"properties/config.xml", "images/cover.png", "images/empty.jpg", "play.url", "scenes/intro.scr"})
    {
        ASSERT_TRUE(folder.Exists(std::string("out/") + name)) << name;
        EXPECT_EQ(folder.ReadFile(std::string("out/") + name), folder.ReadFile(std::string("data/") + name)) << name;
    }

    // The game reads the packed files through its file layer.
    ScopedPakInterface pak;
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    std::filesystem::remove_all(folder / "data");
    std::string content;
    ASSERT_TRUE(ReadThroughPak("Properties\\Config.xml", content));
    EXPECT_EQ(content, "<Common>\r\n</Common>\r\n");
    ASSERT_TRUE(ReadThroughPak("images/cover.png", content));
    EXPECT_EQ(content, std::string("\x89PNG\0\xFF\r\n", 8));
}

TEST(PakToolTest, PacksAreReproducibleAndLeaveOutExcludedFiles)
{
    TempFolder folder;
    WriteTree(folder);
    folder.WriteFile("data/orlo", "program");
    folder.WriteFile("data/log.txt", "log");
    folder.WriteFile("data/demo/run.DMO", "demo");
    folder.WriteFile("data/_dump/imagelist.html", "dump");
    folder.WriteFile("data/main.pak", "an older archive");

    std::vector<std::string> excludes = {"--exclude", "orlo",  "--exclude", "log.txt",
                                         "--exclude", "*.dmo", "--exclude", "_dump"};
    std::vector<std::string> first = {"pack", "data", "data/main.pak"};
    first.insert(first.end(), excludes.begin(), excludes.end());
    ASSERT_EQ(RunPak(first).code, 0);
    std::string firstArchive = folder.ReadFile("data/main.pak");

    // Newer file times and another run give the same bytes.
    std::filesystem::last_write_time(folder / "data/play.url", std::filesystem::file_time_type::clock::now());
    std::vector<std::string> second = {"pack", "data", "second.pak"};
    second.insert(second.end(), excludes.begin(), excludes.end());
    second.push_back("--exclude");
    second.push_back("main.pak");
    ASSERT_EQ(RunPak(second).code, 0);
    EXPECT_EQ(folder.ReadFile("second.pak"), firstArchive);

    Result listed = RunPak({"list", "second.pak"});
    for (const char* excluded : {"orlo", "log.txt", "run.DMO", "imagelist.html", "main.pak"})
        EXPECT_EQ(listed.out.find(excluded), std::string::npos) << excluded;
    EXPECT_NE(listed.out.find("scenes\\intro.scr"), std::string::npos);

    EXPECT_TRUE(PakTool::IsExcluded("a/b/orlo", {"orlo"}));
    EXPECT_TRUE(PakTool::IsExcluded("Images/Cover.PNG", {"images/*.png"}));
    EXPECT_FALSE(PakTool::IsExcluded("images/cover.png", {"sounds/*"}));
}

TEST(PakToolTest, PackRefusesNamesTheGameCouldNotTellApart)
{
    TempFolder folder;
    folder.WriteFile("data/Cover.png", "one");
    folder.WriteFile("data/cover.PNG", "two");
    Result result = RunPak({"pack", "data", "main.pak"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("differ only in letter case"), std::string::npos);
    EXPECT_FALSE(folder.Exists("main.pak"));

    TempFolder other;
    other.WriteFile("data/" + std::string(250, 'n') + "/x.txt", "long");
    result = RunPak({"pack", "data", "main.pak"});
    EXPECT_EQ(result.code, 1);
    EXPECT_FALSE(other.Exists("main.pak"));

    EXPECT_EQ(RunPak({"pack", "nowhere", "main.pak"}).code, 1);
}

TEST(PakToolTest, ExtractStaysInsideItsFolder)
{
    TempFolder folder;
    PakWriter writer;
    for (const char* name : {"..\\escape.txt", "\\absolute.txt", "a\\..\\..\\up.txt", "c:\\drive.txt", "ok\\fine.txt"})
        ASSERT_TRUE(writer.AddFile(name, {'x'}, 0));
    ASSERT_TRUE(writer.Write(folder / "evil.pak"));

    Result result = RunPak({"extract", "evil.pak", "out/inner"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(folder.ReadFile("out/inner/ok/fine.txt"), "x");
    EXPECT_FALSE(folder.Exists("out/escape.txt"));
    EXPECT_FALSE(folder.Exists("escape.txt"));
    EXPECT_FALSE(folder.Exists("up.txt"));
    EXPECT_FALSE(std::filesystem::exists("/absolute.txt"));
    EXPECT_NE(result.err.find("refusing to extract ..\\escape.txt"), std::string::npos);
}

TEST(PakToolTest, DamagedArchivesAndBadUsageFail)
{
    TempFolder folder;
    folder.WriteFile("foreign.pak", "not an archive at all");
    Result result = RunPak({"list", "foreign.pak"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("not an archive"), std::string::npos);
    EXPECT_EQ(RunPak({"extract", "foreign.pak", "out"}).code, 1);
    EXPECT_FALSE(folder.Exists("out"));
    EXPECT_EQ(RunPak({"list", "missing.pak"}).code, 1);

    PakWriter writer;
    ASSERT_TRUE(writer.AddFile("a.txt", {'a', 'b', 'c'}, 0));
    std::vector<uint8_t> bytes = writer.Build();
    bytes.pop_back();
    folder.WriteFile("cut.pak", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    result = RunPak({"list", "cut.pak"});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("1 listed files lie beyond the end"), std::string::npos);

    EXPECT_EQ(RunPak({}).code, 2);
    EXPECT_EQ(RunPak({"pack", "data"}).code, 2);
    EXPECT_EQ(RunPak({"pack", "data", "x.pak", "--exclude"}).code, 2);
    EXPECT_EQ(RunPak({"unpack", "x.pak"}).code, 2);
}

} // namespace
} // namespace Vesk
