// The interface pictures the art build renders (buttons, menu pictures, dialog windows,
// frames, stamps): each exists in the built data tree with the size the screens are laid out
// for.
#include "support/BuiltPicture.h"
#include "support/BuiltPictureSizes.h"

#include <gtest/gtest.h>

namespace Vesk
{
namespace
{

using TestSupport::BuiltPicture;
using TestSupport::BuiltPictureSizes;

TEST(InterfaceArtTest, PicturesExistWithTheirLaidOutSizes)
{
    for (const BuiltPictureSizes::Entry& entry : BuiltPictureSizes::Group("ui"))
    {
        BuiltPicture picture;
        ASSERT_TRUE(picture.Load(entry.path)) << "build the data target first: " << BuiltPicture::PathOf(entry.path);
        EXPECT_EQ(picture.width, entry.width) << entry.path;
        EXPECT_EQ(picture.height, entry.height) << entry.path;
    }
}

} // namespace
} // namespace Vesk
