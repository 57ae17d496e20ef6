#pragma once

#include "framework/resources/ResourceManifest.h"

#include <utility>

namespace Vesk
{

class ResourceLoader;

// One resource of the manifest as the resource manager keeps it: its declaration and, in the
// kind's own record, what loading made of it. Owned by the manager's map of its kind.
class BaseRes : public ResourceDeclaration
{
public:
    explicit BaseRes(ResourceDeclaration declaration) : ResourceDeclaration(std::move(declaration)) {}
    virtual ~BaseRes() = default;
    BaseRes(const BaseRes&) = delete;
    BaseRes& operator=(const BaseRes&) = delete;

    // Releases what loading made; the record can be loaded again afterwards.
    virtual void Unload(ResourceLoader& loader) {}
    virtual bool IsLoaded() const = 0;
};

} // namespace Vesk
