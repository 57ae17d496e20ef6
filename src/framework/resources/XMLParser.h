#pragma once

#include <map>
#include <string>
#include <vector>

namespace Vesk
{

struct PFILE;

// One flat element handed out by XMLParser::NextElement.
struct XMLElement
{
    enum Type
    {
        TYPE_NONE = 0,
        TYPE_START = 1,
        TYPE_END = 2,
        TYPE_ELEMENT = 3, // text
        TYPE_INSTRUCTION = 4,
        TYPE_COMMENT = 5,
    };

    int type = TYPE_NONE;
    // The enclosing open tags joined with "/"; for a start tag the path of its parent.
    std::string section;
    // Start and end tags: the tag name; text: the collected, entity-decoded text.
    std::string value;
    // Comments and processing instructions: the text between the delimiters.
    std::string instruction;
    // Attributes of a start tag; a repeated name keeps the last value.
    std::map<std::string, std::string> attributes;
};

// The framework's small pull reader for the game's XML-like files (configuration, texts,
// resource manifest). Not a conforming XML parser: it hands out one flat element at a time and
// keeps the path of open tags, so callers recognise entries by path ("Common/BoardX").
// Reads through the file layer, so files may lie loose or inside the archive.
class XMLParser
{
public:
    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Opens a file and resets the state; on failure the error text is
    // "Unable to open file " + name and the line number 0.
    [[nodiscard]] bool OpenFile(const std::string& name);
    // Reads the next element; false at the end of the file or after an error.
    bool NextElement(XMLElement& element);

    bool HasFailed() const { return hasFailed; }
    std::string GetErrorText() const { return errorText; }
    int GetCurrentLineNum() const { return lineNum; }
    std::string GetFileName() const { return fileName; }
    void SetAllowComments(bool allow) { allowComments = allow; }

    static std::string XMLDecodeString(const std::string& text);
    static std::u16string XMLDecodeString(const std::u16string& text);

protected:
    void Fail(const std::string& text);

private:
    enum class Encoding
    {
        Bits8,
        Utf8,
        Utf16,
    };

    bool ReadChar(char16_t& character);
    void PushBack(char16_t character) { pushBack.push_back(character); }
    void PushBack(const std::u16string& text);
    void Close();

    std::string fileName;
    std::string errorText;
    int lineNum = 0;
    PFILE* file = nullptr;
    bool hasFailed = false;
    bool allowComments = false;
    std::vector<char16_t> pushBack; // read again, last pushed first
    std::string section;
    Encoding encoding = Encoding::Bits8;
    bool encodingFixed = false;
    bool atFirstCharacter = true;
    bool byteSwapped = false;
};

} // namespace Vesk
