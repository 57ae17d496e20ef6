#pragma once

#include "scenes/SceneScript.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace Vesk
{

// Checks scene scripts before they ship. Errors are what a player would see or what breaks a
// scene: the "Scene error" messages, characters used before any [char] names them, pictures
// that are not there, an if without endif (or an endif without if), a goto without its label,
// an [ask] with no button to answer it. Commands the player does not know are warnings: the
// player passes over them, so they serve as labels and notes.
class SceneLint
{
public:
    struct Finding
    {
        SceneLocation where;
        std::string text;
        bool error = true;
    };

    // pictureExists answers for a picture name as scripts give it (no extension).
    explicit SceneLint(std::function<bool(const std::string&)> pictureExists);

    // Checks the script made of the files in order (a scene and what the game appends to it);
    // findings in files before the last are left out, as they are reported for those files.
    std::vector<Finding> Check(const std::vector<std::pair<std::string, std::string>>& files) const;

    // The command line: scenelint [--data <built data folder>] <script>... Prints each finding as
    // "<file>:<line>: error: <text>" and returns 1 when there is an error. A tutorial is checked
    // after its page's opening scene and the intro after the logos, as the game plays them.
    static int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

private:
    std::function<bool(const std::string&)> pictureExists;
};

} // namespace Vesk
