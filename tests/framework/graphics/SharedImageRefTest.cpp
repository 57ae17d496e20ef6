#include "framework/graphics/SharedImageRef.h"

#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageSet.h"
#include "framework/graphics/SharedImage.h"

#include <gtest/gtest.h>

#include <memory>

namespace Vesk
{
namespace
{

TEST(SharedImageRefTest, ReferencesCountTheirUsersAndTheLastOneMarksTheSetChanged)
{
    ImageSet set;
    SharedImage entry;
    entry.imageSet = &set;
    entry.image = std::make_unique<DDImage>(&set);
    {
        SharedImageRef first(&entry);
        EXPECT_EQ(entry.refCount, 1);
        EXPECT_EQ(first.GetImage(), entry.image.get());
        SharedImageRef second = first;
        EXPECT_EQ(entry.refCount, 2);
        SharedImageRef third;
        third = second;
        EXPECT_EQ(entry.refCount, 3);
        third = third;
        EXPECT_EQ(entry.refCount, 3);
        SharedImageRef moved = std::move(third);
        EXPECT_EQ(entry.refCount, 3);
        EXPECT_EQ(third.GetImage(), nullptr);
        second.Release();
        EXPECT_EQ(entry.refCount, 2);
        EXPECT_FALSE(set.TakeChanged());
    }
    EXPECT_EQ(entry.refCount, 0);
    EXPECT_TRUE(set.TakeChanged());
    EXPECT_FALSE(set.TakeChanged());
}

TEST(SharedImageRefTest, OwnImagesAreUsedFirstAndDeletedOnlyByTheirOwner)
{
    ImageSet set;
    SharedImage entry;
    entry.image = std::make_unique<DDImage>(&set);
    auto own = std::make_unique<MemoryImage>(&set);
    MemoryImage* ownPointer = own.get();
    EXPECT_EQ(set.Count(), 2u);
    {
        SharedImageRef owner(std::move(own));
        EXPECT_TRUE(owner.OwnsImage());
        EXPECT_EQ(owner.GetImage(), ownPointer);
        SharedImageRef copy = owner;
        EXPECT_FALSE(copy.OwnsImage());
        EXPECT_EQ(copy.GetImage(), ownPointer);
        // Assigning an entry drops the own image of the copy without deleting it.
        copy = &entry;
        EXPECT_EQ(copy.GetImage(), entry.image.get());
        EXPECT_EQ(set.Count(), 2u);
    }
    // The owner deleted its image.
    EXPECT_EQ(set.Count(), 1u);

    DDImage plain;
    SharedImageRef borrowed;
    borrowed = static_cast<MemoryImage*>(&plain);
    EXPECT_EQ(borrowed.GetImage(), &plain);
    EXPECT_FALSE(borrowed.OwnsImage());
}

TEST(DDImageTest, TheScreenIsOpaqueBlackOnTheDisplayAndLocksNest)
{
    DDImage screen;
    screen.CreateScreen(8, 6);
    EXPECT_TRUE(screen.HasSurface());
    EXPECT_TRUE(screen.IsForcedMode());
    EXPECT_FALSE(screen.HasTransparency());
    for (int i = 0; i < 48; ++i)
        ASSERT_EQ(screen.GetBits()[i], 0xFF000000u);

    EXPECT_FALSE(screen.UnlockSurface());
    EXPECT_TRUE(screen.LockSurface());
    EXPECT_TRUE(screen.LockSurface());
    EXPECT_EQ(screen.GetLockCount(), 2);
    EXPECT_TRUE(screen.UnlockSurface());
    EXPECT_TRUE(screen.UnlockSurface());
    EXPECT_FALSE(screen.UnlockSurface());

    DDImage loaded;
    loaded.SetVolatile(true);
    EXPECT_FALSE(loaded.GenerateDDSurface());
    DDImage unwanted;
    unwanted.wantDDSurface = false;
    EXPECT_FALSE(unwanted.GenerateDDSurface());
}

TEST(DDImageTest, AdditiveSmoothLineDrewOnTheScreen)
{
    // The screen draws no additive smooth line; the same line on a memory image does draw.
    DDImage screen;
    screen.CreateScreen(20, 20);
    screen.DrawLineAA(1, 1, 18, 7, Color(200, 100, 50), DRAWMODE_ADDITIVE);
    for (int i = 0; i < 400; ++i)
        ASSERT_EQ(screen.GetBits()[i], 0xFF000000u) << i;
    screen.DrawLineAA(1, 1, 18, 7, Color(200, 100, 50), DRAWMODE_NORMAL);
    EXPECT_NE(screen.GetBits()[1 * 20 + 1], 0xFF000000u);

    DDImage offScreen;
    offScreen.Create(20, 20);
    offScreen.DrawLineAA(1, 1, 18, 7, Color(200, 100, 50), DRAWMODE_ADDITIVE);
    EXPECT_NE(offScreen.GetBits()[1 * 20 + 1] & 0xFFFFFF, 0u);
}

} // namespace
} // namespace Vesk
