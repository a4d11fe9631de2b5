#pragma once
// How the shell controls take on the platform's look: auto-completion of
// edit fields, the icon-title font, the explorer styles of lists and trees,
// and scrolling a control while something is dragged near its edge.
#include <windows.h>

#include "toolkit/Controls.h"
#include "toolkit/ListView.h"
#include "toolkit/TreeView.h"

namespace ts {

// File-system and/or address completion for an edit window; false when the
// platform has none or refuses.
bool SetAutoComplete(HWND edit, bool fileSystem, bool urls);
void AssignIconTitleFont(TFont& font);
// From Vista on: row selection, double buffering and the explorer theme.
void ApplyExplorerListStyle(TCustomListView& list);
// From Vista on: the explorer theme, fading expand buttons and no lines.
void ApplyExplorerTreeStyle(TCustomTreeView& tree);
// Scrolls one line towards an edge the client point is near, where the
// control can scroll that way.
void AutoScrollControl(TWinControl& control, POINT point);

}  // namespace ts
