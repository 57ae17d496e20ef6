#pragma once

#include "framework/widgets/FlagsMod.h"

namespace Vesk
{

class Widget;

// One entry of the widget manager's modal stack: the widget pushed and what PopModal restores.
// The manager clears previousModalBase and previousFocus when the widget they name leaves the
// tree; modalWidget is only compared, never followed.
struct ModalRecord
{
    Widget* modalWidget = nullptr;
    Widget* previousModalBase = nullptr;
    Widget* previousFocus = nullptr;
    FlagsMod previousBelowModalFlagsMod;
};

} // namespace Vesk
