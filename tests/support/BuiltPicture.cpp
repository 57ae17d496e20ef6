#include "support/BuiltPicture.h"

#include "support/PngFile.h"

namespace Vesk::TestSupport
{

std::string BuiltPicture::PathOf(const std::string& relativePath)
{
    return std::string(ORLO_BUILT_DATA_DIR) + "/" + relativePath;
}

bool BuiltPicture::Load(const std::string& relativePath)
{
    return PngFile::Read(PathOf(relativePath), pixels, width, height);
}

} // namespace Vesk::TestSupport
