#pragma once

#include "framework/graphics/DataElement.h"

#include <vector>

namespace Vesk
{

// A parenthesised list of descriptor values; a command's parameters are one, too.
class ListDataElement : public DataElement
{
public:
    ListDataElement() : DataElement(true) {}

    std::unique_ptr<DataElement> Duplicate() const override;

    std::vector<std::unique_ptr<DataElement>> elements;
};

} // namespace Vesk
