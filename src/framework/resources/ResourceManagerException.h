#pragma once

#include <stdexcept>
#include <string>

namespace Vesk
{

// Thrown by the resource manager's lookups (RequireImage, RequireSound, RequireFont) when an
// identifier is not declared or not loaded; what() is the error text. The only exception the
// framework throws: the game's resource binding catches it.
class ResourceManagerException : public std::runtime_error
{
public:
    explicit ResourceManagerException(const std::string& errorText) : std::runtime_error(errorText) {}
};

} // namespace Vesk
