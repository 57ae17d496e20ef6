#pragma once

#include "framework/graphics/DataElement.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vesk
{

class ListDataElement;

// Reads a descriptor file, a small command language: commands end with ";" (outside quotes),
// a line whose first non-blank character is "#" is a comment, values are tokens, quoted texts
// and parenthesised lists, and "Define" gives names to values. Each command is tokenized into
// a list and handed to HandleCommand, which the concrete reader (FontData) implements.
// Reading stops at the first command that fails; Error reports why.
class DescParser
{
public:
    // Bit 0: ";" ends a command. Bit 1: a line that starts without blanks begins a new command.
    static constexpr int kSemicolonEndsCommand = 1;
    static constexpr int kLineStartEndsCommand = 2;

    // The messages of the language itself.
    static constexpr const char* kUnknownCommand = "Unknown Command";
    static constexpr const char* kInvalidParameterCount = "Invalid Number of Parameters";
    static constexpr const char* kInvalidParameterType = "Invalid Paramater Type";
    static constexpr const char* kListSizeMismatch = "List Size Mismatch";
    static constexpr const char* kMissingCommand = "Missing Command";
    static constexpr const char* kUnexpectedListEnd = "Unexpected List End";
    static constexpr const char* kUnexpectedListStart = "Unexpected List Start";
    static constexpr const char* kUnterminatedSingleQuotes = "Unterminated Single Quotes";
    static constexpr const char* kUnterminatedDoubleQuotes = "Unterminated Double Quotes";
    static constexpr const char* kUnterminatedList = "Unterminated List";

    DescParser();
    virtual ~DescParser();
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Reports a failure: the base stores the text. Always false, so callers can return it.
    virtual bool Error(const std::string& text);
    // The value defined under name (any letter case), or null.
    virtual const DataElement* GetDefine(const std::string& name) const;
    // Carries out one command: params[0] is the command word, the rest its parameters.
    virtual bool HandleCommand(const ListDataElement& params) = 0;

    // Reads the file through the file layer; false when it cannot be opened (no message) or
    // when a command fails.
    [[nodiscard]] bool LoadDescriptor(const std::string& fileName);
    // The same over text already in memory.
    [[nodiscard]] bool LoadDescriptorText(const std::string& text);
    [[nodiscard]] bool ParseCommand(const std::string& text);
    // Tokenizes text from position into list; with isSubList the text continues a "(" list,
    // which the matching ")" ends.
    [[nodiscard]] bool ParseToList(const std::string& text, ListDataElement& list, bool isSubList, size_t& position);

    // Values. A token is immediate when it starts with a digit, "-", "+" or a quote; any other
    // token is a name (of a define or a layer).
    static bool IsImmediate(const std::string& token);
    static std::string Unquote(const std::string& token);
    static std::string ToUpper(std::string text);
    // Decimal with an optional "-", or "0x" hexadecimal; false (and 0) for anything else.
    static bool StringToInt(const std::string& text, int& value);
    // Digits with an optional "-" and "." fraction; false (and 0) for anything else.
    static bool StringToDouble(const std::string& text, double& value);

    // The conversions below take parameters as a command wrote them (tokens and lists), not
    // the stored values of defines, which are already expanded.
    //
    // Expands a list: sub-lists recursively, quoted tokens unquoted, names replaced by a copy
    // of their define (or the dereference error).
    [[nodiscard]] bool GetValues(const ListDataElement& list, ListDataElement& values);
    [[nodiscard]] bool DataToString(const DataElement& element, std::string& value);
    [[nodiscard]] bool DataToInt(const DataElement& element, int& value);
    [[nodiscard]] bool DataToStringVector(const DataElement& element, std::vector<std::string>& values);
    [[nodiscard]] bool DataToIntVector(const DataElement& element, std::vector<int>& values);
    [[nodiscard]] bool DataToDoubleVector(const DataElement& element, std::vector<double>& values);
    [[nodiscard]] bool DataToList(const DataElement& element, ListDataElement& values);
    // Four reals 0..1 (red, green, blue, alpha) or one integer 0xAARRGGBB whose alpha 0 means
    // opaque; the result is 0xAARRGGBB.
    [[nodiscard]] bool DataToColor(const DataElement& element, uint32_t& color);

    // The last message reported.
    std::string errorText;
    int flags = kSemicolonEndsCommand;
    // The line where the command being read began (0 outside a command) and its text.
    int currentLine = 0;
    std::string currentCommand;
    // Upper-cased names and their values.
    std::map<std::string, std::unique_ptr<DataElement>> defines;

protected:
    // Set when a value could not be expanded (its message is already out), so that the
    // command does not report a second, vaguer message for the same fault.
    bool valueErrorReported = false;

private:
    bool ReadDescriptor(const std::function<int()>& nextCharacter);
};

} // namespace Vesk
