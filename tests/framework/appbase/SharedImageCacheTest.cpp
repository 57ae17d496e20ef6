// The application's shared image map: pictures loaded once per (file name, variant), counted
// by their references, and swept by the fixed update once nobody uses them.
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/SharedImage.h"
#include "support/PngFile.h"
#include "support/TestApp.h"
#include "support/TestDriver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

namespace Vesk
{
namespace
{

using TestSupport::PngFile;
using TestSupport::TestApp;
using TestSupport::TestDriver;

class SharedImageCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app = &driver.Create<TestApp>();
        ASSERT_TRUE(driver.Init());
        std::filesystem::create_directories(driver.Folder() / "images");
        WritePicture("images/a.png", 3, 2, 0xFF102030u);
        WritePicture("images/b.png", 5, 4, 0x80FFFFFFu);
    }

    void WritePicture(const std::string& path, int width, int height, uint32_t pixel)
    {
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, pixel);
        ASSERT_TRUE(PngFile::Write((driver.Folder() / path).string(), pixels.data(), width, height));
    }

    SharedImageRef Get(const std::string& name, const std::string& variant, bool& created)
    {
        return app->GetSharedImage(name, variant, created);
    }

    TestDriver driver;
    TestApp* app = nullptr;
};

TEST_F(SharedImageCacheTest, OneEntryPerNameAndVariantWhateverTheCase)
{
    bool created = false;
    SharedImageRef first = Get("images/a", "", created);
    EXPECT_TRUE(created);
    ASSERT_NE(first.GetImage(), nullptr);
    EXPECT_EQ(first->GetWidth(), 3);
    EXPECT_EQ(first->GetHeight(), 2);
    EXPECT_EQ(first->filePath, "images/a");
    EXPECT_EQ(first->GetBits()[0], 0xFF102030u);
    EXPECT_TRUE(app->GetImageSet().Contains(first.GetImage()));

    SharedImageRef again = Get("IMAGES/A", "", created);
    EXPECT_FALSE(created);
    EXPECT_EQ(again.GetImage(), first.GetImage());
    EXPECT_EQ(first.GetSharedImage()->refCount, 2);

    // A variant is a picture of its own, loaded again from the same file.
    SharedImageRef variant = Get("images/a", "dim", created);
    EXPECT_TRUE(created);
    ASSERT_NE(variant.GetImage(), nullptr);
    EXPECT_NE(variant.GetImage(), first.GetImage());
    SharedImageRef variantAgain = Get("Images/A", "DIM", created);
    EXPECT_FALSE(created);
    EXPECT_EQ(variantAgain.GetImage(), variant.GetImage());
    EXPECT_EQ(app->GetSharedImageCount(), 2u);
}

TEST_F(SharedImageCacheTest, BangNamesGiveEmptyDisplayImagesAndMissingFilesNone)
{
    bool created = false;
    SharedImageRef scratch = Get("!scratch", "", created);
    EXPECT_TRUE(created);
    ASSERT_NE(scratch.GetImage(), nullptr);
    EXPECT_NE(dynamic_cast<DDImage*>(scratch.GetImage()), nullptr);
    EXPECT_EQ(scratch->GetWidth(), 0);
    EXPECT_EQ(scratch->GetBits(), nullptr);
    SharedImageRef same = Get("!SCRATCH", "", created);
    EXPECT_FALSE(created);
    EXPECT_EQ(same.GetImage(), scratch.GetImage());

    // A file that does not load gives no image and leaves no entry behind, so the next request
    // tries the file again.
    SharedImageRef missing = Get("images/missing", "", created);
    EXPECT_TRUE(created);
    EXPECT_EQ(missing.GetImage(), nullptr);
    EXPECT_EQ(missing.GetSharedImage(), nullptr);
    EXPECT_EQ(app->GetSharedImageCount(), 1u);
    WritePicture("images/missing.png", 2, 2, 0xFFFFFFFFu);
    SharedImageRef found = Get("images/missing", "", created);
    EXPECT_TRUE(created);
    ASSERT_NE(found.GetImage(), nullptr);
    EXPECT_EQ(found->GetWidth(), 2);
}

