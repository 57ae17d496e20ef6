#include "support/XmlTextScanner.h"

#include <algorithm>
#include <cctype>

namespace Vesk::TestSupport
{

namespace
{

bool IsSpace(char character)
{
    return std::isspace(static_cast<unsigned char>(character)) != 0;
}

std::string FoldWhitespace(const std::string& text)
{
    std::string folded;
    bool pendingSpace = false;
    for (const char character : text)
    {
        if (IsSpace(character))
        {
            pendingSpace = !folded.empty();
            continue;
        }
        if (pendingSpace)
            folded += ' ';
        pendingSpace = false;
        folded += character;
    }
    return folded;
}

std::string JoinPath(const std::vector<std::string>& open)
{
    std::string path;
    for (const std::string& name : open)
        path += (path.empty() ? "" : "/") + name;
    return path;
}

} // namespace

XmlTextScanner::XmlTextScanner(const std::string& content)
{
    std::vector<std::string> open;
    size_t position = 0;
    auto lineAt = [&](size_t at)
    { return 1 + static_cast<int>(std::count(content.begin(), content.begin() + at, '\n')); };

    while (position < content.size() && error.empty())
    {
        if (content[position] != '<')
        {
            const size_t end = std::min(content.find('<', position), content.size());
            const std::string text = FoldWhitespace(content.substr(position, end - position));
            if (!text.empty())
            {
                if (open.empty())
                    Fail("text outside any element", lineAt(position));
                else
                    elements.push_back({JoinPath(open), text, lineAt(position)});
            }
            position = end;
            continue;
        }
        if (content.compare(position, 4, "<!--") == 0)
        {
            if (position + 4 >= content.size() || !IsSpace(content[position + 4]))
            {
                Fail("a comment needs whitespace after <!--", lineAt(position));
                break;
            }
            const size_t end = content.find("-->", position + 4);
            if (end == std::string::npos)
            {
                Fail("unterminated comment", lineAt(position));
                break;
            }
            position = end + 3;
            continue;
        }
        if (content.compare(position, 2, "<?") == 0)
        {
            const size_t end = content.find("?>", position + 2);
            if (end == std::string::npos)
            {
                Fail("unterminated processing instruction", lineAt(position));
                break;
            }
            position = end + 2;
            continue;
        }
        const size_t end = content.find('>', position);
        if (end == std::string::npos)
        {
            Fail("unterminated tag", lineAt(position));
            break;
        }
        std::string tag = content.substr(position + 1, end - position - 1);
        const bool closing = !tag.empty() && tag[0] == '/';
        const bool selfClosing = !tag.empty() && tag.back() == '/';
        if (closing)
            tag.erase(0, 1);
        const std::string name = tag.substr(0, std::min(tag.size(), tag.find_first_of(" \t\r\n/")));
        const bool nameValid =
            !name.empty() &&
            std::all_of(name.begin(), name.end(),
                        [](char character)
                        { return std::isalnum(static_cast<unsigned char>(character)) != 0 || character == '_'; });
        if (!nameValid)
            Fail("malformed tag <" + tag + ">", lineAt(position));
        else if (closing)
        {
            if (open.empty() || open.back() != name)
                Fail("end tag </" + name + "> does not match", lineAt(position));
            else
                open.pop_back();
        }
        else if (!selfClosing)
            open.push_back(name);
        position = end + 1;
    }
    if (error.empty() && !open.empty())
        Fail("element <" + open.back() + "> is not closed", lineAt(content.size()));
}

void XmlTextScanner::Fail(const std::string& message, int line)
{
    if (error.empty())
        error = "line " + std::to_string(line) + ": " + message;
}

} // namespace Vesk::TestSupport
