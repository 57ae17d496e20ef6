#include "support/MissingPictures.h"

#include <system_error>

namespace Vesk::TestSupport
{

bool MissingPictures::PictureExists(const std::filesystem::path& dataFolder, const std::string& name)
{
    for (const char* extension : {".tga", ".jpg", ".png", ".gif", ".j2k", ".jp2"})
    {
        std::error_code error;
        if (std::filesystem::exists(dataFolder / (name + extension), error))
            return true;
    }
    return false;
}

std::vector<std::string> MissingPictures::OtherMessages(const std::vector<std::string>& shown,
                                                        const std::filesystem::path& dataFolder)
{
    const std::string prefix = "Pages error: ";
    const std::string suffix = " not found";
    std::vector<std::string> others;
    for (const std::string& message : shown)
    {
        size_t end = message.find(suffix);
        bool report = message.compare(0, prefix.size(), prefix) == 0 && end != std::string::npos;
        if (report && !PictureExists(dataFolder, message.substr(prefix.size(), end - prefix.size())))
            continue;
        others.push_back(message);
    }
    return others;
}

} // namespace Vesk::TestSupport
