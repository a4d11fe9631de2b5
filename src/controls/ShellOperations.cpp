#include "controls/ShellOperations.h"

#include "link/NsSelectionList.h"
#include "link/NsShellLink.h"
#include "shell/FileProbes.h"

namespace ts {

TNsShellOperations PasteOperations(const TStringList* pasted) {
  const bool moved = pasted != nullptr && pasted->GetCount() > 0 && !PathExists((*pasted)[0]);
  return moved ? TNsShellOperations{sopMove, sopPaste, sopAdd} : TNsShellOperations{sopCopy, sopPaste, sopAdd};
}

TNsShellOperations DragOperations(DWORD effect) {
  if (effect == DROPEFFECT_COPY) return {sopCopy, sopDrag};
  if (effect == DROPEFFECT_MOVE) return {sopMove, sopDrag, sopRemove};
  return {sopDrag};
}

TNsShellOperations DropOperations(DWORD effect) {
  if (effect == DROPEFFECT_COPY) return {sopCopy, sopDrop};
  if (effect == DROPEFFECT_MOVE) return {sopMove, sopDrop};
  return {sopDrop};
}

void ReportShellOperation(TObject* sender, TNsShellLink* link, const TOnOperation& handler,
                          TNsShellOperations Operation, TStringList* Files, const std::wstring& Destination) {
  const bool haveFiles = Files != nullptr && Files->GetCount() > 0;
  if (link != nullptr && Operation.Contains(sopRename) && haveFiles)
    if (TNsSelectionList* selection = link->GetSelectionList()) selection->PathWasRenamed((*Files)[0], Destination);
  if (haveFiles && handler) handler(sender, Operation, Files, Destination);
}

}  // namespace ts
