#pragma once

namespace Vesk
{

// Where a row of an image has pixels a blit must visit: columns [first, end) hold every pixel that
// is not of the skippable class of a run-length array (transparent, or black for additive
// drawing). walk tells that a long skippable run lies inside, so walking the runs pays; otherwise
// the whole extent is blended in one go. opaque tells that a long run of opaque pixels lies
// inside (alpha arrays only), which a plain blit copies. An empty extent has first == end.
struct RowExtent
{
    int first = 0;
    int end = 0;
    bool walk = false;
    bool opaque = false;
};

} // namespace Vesk
