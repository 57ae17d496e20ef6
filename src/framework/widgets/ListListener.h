#pragma once

namespace Vesk
{

// Told about clicks on a list's lines, its highlight following the pointer and its removal from
// the tree.
class ListListener
{
public:
    virtual ~ListListener() = default;

    virtual void OnListClicked(int id, int index, int clickCount) {}
    virtual void OnListClosed(int id) {}
    virtual void OnListHighlightChanged(int id, int oldIndex, int newIndex) {}
};

} // namespace Vesk
