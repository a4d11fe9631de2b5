#pragma once
// The platform's browse-for-folder dialog: a tree below a root folder (a
// special folder or a path), the folder to start at, the dialog's caption,
// button, place and options, and the chosen folder as a path and as a
// special folder. The folder last chosen in the process is where the next
// dialog starts.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "link/NsBaseDialog.h"
#include "shell/ItemIdList.h"
#include "shell/SpecialFolders.h"
#include "toolkit/Set.h"

namespace ts {

enum TNsBrowseFlag : uint8_t {
  bfNewDialogStyle, bfFileSystemOnly, bfBrowseIncludeFiles, bfEditBox, bfBrowseForComputer, bfReturnInvalidPath
};
using TNsBrowseFlags = TSet<TNsBrowseFlag, uint8_t>;

// How the dialog is run: SHBrowseForFolderW. Replaceable so that tests can
// look at what the platform is asked.
using TBrowseForFolderCall = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW info);
extern TBrowseForFolderCall BrowseForFolderCall;

// The platform's flags for the options.
UINT BrowseInfoFlags(TNsBrowseFlags options);

class TNsBaseBrowseDialog : public TNsBaseDialog {
  TS_CLASS(TNsBaseBrowseDialog, TNsBaseDialog)

public:
  // Starts at the folder last chosen in the process.
  explicit TNsBaseBrowseDialog(TComponent* AOwner);

  using TNsBaseDialog::Execute;
  // True when the user chose an item. Path and SpecialFolder then name it;
  // after a cancel Path holds the last selection made in the dialog.
  bool Execute(HWND ParentWnd) override;
  // The file-system path of an absolute list; for an item without one the
  // path of the browser's folder, else the item's name in its parent (the
  // name of a network server, for one); empty when there is neither.
  std::wstring GetPath(PCItemIDList IdList) const;

  // Fires on every selection change while the dialog is open.
  TNotifyEvent OnChange;

protected:
  // Handles the dialog's callback messages; answers 0.
  virtual int DialogCallback(HWND Wnd, UINT uMsg, LPARAM lParam);

  const std::wstring& GetPath() const noexcept { return fPath; }
  void SetPath(const std::wstring& value) { fPath = value; }
  const std::wstring& GetTitle() const noexcept { return fTitle; }
  void SetTitle(const std::wstring& value) { fTitle = value; }
  TNsShellFolder GetRootedAt() const noexcept { return fRootedAt; }
  void SetRootedAt(TNsShellFolder value) noexcept { fRootedAt = value; }
  const std::wstring& GetRootedAtFileSystemFolder() const noexcept { return fRootedAtFileSystemFolder; }
  // Roots the tree at the path (RootedAt becomes SF_FILESYSTEMFOLDER); at
  // design time only a path that exists is taken.
  void SetRootedAtFileSystemFolder(const std::wstring& value);
  TNsShellFolder GetSpecialFolder() const noexcept { return fSpecialFolder; }
  // The open dialog's position; the stored one while it is closed. A value
  // of 0 or less on either centres the dialog on the screen.
  int GetDialogLeft() const;
  void SetDialogLeft(int value);
  int GetDialogTop() const;
  void SetDialogTop(int value);
  bool GetOKButtonEnabled() const noexcept { return fOKButtonEnabled; }
  void SetOKButtonEnabled(bool value);
  const std::wstring& GetWindowTitle() const noexcept { return fWindowTitle; }
  void SetWindowTitle(const std::wstring& value);
  const std::wstring& GetDialogButtonCaption() const noexcept { return fDialogButtonCaption; }
  void SetDialogButtonCaption(const std::wstring& value);
  TNsBrowseFlags GetOptions() const noexcept { return fOptions; }
  // The edit box needs the new dialog style, which browsing for computers
  // cannot have.
  void SetOptions(TNsBrowseFlags value);
  // Whether the last Execute ended on a typed path the dialog refused.
  bool GetReturnInvalidPathEnteredInDialog() const noexcept { return fReturnInvalidPathEnteredInDialog; }
  // The open dialog; 0 outside Execute.
  HWND GetDialogHandle() const noexcept { return fDialogHandle; }

private:
  static int CALLBACK BrowseCallbackProc(HWND Wnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
  PItemIDList RootItemIdList() const;
  void PlaceDialog();
  void SelectInitialItem();
  void SelectionChanged(PCItemIDList list);
  void UpdateOKButtonForPath();
  std::wstring DisplayNameOf(PCItemIDList list, const wchar_t* returnedName) const;

  std::wstring fPath;
  std::wstring fTitle;
  TNsShellFolder fRootedAt = SF_DESKTOP;
  HWND fDialogHandle = nullptr;
  TNsShellFolder fSpecialFolder = SF_FILESYSTEMFOLDER;
  int fDialogTop = -1;
  int fDialogLeft = -1;
  bool fOKButtonEnabled = false;
  std::wstring fWindowTitle;
  std::wstring fDialogButtonCaption;
  TNsBrowseFlags fOptions{bfNewDialogStyle};
  std::wstring fRootedAtFileSystemFolder;
  bool fReturnInvalidPathEnteredInDialog = false;
};

class TNsBrowseForFolder : public TNsBaseBrowseDialog {
  TS_CLASS(TNsBrowseForFolder, TNsBaseBrowseDialog)

public:
  explicit TNsBrowseForFolder(TComponent* AOwner) : TNsBaseBrowseDialog(AOwner) {}

  using TNsBaseBrowseDialog::GetOptions;
  using TNsBaseBrowseDialog::SetOptions;
  using TNsBaseBrowseDialog::GetRootedAtFileSystemFolder;
  using TNsBaseBrowseDialog::SetRootedAtFileSystemFolder;
  using TNsBaseBrowseDialog::GetTitle;
  using TNsBaseBrowseDialog::SetTitle;
  using TNsBaseBrowseDialog::GetRootedAt;
  using TNsBaseBrowseDialog::SetRootedAt;
  using TNsBaseBrowseDialog::GetPath;
  using TNsBaseBrowseDialog::SetPath;
  using TNsBaseBrowseDialog::GetDialogLeft;
  using TNsBaseBrowseDialog::SetDialogLeft;
  using TNsBaseBrowseDialog::GetDialogTop;
  using TNsBaseBrowseDialog::SetDialogTop;
  using TNsBaseBrowseDialog::GetWindowTitle;
  using TNsBaseBrowseDialog::SetWindowTitle;
  using TNsBaseBrowseDialog::GetDialogButtonCaption;
  using TNsBaseBrowseDialog::SetDialogButtonCaption;
  using TNsBaseBrowseDialog::GetSpecialFolder;
  using TNsBaseBrowseDialog::GetOKButtonEnabled;
  using TNsBaseBrowseDialog::SetOKButtonEnabled;
  using TNsBaseBrowseDialog::GetReturnInvalidPathEnteredInDialog;
};

}  // namespace ts
