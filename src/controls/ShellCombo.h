#pragma once
// The folder combo box of a pane: where the current folder lies in the
// namespace (the desktop, its top-level items, the computer's items with the
// drives first, and the chain of folders down to the current one), each
// entry with its small icon and indented by its depth; an edit field for
// typing a path (with %VARIABLES%) and Enter. Attached to a link it follows
// the other controls of its pane and moves them when the user picks or
// types a folder; drives, media and shares that come and go rebuild it.
#include <functional>
#include <memory>
#include <string>

#include "controls/ShellComboFolder.h"
#include "controls/ShellShowOptions.h"
#include "link/NsShellControl.h"
#include "notify/NsShellChangeNotifier.h"

namespace ts {

class TNsShellLink;
class TNsShellCombo;

using TOnAddFolderEvent = std::function<void(TObject* Sender, TNsComboItem* Item, bool& CanAdd)>;

class TNsShellCombo : public TNsCustomFolderCombo, public INsShellControl {
  TS_CLASS(TNsShellCombo, TNsCustomFolderCombo)

public:
  explicit TNsShellCombo(TComponent* AOwner);
  ~TNsShellCombo() override;

  // Rebuilds every item and shows the selected folder again.
  void FullRefresh() override;
  // The one way items enter the list: PIDL (absolute) is taken over, and
  // freed when the item is not added. A negative index appends.
  void InsertItem(int aIndex, const std::wstring& aCaption, const std::wstring& aDisplayName, int aIconNumber,
                  int aIndent, PItemIDList PIDL, bool Persistent);
  void AddShellItem(const std::wstring& aCaption, const std::wstring& aDisplayName, int aIconNumber, int aIndent,
                    PItemIDList PIDL, bool Persistent);
  // Appends the folder by its path unless an item has that caption.
  void AddFolder(const std::wstring& Path, int Indent, bool Persistent);
  bool DoAddFolder(TNsComboItem* pItem);
  // Shows an absolute identifier list's folder within the hierarchy.
  void ShowFolder(PCItemIDList PIDL);

  // The selected item's file-system path; empty for none.
  std::wstring GetSelectedFolder() override;
  // Goes to a path; one the shell cannot parse changes nothing (and is
  // reported with ShowErrorMessages).
  void SetSelectedFolder(const std::wstring& value) override;
  int GetItemIndex() const { return TCustomComboBox::GetItemIndex(); }
  // Selects an item and moves the linked controls there.
  void SetItemIndex(int value);

  // INsShellControl; the combo counts no references.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void SetShellLink(TNsShellLink* link) override;
  TNsShellLink* GetShellLink() override { return FShellLink; }
  void PathChanged(PCItemIDList PIDL) override { ShowFolder(PIDL); }
  void FileChanged(PCItemIDList, PCItemIDList) override {}
  void SelectAll() override { TNsCustomEditComboBox::SelectAll(); }
  void SmartRefresh() override {}
  bool GoUp() override { return false; }

