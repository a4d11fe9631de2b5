#pragma once
// The browser object: a cursor through the shell namespace. It is bound to one
// folder at a time (its absolute identifier list and IShellFolder), enumerates
// it item by item, holds one current item and answers questions about it.
//
// Ownership: GetFolderIdList and GetItemIdList hand out copies the caller
// frees; GetAbsoluteItemIdList lends the browser's own list, valid until the
// item or folder changes. Every setter copies its argument.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/ItemIdList.h"
#include "shell/SpecialFolders.h"
#include "toolkit/Alignment.h"
#include "toolkit/Graphics.h"
#include "toolkit/Image.h"
#include "toolkit/ComPtr.h"
#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace ts {

class TNsPathList;
class TNsBrowser;

using TOnContextMenuSelectEvent = std::function<void(TObject* sender, const std::wstring& command, bool& execute)>;
using TOnBeforeShellCommand = std::function<void(TNsBrowser* sender, const std::wstring& command, TNsPathList* paths,
                                                 bool& allowExecute)>;

class TNsBrowser : public TComponent {
  TS_CLASS(TNsBrowser, TComponent)

public:
  explicit TNsBrowser(TComponent* AOwner);
  // Without owner, with ObjectName set to the path.
  explicit TNsBrowser(const std::wstring& aObjectPath);
  ~TNsBrowser() override;

  // Lets the browser use its owner's window from now on.
  void Initialize() { fInitialized = true; }

  // Published properties.
  std::wstring GetFilter() const;
  void SetFilter(const std::wstring& value);
  std::wstring GetFolder();
  void SetFolder(const std::wstring& value);
  std::wstring GetObjectName();
  void SetObjectName(const std::wstring& value);
  bool GetFileSystemOnly() const noexcept { return FFileSystemOnly; }
  void SetFileSystemOnly(bool value) noexcept { FFileSystemOnly = value; }
  TStringList* GetMultiObjects() const noexcept { return FMultiObjects.get(); }
  // Takes ownership of value and frees the old list; null is ignored.
  void SetMultiObjects(TStringList* value);
  bool GetShowErrorMessages() const noexcept { return fShowErrorMessages; }
  void SetShowErrorMessages(bool value) noexcept { fShowErrorMessages = value; }
  bool GetShowContextMenuOnTop() const noexcept { return fShowContextMenuOnTop; }
  void SetShowContextMenuOnTop(bool value) noexcept { fShowContextMenuOnTop = value; }
  TNsShellFolder GetSpecialFolder();
  void SetSpecialFolder(TNsShellFolder value);
  std::wstring GetVersion() const;
  void SetVersion(const std::wstring&) noexcept {}

  TNotifyEvent OnRename;
  TOnContextMenuSelectEvent OnContextMenuSelect;
  TOnBeforeShellCommand OnBeforeShellCommand;

  // Public properties.
  PItemIDList GetFolderIdList() const;  // a copy, or null
  void SetFolderIdList(PCItemIDList value);
  PItemIDList GetItemIdList() const;  // a copy, or null
  void SetItemIdList(PCItemIDList value);
  PCItemIDList GetAbsoluteItemIdList();  // lent
  void SetAbsoluteItemIdList(PCItemIDList value);
  IShellFolder* GetShellFolder() const noexcept { return FShellFolder.Get(); }  // lent
  void SetShellFolder(IShellFolder* value);
  bool GetReadOnly() const noexcept { return fReadOnly; }
  void SetReadOnly(bool value) noexcept { fReadOnly = value; }
  TNsShellFolder GetSpecialObject() { return IsSpecialObject(); }
  void SetSpecialObject(TNsShellFolder value);

  // Navigation. Binding a folder that cannot be opened raises ENsBrowserError
  // and leaves the previous binding (folder, item, enumeration) in place.
  bool SelectParent();
  // Enters the current item when it is a folder; false for other items.
  // Raises ENsBrowserError when the folder cannot be opened.
  bool BrowseObject();
  bool CheckIfValid(bool pFolderOnly);
  // The next item of the bound folder that passes the filters; false at the
  // end, after which the next call starts over.
  bool Next();

