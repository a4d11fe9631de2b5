#pragma once
// The link that keeps a group of shell controls (a pane's tree, list and
// path combo) on one folder: each control reports its moves, selections and
// requests to the link, which passes them on to the others.
#include <string>

#include "link/NsBaseComponent.h"
#include "link/NsShellControl.h"
#include "toolkit/InterfaceList.h"
#include "toolkit/StringList.h"

namespace ts {

class TNsSelectionList;

// The registered controls, in registration order; each operation runs under
// the list's own lock. The references do not keep the controls alive.
class TNsShellControlList : public TInterfaceList {
  TS_CLASS(TNsShellControlList, TInterfaceList)
};

class TNsShellLink : public TNsBaseComponent {
  TS_CLASS(TNsShellLink, TNsBaseComponent)

public:
  explicit TNsShellLink(TComponent* AOwner);
  // Detaches every control, from the last to the first.
  ~TNsShellLink() override;

  void RegisterShellControl(INsShellControl* ShellControl);
  void UnregisterShellControl(INsShellControl* ShellControl);
  int ControlCount() const { return fNsShellControlList.Count(); }

  // Guarded: the link is disabled while the others are told, so their own
  // reports of the same move are dropped; OnChange follows.
  void PathChanged(INsShellControl* Sender, PCItemIDList PIDL);
  void FileChanged(INsShellControl* Sender, PCItemIDList FolderPIDL, PCItemIDList FilePIDL);
  // Plain: every other control, in registration order.
  void SelectAll(INsShellControl* Sender);
  void Refresh(INsShellControl* Sender);
  void SmartRefresh(INsShellControl* Sender);
  // The first other control that goes up ends it; with none, the sender
  // goes up itself.
  void GoUp(INsShellControl* Sender);
  // With no sender: every control.
  void SelectAll() { SelectAll(nullptr); }
  void SmartRefresh() { SmartRefresh(nullptr); }
  void GoUp() { GoUp(nullptr); }
  void FullRefresh() { Refresh(nullptr); }
  void Refresh() { FullRefresh(); }

  bool GetShowParentFolderItem() const noexcept { return fShowParentFolderItem; }
  void SetShowParentFolderItem(bool value) noexcept { fShowParentFolderItem = value; }
  std::wstring GetVersion() const;
  void SetVersion(const std::wstring&) noexcept {}
  // The group's check-box selection, owned by the link.
  TNsSelectionList* GetSelectionList() const noexcept { return fSelectionList; }
  // Frees the list held and takes value over (it may be null).
  void SetSelectionList(TNsSelectionList* value);

  TNotifyEvent OnChange;

protected:
  // Forgets the selection list when it is freed by someone else.
  void Notification(TComponent* component, TOperation operation) override;

private:
  template <typename Call>
  void Broadcast(INsShellControl* Sender, Call call);
  template <typename Call>
  void GuardedBroadcast(INsShellControl* Sender, Call call);

  TNsShellControlList fNsShellControlList;
  TNsSelectionList* fSelectionList = nullptr;
  bool fShowParentFolderItem = true;
};

// How every control's ShellLink property is written: the same value does
// nothing; otherwise the control leaves its old link and joins the new one.
void AssignShellLink(TNsShellLink*& field, TNsShellLink* value, INsShellControl* control);

}  // namespace ts
