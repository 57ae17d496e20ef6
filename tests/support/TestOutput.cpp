#include "support/TestOutput.h"

#include <filesystem>
#include <system_error>

namespace Vesk::TestSupport
{

std::string TestOutput::Path(const std::string& name)
{
    const std::filesystem::path folder(ORLO_TEST_OUTPUT_DIR);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return (folder / name).string();
}

} // namespace Vesk::TestSupport