  // Item queries, about the current item.
  std::wstring GetShellObjectName(bool pInFolderName);
  ULONG GetAttributes(ULONG Attributes);
  bool IsFolder();
  bool IsFileSystemFolder();
  bool HasSubFolders();
  bool IsHidden() { return GetAttributes(SFGAO_HIDDEN) != 0; }
  bool IsLink() { return GetAttributes(SFGAO_LINK) != 0; }
  std::wstring IsLinkToFolder();
  bool IsDrive();
  bool CanRename() { return GetAttributes(SFGAO_CANRENAME) != 0; }
  TNsShellFolder IsSpecialObject();
  // The small icon's index in the system image list, closed and opened.
  int GetIconNumber();
  int GetSelectedIconNumber();
  int GetOverlayIndex();
  int64_t GetFileSize();
  double GetLastChangeDate();
  int GetDesktopIconIndex();
  std::wstring GetDesktopName();
  bool ShowNetConnectionDialog();
  bool GetFindData();
  const WIN32_FIND_DATAW& FindData() const noexcept { return FindDataFromIDL; }
  std::wstring GetItemFullPath();
  bool MatchesFilter();

  // Columns, UI objects, info tips and renaming.
  std::wstring GetColumnText(int col, bool Header);
  // Width 0 marks a column that is not shown by default.
  TAlignment GetColumnInfo(int col, int& Width);
  ULONG GetSortColumn();
  // The platform's UI object (riid) for the current item or, when
  // MultiObjects holds two or more entries, for those; null on failure with
  // the platform's code as the last error. MultiObjects is cleared.
  TComPtr<IUnknown> GetUIObject(REFIID riid);
  template <typename T>
  TComPtr<T> GetUIObjectAs(REFIID riid) {
    return TComPtr<T>::Attach(static_cast<T*>(GetUIObject(riid).Detach()));
  }
  std::wstring GetInfoTip(bool UseSlowInfoTip);
  // Renames the current item; NewName comes back as the name now shown.
  bool RenameObject(std::wstring& NewName);

  // Thumbnails: the shell's preview of the current item fitted to the box
  // (200 x 200 when a side is not positive), or with pIconInstead its icon
  // when there is none; null when neither can be made.
  std::unique_ptr<TBitmap> GetThumbnailBitmap(int pWidth, int pHeight, bool pIconInstead);
  // The thumbnail in the control's size into its picture; false leaves the
  // picture as it was.
  bool GetThumbnailImage(TImage& Image);

  // The window platform calls may show their windows on; 0 for none.
  HWND GetOwnerWindow();
  bool GetInitialized() const noexcept { return fInitialized; }

protected:
  void Loaded() override;
  void ResetItemCache();

private:
  void BindFolder(PCItemIDList value);
  bool GetDetailsInterface();
  HRESULT GetDetailsOf(PCUITEMID_CHILD item, int col, SHELLDETAILS& details);
  void CollectMultiObjectItems(std::vector<TPidl>& items);
  // One MultiObjects entry as a list relative to the folder bound afterwards;
  // null when it is not found.
  PItemIDList ResolveMultiObject(const std::wstring& entry);
  std::unique_ptr<TBitmap> ThumbnailFromImageFactory(int cx, int cy, int pWidth, int pHeight, bool pIconInstead);
  std::unique_ptr<TBitmap> ThumbnailFromExtractor(int cx, int cy, int pWidth, int pHeight, bool pIconInstead);
  void DropEnumeration() { Objects.Reset(); }
  void SetCurrentItem(PItemIDList owned);
  bool FetchItem(TPidl& item);
  bool PassesFileSystemOnly();
  void SelectByName(const std::wstring& name);
  [[noreturn]] void RaiseCannotFind(const std::wstring& name);

  std::wstring FDirectory;
  bool FDirectoryUpToDate = false;
  TPidl FFolderIdList;
  TComPtr<IShellFolder> FShellFolder;
  TPidl FItemIDList;
  TPidl FAbsoluteIdList;
  TComPtr<IEnumIDList> Objects;
  bool FFileSystemOnly = false;
  std::unique_ptr<TStringList> FMultiObjects;
  std::unique_ptr<TStringList> FFilter;
  TComPtr<IContextMenu2> ActiveIContextMenu;
  TComPtr<IShellDetails> Ishd;
  TComPtr<IShellFolder2> IShF2;
  bool TriedIshd = false;
  WIN32_FIND_DATAW FindDataFromIDL{};
  bool fInitialized = false;
  bool fReadOnly = false;
  int fHasSubFolders = -1;
  bool fShowErrorMessages = true;
  bool fShowContextMenuOnTop = false;
  HWND fContextMenuCallbackWnd = nullptr;
  TNsShellFolder fSpecialFolder = SF_INVALID;
  std::wstring fFullPathCache = L"-";
};

// The browser's version text.
constexpr wchar_t NsBrowserVersionSuffix[] = L" V7.1.0.530";

}  // namespace ts
