#pragma once

#include <string>
#include <vector>

namespace Vesk::TestSupport
{

// A deliberately small scanner for checking the data files written by hand (config.xml,
// local.xml) without the game's own XML reader: it follows the open tags and lists every
// text element with its path ("Common/BoardX") and its text, whitespace runs folded to one
// space as the game reads them. Comments must be written "<!-- text -->" with whitespace after
// the opening, as the game's reader requires. Anything it does not understand is an error,
// reported with its line.
class XmlTextScanner
{
public:
    struct TextElement
    {
        std::string path;
        std::string text;
        int line = 0;
    };

    explicit XmlTextScanner(const std::string& content);

    const std::vector<TextElement>& Elements() const { return elements; }
    // Empty when the whole content was understood.
    const std::string& Error() const { return error; }

private:
    void Fail(const std::string& message, int line);

    std::vector<TextElement> elements;
    std::string error;
};

} // namespace Vesk::TestSupport