  // Published properties.
  bool GetAutomaticRefresh() const noexcept { return fAutomaticRefresh; }
  void SetAutomaticRefresh(bool value);
  bool GetFileSystemOnly() const noexcept { return fNsBrowser->GetFileSystemOnly(); }
  void SetFileSystemOnly(bool value);
  bool GetShowContextMenu() const noexcept { return fShowContextMenu; }
  void SetShowContextMenu(bool value) noexcept { fShowContextMenu = value; }
  TNsShellShowOptions GetShowOptions() const noexcept { return fShowOptions; }
  void SetShowOptions(TNsShellShowOptions value);
  bool GetShowNethood() const noexcept { return fShowOptions.Contains(soShowNethood); }
  void SetShowNethood(bool value) { SetShowOption(soShowNethood, value); }
  bool GetShowRecycleBin() const noexcept { return fShowOptions.Contains(soShowRecycleBin); }
  void SetShowRecycleBin(bool value) { SetShowOption(soShowRecycleBin, value); }
  bool GetShowErrorMessages() const noexcept { return fShowOptions.Contains(soShowErrorMessages); }
  void SetShowErrorMessages(bool value) { SetShowOption(soShowErrorMessages, value); }
  bool GetShowHidden() const noexcept { return fShowOptions.Contains(soShowHidden); }
  void SetShowHidden(bool value) { SetShowOption(soShowHidden, value); }
  // Always false: the combo lists folders only.
  bool GetShowFiles() const noexcept { return fShowOptions.Contains(soShowFiles); }
  void SetShowFiles(bool value) { SetShowOption(soShowFiles, value); }
  bool GetShowContextMenuOnTop() const noexcept { return fShowOptions.Contains(soShowContextMenuOnTop); }
  void SetShowContextMenuOnTop(bool value) { SetShowOption(soShowContextMenuOnTop, value); }
  bool GetColorCompressed() const noexcept { return fShowOptions.Contains(soColorCompressed); }
  void SetColorCompressed(bool value) { SetShowOption(soColorCompressed, value); }
  bool GetColorEncrypted() const noexcept { return fShowOptions.Contains(soColorEncrypted); }
  void SetColorEncrypted(bool value) { SetShowOption(soColorEncrypted, value); }
  bool GetNoFillOnStartup() const noexcept { return fShowOptions.Contains(soNoFillOnStartup); }
  void SetNoFillOnStartup(bool value) { SetShowOption(soNoFillOnStartup, value); }
  bool GetShowFullPath() const noexcept { return FShowFullPath; }
  void SetShowFullPath(bool value);
  bool GetAutoComplete() const noexcept { return fAutoComplete; }
  void SetAutoComplete(bool value) noexcept { fAutoComplete = value; }
  bool GetInitialized() const noexcept { return FInitialized; }
  // The browser the combo walks the namespace with; lent.
  TNsBrowser& GetBrowser() noexcept { return *fNsBrowser; }
  TNsShellChangeNotifier& GetShellChangeNotifier() noexcept { return *fShellChangeNotifier; }

  TOnAddFolderEvent OnAddFolder;

  void WndProc(TMessage& message) override;

protected:
  void Loaded() override;
  void InitializeWindow() override;
  void DestroyWnd() override;
  void Change() override;
  void Select() override;
  // While the list is open the user's moves only move its highlight; the
  // pane follows when an item is picked (Enter or a click).
  void DropDown() override;
  void CloseUp() override;
  void EditKeyPress(TObject* Sender, wchar_t& Key) override;
  void EditKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) override;
  TNsSystemImageList& DrawingImages() override { return *FImageList; }
  std::wstring FaceText(TNsComboItem& item) override;

private:
  void InitializeItems();
  // Adds the enumerated folders of the browser's folder from aIndex, the
  // drives first.
  void AddFolderItems(int aIndex, int Indent);
  // Inserts the folders of a file-system path below its drive's item;
  // false when the path cannot be placed so.
  bool AddPathItems(const std::wstring& Path);
  void AddPidlItems(PCItemIDList PIDL);
  void RemoveTransientItems(int Index);
  bool InsertComboItem(int aIndex, const std::wstring& aCaption, const std::wstring& aDisplayName, int aIconNumber,
                       int aIndent, PItemIDList PIDL, bool Persistent);
  void DeleteComboItem(int index);
  void ClearComboItems();
  // Selects through the toolkit (running Select), as the user would.
  void SelectComboItem(int index);
  int IndexOfPidl(PCItemIDList PIDL) const;
  void ShellChangeNotified(TObject* Sender, TNotificationEvent Event, PCItemIDList pidl1, PCItemIDList pidl2);
  void ShowItemContextMenu(POINT screenPoint);
  void ReportPathToLink();
  // Shows a folder without moving the pane: the link is off meanwhile.
  void ShowFolderQuietly(PCItemIDList PIDL);
  // The open list closed by a pick (true) or without one.
  void ListClosed(bool picked);
  void SetShowOption(TNsShellShowOption option, bool value) { SetShowOptions(WithShowOption(fShowOptions, option, value)); }

  bool FInitialized = false;
  TNsShellLink* FShellLink = nullptr;
  std::unique_ptr<TNsSystemImageList> FImageList;
  bool FShowFullPath = false;
  bool fShowContextMenu = true;
  TNsShellShowOptions fShowOptions;
  std::unique_ptr<TNsShellChangeNotifier> fShellChangeNotifier;
  bool fAutomaticRefresh = true;
  bool fAutoComplete = true;
  // While above zero, moves are not yet reported to the link: an operation
  // made of several selections reports its end once.
  int fLinkReportHold = 0;
  // A folder the combo was told of while it had no window, or showed when
  // its window went: shown as soon as the window is there (again).
  TPidl fPendingFolder;
  // The open list: the item selected when it opened.
  bool fListOpen = false;
  int fIndexBeforeDrop = -1;
};

}  // namespace ts