TEST_F(SharedImageCacheTest, TheNextUpdateSweepsOnlyEntriesNobodyHolds)
{
    bool created = false;
    SharedImageRef a = Get("images/a", "", created);
    SharedImageRef b = Get("images/b", "", created);
    SharedImageRef c = Get("images/a", "c", created);
    MemoryImage* imageA = a.GetImage();
    MemoryImage* imageB = b.GetImage();
    ImageSet& images = app->GetImageSet();
    ASSERT_EQ(app->GetSharedImageCount(), 3u);

    // Dropped but not yet swept: the entry and its picture are still there, and asking again
    // before the update revives the same picture.
    a.Release();
    EXPECT_EQ(app->GetSharedImageCount(), 3u);
    EXPECT_TRUE(images.Contains(imageA));
    c.Release();
    SharedImageRef revived = Get("IMAGES/A", "C", created);
    EXPECT_FALSE(created);

    // A reference copied before the original lets go keeps the entry through the sweep.
    SharedImageRef keeper = b;
    b.Release();
    app->UpdateFrames();
    EXPECT_EQ(app->GetSharedImageCount(), 2u);
    EXPECT_FALSE(images.Contains(imageA));
    EXPECT_TRUE(images.Contains(imageB));
    EXPECT_EQ(keeper.GetImage(), imageB);
    EXPECT_EQ(keeper->GetWidth(), 5);
    EXPECT_EQ(revived->GetWidth(), 3);

    // A fresh load after the sweep is a new entry.
    SharedImageRef reloaded = Get("images/a", "", created);
    EXPECT_TRUE(created);
    ASSERT_NE(reloaded.GetImage(), nullptr);

    // The last reference to b leaves: swept by the next update, and only by it.
    keeper.Release();
    EXPECT_EQ(app->GetSharedImageCount(), 3u);
    app->UpdateFrames();
    EXPECT_EQ(app->GetSharedImageCount(), 2u);
    app->UpdateFrames();
    EXPECT_EQ(app->GetSharedImageCount(), 2u);
}

TEST_F(SharedImageCacheTest, LoadingThreadAndUpdatesShareTheMapSafely)
{
    // The loading thread takes and drops pictures while the main thread keeps sweeping; every
    // reference it holds must keep its picture.
    std::atomic<bool> failed{false};
    std::thread loader(
        [&]
        {
            for (int i = 0; i < 200; ++i)
            {
                bool created = false;
                SharedImageRef reference = app->GetSharedImage(i % 2 ? "images/a" : "images/b", "", created);
                if (reference.GetImage() == nullptr || reference->GetWidth() != (i % 2 ? 3 : 5))
                    failed = true;
            }
        });
    for (int i = 0; i < 200; ++i)
        app->UpdateFrames();
    loader.join();
    EXPECT_FALSE(failed);
    app->UpdateFrames();
    EXPECT_EQ(app->GetSharedImageCount(), 0u);
}

TEST_F(SharedImageCacheTest, UsersOfAPictureBeingLoadedWaitForIt)
{
    WritePicture("images/big.png", 600, 400, 0xFF808080u);
    std::atomic<int> loaded{0};
    std::atomic<int> creators{0};
    std::vector<std::thread> users;
    std::vector<SharedImageRef> references(4);
    for (size_t i = 0; i < references.size(); ++i)
    {
        users.emplace_back(
            [&, i]
            {
                bool created = false;
                references[i] = app->GetSharedImage("images/big", "", created);
                creators += created ? 1 : 0;
                if (references[i].GetImage() != nullptr && references[i]->GetWidth() == 600)
                    ++loaded;
            });
    }
    for (std::thread& user : users)
        user.join();
    EXPECT_EQ(creators, 1);
    EXPECT_EQ(loaded, 4);
    EXPECT_EQ(references[0].GetImage(), references[3].GetImage());
}

} // namespace
} // namespace Vesk
