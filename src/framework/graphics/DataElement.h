#pragma once

#include <memory>

namespace Vesk
{

// A value of a font descriptor: one token (SingleDataElement) or a parenthesised list of
// values (ListDataElement). Lists own their elements.
class DataElement
{
public:
    explicit DataElement(bool isList) : isList(isList) {}
    virtual ~DataElement() = default;
    DataElement(const DataElement&) = delete;
    DataElement& operator=(const DataElement&) = delete;

    // A deep copy.
    virtual std::unique_ptr<DataElement> Duplicate() const = 0;

    const bool isList;
};

} // namespace Vesk
