// contactsheet: draws every picture and font of a data tree's resource manifest on one sheet.
//   contactsheet --data FOLDER --out SHEET.png [--manifest properties/resources.xml] [--width PIXELS]
// Pictures and fonts that do not load get placeholders and are listed on stderr; the exit code
// is 0 unless the manifest cannot be read or the sheet cannot be written.
#include "ContactSheet.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: contactsheet --data FOLDER --out SHEET.png [--manifest FILE] [--width PIXELS]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Vesk::ContactSheet::Options options;
    std::string dataFolder = ".";
    std::string output;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--data" && hasValue)
            dataFolder = argv[++i];
        else if (argument == "--out" && hasValue)
            output = argv[++i];
        else if (argument == "--manifest" && hasValue)
            options.manifestFile = argv[++i];
        else if (argument == "--width" && hasValue)
        {
            char* end = nullptr;
            const long width = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || width < 200 || width > 16384)
                return Usage();
            options.width = int(width);
        }
        else
            return Usage();
    }
    if (output.empty())
        return Usage();

    // The data is read like the game reads it: relative to its folder.
    std::error_code error;
    const std::filesystem::path outputPath = std::filesystem::absolute(output, error);
    std::filesystem::current_path(dataFolder, error);
    if (error)
    {
        std::fprintf(stderr, "contactsheet: cannot enter %s\n", dataFolder.c_str());
        return 1;
    }

    Vesk::ContactSheet sheet;
    std::string reason;
    if (!sheet.Make(options, reason))
    {
        std::fprintf(stderr, "contactsheet: %s\n", reason.c_str());
        return 1;
    }
    for (const std::string& missing : sheet.GetMissing())
        std::fprintf(stderr, "contactsheet: missing %s\n", missing.c_str());
    if (!sheet.WritePNG(outputPath.string()))
    {
        std::fprintf(stderr, "contactsheet: cannot write %s\n", outputPath.string().c_str());
        return 1;
    }
    std::printf("contactsheet: %zu entries, %zu missing, written to %s\n", sheet.GetEntries().size(),
                sheet.GetMissing().size(), outputPath.string().c_str());
    return 0;
}
