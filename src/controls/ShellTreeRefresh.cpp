// The shell tree view's refresh commands and its automatic refresh: the
// shell's change notifications, each handled at once, or, within a burst of
// them, gathered until the burst is over, so that a folder that changes a
// thousand times in a row is read again once rather than a thousand times.
#include <windows.h>

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "controls/ShellTree.h"
#include "notify/NsShellChangeNotifier.h"
#include "shell/ItemIdList.h"
#include "shell/SpecialFolders.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"

namespace ts {

namespace {

// Changes closer together than this belong to one burst.
constexpr DWORD kBurstMs = 100;
// A change waits no longer than this, however long the burst.
constexpr DWORD kMostWaitMs = 1000;

// The bytes of the first count levels of a list, as a key.
std::string ListBytes(PCItemIDList list, int count) {
  std::string bytes;
  if (list == nullptr) return bytes;
  const auto* at = reinterpret_cast<const BYTE*>(list);
  for (int level = 0; level < count; ++level) {
    const USHORT size = *reinterpret_cast<const USHORT*>(at);
    if (size == 0) break;
    bytes.append(reinterpret_cast<const char*>(at), size);
    at += size;
  }
  return bytes;
}

// One LocateNode a change asks for.
struct TLocateStep {
  TNsLocateAction Action;
  PCItemIDList List;
};

void AddSteps(TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2, std::vector<TLocateStep>& steps) {
  switch (Event) {
    case neFileDelete:
    case neDriveRemove:
    case neFolderDelete:
      steps.push_back({laDelete, pidl1});
      break;
    case neFolderUpdate:
      steps.push_back({laRefresh, pidl1});
      break;
    case neFileRename:
    case neFolderRename:
      steps.push_back({laRefreshParent, pidl1});
      steps.push_back({laRefreshParent, pidl2});
      break;
    default:
      steps.push_back({laRefreshParent, pidl1});
      break;
  }
}

// The folder a step reads again: the item's folder, or the folder itself.
// A deletion takes its node out of the item's folder.
std::string FolderKey(const TLocateStep& step) {
  if (step.List == nullptr) return {};
  const int count = GetItemIdCount(step.List);
  return ListBytes(step.List, step.Action == laRefresh ? count : (count > 0 ? count - 1 : 0));
}

}  // namespace

// The refresh commands.

void TNsShellTree::FullRefresh() {
  Application->ProcessMessages();
  THourglassScope hourglass;
  TTreeNodes& items = GetItems();
  items.BeginUpdate();
  try {
    if (items.TopCount() == 0)
      SetRootedAt(fRootedAt);
    else
      RefreshNode(GetRootNode(), true, true);
  } catch (...) {
    items.EndUpdate();
    throw;
  }
  items.EndUpdate();
}

void TNsShellTree::SmartRefresh() {
  if (GetSelected() == nullptr) return;
  Application->ProcessMessages();
  TTreeNodes& items = GetItems();
  items.BeginUpdate();
  try {
    TNsShellTreeNode* node = GetSelected();
    if (node != nullptr) {
      if (node->GetText().empty() && node->GetParent() != nullptr) node = node->GetParent();
      RefreshNode(node, true, false);
    }
    if (!GetAutomaticRefresh()) {
      // The folders of items marked cut, deepest first: a refresh only
      // deletes below the folder it refreshes, which then was done already.
      std::vector<TNsShellTreeNode*> parents;
      for (TNsShellTreeNode* n = GetRootNode(); n != nullptr; n = n->GetNext())
        if (n->GetCut() && n->GetParent() != nullptr &&
            std::find(parents.begin(), parents.end(), n->GetParent()) == parents.end())
          parents.push_back(n->GetParent());
      std::stable_sort(parents.begin(), parents.end(),
                       [](TNsShellTreeNode* a, TNsShellTreeNode* b) { return a->GetLevel() > b->GetLevel(); });
      TTreeNodeWatch watch(*this);
      for (TNsShellTreeNode* parent : parents) watch.Add(parent);
      for (TNsShellTreeNode* parent : parents)
        if (watch.Alive(parent)) RefreshNode(parent, false, false);
    }
  } catch (...) {
    items.EndUpdate();
    throw;
  }
  items.EndUpdate();
}

// Change notifications.

void TNsShellTree::ShellChangeNotify(TObject*, TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2) {
  if (IsLoading() || IsDestroying()) return;
  if (fWalking > 0) {
    // A nested message loop brought it in the middle of a walk over the
    // nodes: it runs when the walk is over.
    TPendingChange change{Event, TPidl(CopyItemIdList(pidl1)), TPidl(CopyItemIdList(pidl2))};
    fPendingChanges.push_back(std::move(change));
    return;
  }
  std::vector<TLocateStep> steps;
  AddSteps(Event, pidl1, pidl2, steps);
  for (const TLocateStep& step : steps) LocateNode(step.List, step.Action);
}

void TNsShellTree::ChangeNotified(TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2) {
  if (IsLoading() || IsDestroying()) return;
  const DWORD now = CurrentTicks();
  const bool inBurst = fHaveLastChange && now - fLastChangeTicks < kBurstMs;
  fLastChangeTicks = now;
  fHaveLastChange = true;
  if (!inBurst && fPendingChanges.empty()) {
    ShellChangeNotify(fShellChangeNotifier, Event, pidl1, pidl2);
    return;
  }
  if (fPendingChanges.empty()) fFirstWaitingTicks = now;
  fPendingChanges.push_back(TPendingChange{Event, TPidl(CopyItemIdList(pidl1)), TPidl(CopyItemIdList(pidl2))});
  if (!fMergeTimerSet && HandleAllocated()) {
    SetTimer(fHandle, kMergeTimer, kBurstMs, nullptr);
    fMergeTimerSet = true;
  } else if (!HandleAllocated()) {
    // No window to time the burst with: the changes run now.
    RunPendingChanges();
  }
}

void TNsShellTree::MergeTimerFired() {
  const DWORD now = CurrentTicks();
  // The burst goes on: the changes wait a little longer, but not for ever.
  if (now - fLastChangeTicks < kBurstMs && now - fFirstWaitingTicks < kMostWaitMs && !fPendingChanges.empty()) return;
  KillTimer(fHandle, kMergeTimer);
  fMergeTimerSet = false;
  RunPendingChanges();
}

void TNsShellTree::RunPendingChanges() {
  if (fWalking > 0) return;  // the walk's end posts again
  std::vector<TPendingChange> changes;
  changes.swap(fPendingChanges);
  if (changes.empty()) return;
  std::vector<TLocateStep> steps;
  for (const TPendingChange& change : changes) AddSteps(change.Event, change.Pidl1.Get(), change.Pidl2.Get(), steps);
  // Every change happened before any step runs: a folder is read once, by
  // the last step that reads it, and a deletion in a folder that is read
  // anyway is left to that reading (but for network items, which a reading
  // of their folder may keep as items it does not list).
  std::vector<bool> skipped(steps.size(), false);
  std::unordered_set<std::string> read;
  for (size_t i = steps.size(); i-- > 0;) {
    if (steps[i].Action == laDelete || steps[i].List == nullptr) continue;
    skipped[i] = !read.insert(FolderKey(steps[i])).second;
  }
  for (size_t i = 0; i < steps.size(); ++i)
    if (steps[i].Action == laDelete && steps[i].List != nullptr && !IsNetworkItem(steps[i].List) &&
        read.count(FolderKey(steps[i])) > 0)
      skipped[i] = true;
  // The lists stay in changes while the steps run.
  for (size_t i = 0; i < steps.size(); ++i) {
    if (skipped[i] || IsDestroying()) continue;
    LocateNode(steps[i].List, steps[i].Action);
  }
}

}  // namespace ts
