#pragma once

#include "framework/graphics/DataElement.h"

#include <string>
#include <utility>

namespace Vesk
{

// One descriptor token as written, quotes kept ("'A'", "12", "Main").
class SingleDataElement : public DataElement
{
public:
    explicit SingleDataElement(std::string value = {}) : DataElement(false), value(std::move(value)) {}

    std::unique_ptr<DataElement> Duplicate() const override { return std::make_unique<SingleDataElement>(value); }

    std::string value;
};

} // namespace Vesk
