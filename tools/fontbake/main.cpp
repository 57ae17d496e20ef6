// fontbake: bakes an image font (glyph atlas PNG + font descriptor) from a TrueType face.
//   fontbake --face FILE-OR-NAME --size POINTS --out FOLDER --name NAME [--pixels EM]
//            [--shadow [--shadow-opacity 0..1] | --outline PIXELS] [--fallback FILE-OR-NAME]
//            [--chars TEXT] [--atlas-width PIXELS]
#include "FontBaker.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: fontbake --face FILE-OR-NAME --size POINTS --out FOLDER --name NAME [--pixels EM]\n"
                         "                [--shadow [--shadow-opacity 0..1] | --outline PIXELS]\n"
                         "                [--fallback FILE-OR-NAME] [--chars TEXT] [--atlas-width PIXELS]\n");
    return 2;
}

bool ToInt(const std::string& text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < -100000 || parsed > 100000)
        return false;
    value = int(parsed);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Vesk::FontBaker::Options options;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--shadow")
            options.effect = Vesk::FontBaker::Effect::Shadow;
        else if (argument == "--face" && hasValue)
            options.face = argv[++i];
        else if (argument == "--out" && hasValue)
            options.outputFolder = argv[++i];
        else if (argument == "--name" && hasValue)
            options.name = argv[++i];
        else if (argument == "--fallback" && hasValue)
            options.fallbackFace = argv[++i];
        else if (argument == "--shadow-opacity" && hasValue)
        {
            char* end = nullptr;
            const std::string text = argv[++i];
            options.shadowOpacity = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0')
                return Usage();
        }
        else if (argument == "--pixels" && hasValue)
        {
            if (!ToInt(argv[++i], options.pixelSize))
                return Usage();
        }
        else if (argument == "--chars" && hasValue)
            options.characters = argv[++i];
        else if (argument == "--size" && hasValue)
        {
            if (!ToInt(argv[++i], options.pointSize))
                return Usage();
        }
        else if (argument == "--outline" && hasValue)
        {
            options.effect = Vesk::FontBaker::Effect::Outline;
            if (!ToInt(argv[++i], options.outlineWidth))
                return Usage();
        }
        else if (argument == "--atlas-width" && hasValue)
        {
            if (!ToInt(argv[++i], options.atlasWidth))
                return Usage();
        }
        else
            return Usage();
    }
    if (options.face.empty())
        return Usage();

    std::string error;
    if (!Vesk::FontBaker::Bake(options, error))
    {
        std::fprintf(stderr, "fontbake: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
