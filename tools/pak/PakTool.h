#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace Vesk
{

// The archive tool of the build:
//   pak pack <folder> <archive> [--exclude <pattern>]...
//   pak list <archive>
//   pak extract <archive> <folder>
// Packing stores every file below the folder under its relative name with backslashes, in
// name order and with one fixed file time (SOURCE_DATE_EPOCH when set), so the same tree
// always gives the same archive. An exclude pattern ('*' and '?', without case) containing
// a '/' is matched against the relative path, otherwise against each folder and file name.
// Extracting refuses names that would leave the target folder.
class PakTool
{
public:
    PakTool(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    // Runs one command line (without the program name); returns the exit code: 0 done,
    // 1 failed, 2 bad usage.
    int Run(const std::vector<std::string>& arguments);

    [[nodiscard]] bool Pack(const std::filesystem::path& folder, const std::filesystem::path& archive,
                            const std::vector<std::string>& excludes, uint64_t fileTime);
    [[nodiscard]] bool List(const std::filesystem::path& archive);
    [[nodiscard]] bool Extract(const std::filesystem::path& archive, const std::filesystem::path& folder);

    // The file time stored by "pack": SOURCE_DATE_EPOCH when it holds a number of seconds,
    // else 2024-01-01 00:00:00 UTC, as a FILETIME.
    static uint64_t PackTime();
    static bool IsExcluded(const std::string& relativePath, const std::vector<std::string>& excludes);

private:
    std::ostream& out;
    std::ostream& err;
};

} // namespace Vesk
