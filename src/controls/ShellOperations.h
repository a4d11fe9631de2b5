#pragma once
// How the shell controls report the file operations they started, and which
// drop effects they offer and accept.
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Set.h"
#include "toolkit/StringList.h"

namespace ts {

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

}  // namespace ts
