#pragma once
// How the shell controls report the file operations they started, and which
// drop effects they offer and accept.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Set.h"
#include "toolkit/StringList.h"

namespace ts {

class TNsShellLink;

enum TNsShellOperation : uint8_t {
  sopCopy,
  sopMove,
  sopDrag,
  sopDrop,
  sopCut,
  sopPaste,
  sopDelete,
  sopRemove,
  sopAdd,
  sopRename
};
using TNsShellOperations = TSet<TNsShellOperation, uint16_t>;

using TOnOperation = std::function<void(TObject* Sender, TNsShellOperations Operation, TStringList* Files,
                                        const std::wstring& Destination)>;

// The drop effects (DROPEFFECT_...) a control offers when dragging from it and
// accepts when dropping on it.
enum TNsCopyMode : uint8_t { cmCopy = 1, cmMove = 2, cmLink = 4, cmDefault = 7 };

// DropTarget is the item or node dropped on, or the control for empty space;
// clearing ExecuteDrop cancels the drop.
using TOnBeforeShellDropEvent = std::function<void(TObject* Sender, TObject* DropTarget, TStringList* DroppedFiles,
                                                   bool& ExecuteDrop, int KeyState)>;

// The operations the controls report.
inline constexpr TNsShellOperations DeleteOperations{sopDelete, sopRemove};
inline constexpr TNsShellOperations PasteAddOperations{sopPaste, sopAdd};
inline constexpr TNsShellOperations RenameOperations{sopRename};

// A paste of these files (null: the clipboard had none): a move when the
// first of them is gone from where it was, a copy otherwise.
TNsShellOperations PasteOperations(const TStringList* pasted);
// A drag from a control that ended with this effect: a copy, a move (the
// items left their folder) or just a drag.
TNsShellOperations DragOperations(DWORD effect);
// A drop on a control that ended with this effect.
TNsShellOperations DropOperations(DWORD effect);

// Tells what a control did: a rename to the link's selection list (the
// first file was renamed to Destination), then everything to the handler,
// when it is set and there are files.
void ReportShellOperation(TObject* sender, TNsShellLink* link, const TOnOperation& handler,
                          TNsShellOperations Operation, TStringList* Files, const std::wstring& Destination);

}  // namespace ts
