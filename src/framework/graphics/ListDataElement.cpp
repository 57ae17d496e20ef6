#include "framework/graphics/ListDataElement.h"

namespace Vesk
{

std::unique_ptr<DataElement> ListDataElement::Duplicate() const
{
    auto copy = std::make_unique<ListDataElement>();
    copy->elements.reserve(elements.size());
    for (const auto& element : elements)
        copy->elements.push_back(element->Duplicate());
    return copy;
}

} // namespace Vesk
