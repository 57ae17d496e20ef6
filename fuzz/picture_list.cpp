// Fuzzes a hidden-object page's two text files: the first half of the input as picture.cfg,
// the second as the page's .lng names, loaded into the content tables as a page start does.
#include "app/ContentModel.h"
#include "app/PictureListReader.h"
#include "framework/appbase/Buffer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t half = size / 2;
    Vesk::Buffer list(std::vector<uint8_t>(data, data + half));
    Vesk::Buffer names(std::vector<uint8_t>(data + half, data + size));

    static auto content = std::make_unique<Vesk::ContentModel>();
    content->LoadPageItems("images/pages/p03/", Vesk::PictureListReader::ReadObjects(list),
                           Vesk::PictureListReader::ReadDisplayNames(names));
    if (content->pictureItemCount < 0 || content->pictureItemCount > Vesk::kMaxPictureItems)
        std::abort();
    for (int i = 0; i < content->pictureItemCount; ++i)
    {
        const Vesk::PictureItem& item = content->pictureItems[static_cast<size_t>(i)];
        if (item.linkedCount < 0 || item.linkedCount > Vesk::kMaxLinkedItems || item.fileName.empty())
            std::abort();
        for (int k = 0; k < item.linkedCount; ++k)
            if (item.linked[static_cast<size_t>(k)] < 0 || item.linked[static_cast<size_t>(k)] >= i)
                std::abort();
        if (item.isGroupMember && (item.groupLeader <= i || item.groupLeader >= content->pictureItemCount))
            std::abort();
    }
    return 0;
}
