#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// The shipped data folder may lack pictures that are still being drawn; start-up then reports
// each missing page face in a message box ("Pages error: <path> not found") and goes on. Tests
// that start the game on the shipped data accept exactly those reports.
class MissingPictures
{
public:
    // The recorded messages ("<caption>: <text>", anything may follow) other than reports of page
    // faces that really are absent from dataFolder: a report of a picture that exists is kept.
    static std::vector<std::string> OtherMessages(const std::vector<std::string>& shown,
                                                  const std::filesystem::path& dataFolder);
    // Whether dataFolder holds a picture of that name in any format the game reads.
    static bool PictureExists(const std::filesystem::path& dataFolder, const std::string& name);
};

} // namespace Vesk::TestSupport
