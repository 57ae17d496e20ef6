#include "framework/resources/ResourceManifest.h"

namespace Vesk
{

const ResourceGroup* ResourceManifest::FindGroup(const std::string& name) const
{
    for (const ResourceGroup& group : groups)
    {
        if (group.name == name)
            return &group;
    }
    return nullptr;
}

ResourceGroup* ResourceManifest::FindGroup(const std::string& name)
{
    for (ResourceGroup& group : groups)
    {
        if (group.name == name)
            return &group;
    }
    return nullptr;
}

const ResourceDeclaration* ResourceManifest::Find(ResourceKind kind, const std::string& id) const
{
    for (const ResourceGroup& group : groups)
    {
        for (const ResourceDeclaration& declaration : group.resources)
        {
            if (declaration.kind == kind && declaration.id == id)
                return &declaration;
        }
    }
    return nullptr;
}

size_t ResourceManifest::ResourceCount() const
{
    size_t count = 0;
    for (const ResourceGroup& group : groups)
        count += group.resources.size();
    return count;
}

} // namespace Vesk
