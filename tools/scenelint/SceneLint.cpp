#include "scenelint/SceneLint.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <utility>

namespace Vesk
{

namespace
{

// The page number of a first-time tutorial's file name ("tutorial_12.scr" -> "12"), empty for
// any other name.
std::string TutorialPageNumber(const std::string& fileName)
{
    const std::string prefix = "tutorial_";
    const std::string suffix = ".scr";
    if (fileName.size() <= prefix.size() + suffix.size() || fileName.compare(0, prefix.size(), prefix) != 0 ||
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    const std::string number = fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    for (char c : number)
        if (c < '0' || c > '9')
            return {};
    return number;
}

bool ReadFile(const std::string& path, std::string& content)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// The state of one pass over a script, command by command in the order of the text.
struct Pass
{
    const SceneScript& script;
    const std::function<bool(const std::string&)>& pictureExists;
    std::vector<SceneLint::Finding> findings;
    std::set<std::string> characters;
    std::set<std::string> pictures;
    std::vector<SceneLocation> openIfs;
    int answerButtons = 0;

    void Add(const SceneLocation& where, const std::string& text, bool error = true)
    {
        findings.push_back({where, text, error});
    }

    void Picture(const SceneCommand& command, int index)
    {
        const std::string& name = command.Word(index);
        if (pictures.insert(name).second && !pictureExists(name))
            Add(script.Where(command.position), "Image " + name + " not found.");
    }

    void Character(const SceneCommand& command, const std::string& message)
    {
        if (characters.count(command.Word(0)) == 0)
            Add(script.Where(command.position), message);
    }

    void Command(const SceneCommand& command)
    {
        const SceneLocation where = script.Where(command.position);
        switch (command.op)
        {
        case SceneOp::Unknown:
            // [note ...] is how scripts carry comments.
            if (!command.name.empty() && command.name != "note" &&
                script.Text().find("[goto " + command.name) == std::string::npos)
                Add(where, "Unknown command '[" + command.text + "' is passed over.", false);
            break;
        case SceneOp::Char:
            characters.insert(command.Word(0));
            Picture(command, 1);
            break;
        case SceneOp::In:
            Character(command, "Script called for a unidentified character, with 'in' command.");
            break;
        case SceneOp::Out:
            Character(command, "Script called for a unidentified character, with 'out' command.");
            break;
        case SceneOp::Anim:
            Character(command, "Script called for a unidentified character, while loading an animation.");
            Picture(command, 2);
            break;
        case SceneOp::Choose:
        case SceneOp::Swap:
            Character(command, "No character '" + command.Word(0) + "' is defined before [" + command.name + "].");
            break;
        case SceneOp::Bkg:
        case SceneOp::Img:
        case SceneOp::Load:
            Picture(command, 0);
            break;
        case SceneOp::Btn:
            Picture(command, 0);
            if (command.Word(3) != "skip")
                ++answerButtons;
            break;
        case SceneOp::NoButtons:
            answerButtons = 0;
            break;
        case SceneOp::Ask:
            if (answerButtons == 0)
                Add(where, "An [ask] has no button to answer it.");
            answerButtons = 0;
            break;
        case SceneOp::Temp:
            if (pictures.count(command.Word(0)) == 0)
                Add(where, "Error in [temp] command. No '" + command.Word(0) + "' loaded");
            break;
        case SceneOp::If:
            openIfs.push_back(where);
            break;
        case SceneOp::Endif:
            if (openIfs.empty())
                Add(where, "An 'endif' has no 'if' before it.");
            else
                openIfs.pop_back();
            break;
        case SceneOp::Goto:
            if (script.FindLabel(command.Word(0)) == std::string::npos)
                Add(where, "A 'goto' does not have a corresponding label '" + command.Word(0) + "'.");
            break;
        default:
            break;
        }
    }

    void Run()
    {
        const std::string& text = script.Text();
        for (size_t at = text.find('['); at != std::string::npos;)
        {
            std::vector<SceneMessage> messages;
            size_t end = at + 1;
            SceneCommand command = script.ReadCommand(at, end, messages);
            for (const SceneMessage& message : messages)
                Add(message.where, message.text);
            Command(command);
            at = text.find('[', std::max(end, at + 1));
        }
        for (const SceneLocation& where : openIfs)
            Add(where, "An 'if' does not have a coresponding 'endif'.");
    }
};

} // namespace

SceneLint::SceneLint(std::function<bool(const std::string&)> pictureExists) : pictureExists(std::move(pictureExists)) {}

std::vector<SceneLint::Finding> SceneLint::Check(const std::vector<std::pair<std::string, std::string>>& files) const
{
    SceneScript script;
    for (const auto& [name, content] : files)
        script.AppendFile(name, content);
    Pass pass{script, pictureExists, {}, {}, {}, {}, 0};
    pass.Run();
    std::vector<Finding> findings;
    for (Finding& finding : pass.findings)
        if (!files.empty() && finding.where.file == files.back().first)
            findings.push_back(std::move(finding));
    return findings;
}

int SceneLint::Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    std::string data;
    std::vector<std::string> scripts;
    for (size_t index = 0; index < arguments.size(); ++index)
    {
        if (arguments[index] == "--data" && index + 1 < arguments.size())
            data = arguments[++index];
        else
            scripts.push_back(arguments[index]);
    }
    if (scripts.empty())
    {
        err << "usage: scenelint [--data <built data folder>] <script>...\n";
        return 2;
    }
    SceneLint lint(
        [&data](const std::string& name)
        {
            if (data.empty())
                return true;
            for (const char* extension : {"", ".png", ".jpg", ".jpeg", ".gif", ".tga", ".j2k", ".jp2"})
                if (std::filesystem::is_regular_file(std::filesystem::path(data) / (name + extension)))
                    return true;
            return false;
        });
    int errors = 0;
    for (const std::string& path : scripts)
    {
        std::vector<std::pair<std::string, std::string>> files;
        const std::filesystem::path script(path);
        const std::string fileName = script.filename().string();
        // What the game plays before this script in the same scene.
        std::filesystem::path before;
        const std::string tutorialPage = TutorialPageNumber(fileName);
        if (!tutorialPage.empty())
            before = script.parent_path() / ("page_" + tutorialPage + "_open.scr");
        else if (fileName == "intro.scr")
            before = script.parent_path() / "logos.scr";
        std::string content;
        if (!before.empty() && ReadFile(before.string(), content))
            files.emplace_back(before.string(), content);
        if (!ReadFile(path, content))
        {
            err << path << ": cannot be read\n";
            ++errors;
            continue;
        }
        files.emplace_back(path, content);
        for (const Finding& finding : lint.Check(files))
        {
            out << finding.where.file << ":" << finding.where.line << ": " << (finding.error ? "error" : "warning")
                << ": " << finding.text << "\n";
            if (finding.error)
                ++errors;
        }
    }
    return errors > 0 ? 1 : 0;
}

} // namespace Vesk
