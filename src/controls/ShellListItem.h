#pragma once
// The items of the shell list view: a list item with a check state, the
// shell item it stands for (its identifier list relative to the list's folder,
// built up to an absolute one on demand), and a typed view of the list's items.
#include <string>

#include "controls/ShellItemFlags.h"
#include "link/NsSelectionState.h"
#include "shell/ItemIdList.h"
#include "toolkit/ListView.h"

namespace ts {

class TNsBaseShellListView;
class TNsShellList;

// A list item with a check box state, kept as its state-image index: a
// negative index reads as ssUnused, any other is the state's ordinal.
class TNsCheckableListItem : public TListItem {
  TS_CLASS(TNsCheckableListItem, TListItem)

public:
  explicit TNsCheckableListItem(TListItems* owner) : TListItem(owner) {}

  virtual TNsSelectionState GetCheckState();
  virtual void SetCheckState(TNsSelectionState value);
  // True for ssChecked and ssGrayed.
  virtual bool GetChecked();
  // ssChecked or ssUnChecked.
  virtual void SetChecked(bool value);
  virtual std::wstring GetPath() = 0;

  TNsBaseShellListView* GetListView() const;
  // Whether the item has been through its list's FillItem.
  bool GetInitialized() const noexcept { return fInitialized; }

protected:
  bool fInitialized = false;

  friend class TNsBaseShellListView;
};

class TNsShellListItem : public TNsCheckableListItem {
  TS_CLASS(TNsShellListItem, TNsCheckableListItem)

public:
  explicit TNsShellListItem(TListItems* owner) : TNsCheckableListItem(owner) {}
  // Releases both lists and cancels the item's background jobs.
  ~TNsShellListItem() override;

  // The full path, through the list's GetFullPath.
  std::wstring GetPath() override;
  virtual bool GetIsParentFolderItem() const noexcept { return Flags.Contains(sitIsParentFolderItem); }

  // Relative to the list's folder; lent, null for the parent-folder item.
  PCItemIDList GetRelativePIDL() const noexcept { return fRelativePIDL.Get(); }
  // Takes ownership of value; the absolute list and the cached path go.
  void SetRelativePIDL(PItemIDList value);
  // The list's folder followed by the relative list, built on first use; lent.
  PCItemIDList GetAbsolutePIDL();

  bool GetIsCompressed() const noexcept { return Flags.Contains(sitCompressed); }
  void SetIsCompressed(bool value) { SetFlag(sitCompressed, value); }
  bool GetIsEncrypted() const noexcept { return Flags.Contains(sitEncrypted); }
  void SetIsEncrypted(bool value) { SetFlag(sitEncrypted, value); }
  bool GetIsFolder() const noexcept { return Flags.Contains(sitIsFolder); }
  std::wstring GetFullPath();
  TNsShellList* GetListView() const;

  // The list view's next item from this one in a direction with the states.
  TNsShellListItem* GetNextItem(TSearchDirection Direction, UINT States);
  // The shown folder's CompareIDs of the two items (low 16 bits, signed; 0
  // when the folder fails), by the list's current sort column.
  int Compare(TNsShellListItem* other);
  // The same against a relative list; SortColumn -1 is the list's column.
  int Compare(PCItemIDList relative, int SortColumn);

  // Notes that jobs were queued for the item, so that its end cancels them.
  void NoteJobsQueued() noexcept { fJobsQueued = true; }
  // Whether the item's pictures were asked for since its image was last
  // reset: a placeholder that could not be made then waits for its job
  // instead of being made again at every paint.
  bool GetPicturesRequested() const noexcept { return fPicturesRequested; }
  void SetPicturesRequested(bool value) noexcept { fPicturesRequested = value; }
  // The image index back to none, so that the next paint makes new pictures.
  void ResetPictures() {
    fPicturesRequested = false;
    SetImageIndex(-1);
  }

  // 1 when made; SmartRefresh marks the items it met again with 1, 0 else.
  int32_t Tag = 1;
  // The full parsing path once asked for.
  std::wstring FullPath_Cache;
  TNsShellItemFlags Flags;

private:
  void SetFlag(TNsShellItemFlag flag, bool value) {
    if (value) Flags.Include(flag); else Flags.Exclude(flag);
  }

  TPidl fRelativePIDL;
  TPidl fAbsolutePIDL;
  bool fJobsQueued = false;
  bool fPicturesRequested = false;
};

// The shell list's items, typed.
class TNsShellListItems {
public:
  explicit TNsShellListItems(TListItems& items) noexcept : fItems(items) {}

  int Count() const noexcept { return fItems.Count(); }
  TNsShellListItem* Item(int index) const { return static_cast<TNsShellListItem*>(fItems.Item(index)); }
  TNsShellListItem* operator[](int index) const { return Item(index); }
  TNsShellListItem* Add() { return static_cast<TNsShellListItem*>(fItems.Add()); }
  TNsShellListItem* Insert(int index) { return static_cast<TNsShellListItem*>(fItems.Insert(index)); }
  void Delete(int index) { fItems.Delete(index); }
  void Clear() { fItems.Clear(); }
  int IndexOf(const TListItem* item) const { return fItems.IndexOf(item); }
  void BeginUpdate() { fItems.BeginUpdate(); }
  void EndUpdate() { fItems.EndUpdate(); }
  TListItems& Base() noexcept { return fItems; }

private:
  TListItems& fItems;
};

}  // namespace ts
