#pragma once

#include <cstdint>
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

    // One character from the push-back stack or the file; false at the end of the file or
    // when the file holds an illegal sequence (then the parser has failed).
    bool ReadChar(char32_t& character);
    void PushBack(char32_t character) { pushBack.push_back(character); }
    // Reads one byte of the file; false at its end.
    bool ReadByte(uint8_t& byte);
    bool ReadUtf8(char32_t& character);
    bool ReadUtf16(char32_t& character);
    bool ReadUtf16Unit(char16_t& unit);
    // Appends a character to an element's text: bytes as they are from an 8-bit file, UTF-8
    // from a Unicode file, so a UTF-8 file reads the same with or without its byte-order mark.
    void Append(std::string& text, char32_t character) const;
    void Close();

    std::string fileName;
    std::string errorText;
    int lineNum = 0;
    PFILE* file = nullptr;
    bool hasFailed = false;
    bool allowComments = false;
    std::vector<char32_t> pushBack; // read again, last pushed first
    std::string section;
    // A self-closing tag answers with its end tag on the next call.
    std::string pendingEndTag;
    bool hasPendingEndTag = false;
    Encoding encoding = Encoding::Bits8;
    bool atFirstCharacter = true;
    bool byteSwapped = false;
    char16_t heldUnit = 0; // a UTF-16 unit read ahead and not yet used
    bool hasHeldUnit = false;
    std::vector<uint8_t> readBuffer;
    size_t readPosition = 0;
    bool fileEnded = false;
};

} // namespace Vesk
