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
#include "toolkit/Controls.h"
#include "toolkit/Menus.h"
#include "toolkit/StringList.h"
#include "toolkit/UtilityWindow.h"

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

  // Context menus and verbs. Positions are screen coordinates; command
  // identifiers 1 to 255 are the shell handler's, the application's menu
  // items carry 256 and above. Every operation consumes MultiObjects.
  //
  // The shell's menu for the current item (or MultiObjects) merged into a
  // copy of the application's menu M at ShellMenuAnchor (or at its end);
  // answers the verb of the shell command that was chosen and carried out,
  // else empty. An application item chosen runs its click handler.
  std::wstring ShowContextMenu(POINT lppt, TPopupMenu* M, TMenuItem* ShellMenuAnchor);
  // As above with the menu that holds ShellMenuAnchor.
  std::wstring ShowContextMenu(POINT Pos, TMenuItem* ShellMenuAnchor);
  // The bound folder's background menu merged with a copy of aMenu; answers
  // the chosen command's verb, else empty.
  std::wstring ShowBackgroundMenu(POINT aPoint, TPopupMenu* aMenu);
  // Runs a verb of the current item (or MultiObjects) without a menu; the
  // empty verb is the default command. Answers whether it was carried out.
  bool InvokeContextMenuCommand(const std::wstring& verb);
  // The menu messages (WM_INITMENUPOPUP, WM_DRAWITEM, WM_MEASUREITEM,
  // WM_MENUSELECT) for the shell menu being shown; owner controls forward
  // them while a menu of theirs is open.
  void HandlePopupMessages(TMessage& Message);
  // The shell handler of the menu being shown (null when none, or when it
  // draws nothing itself) and the application menu shown with it; lent.
  IContextMenu2* GetActiveIContextMenu() const noexcept { return ActiveIContextMenu.Get(); }
  TPopupMenu* GetActiveAppContextMenu() const noexcept { return ActiveAppContextMenu; }

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

  // Context menus.
  std::wstring TrackContextMenu(POINT position, TPopupMenu* menu, TMenuItem* anchor);
  // One menu over items of several folders; the class keys it opens stay
  // open (in classKeys) for the menu's life.
  TComPtr<IContextMenu> CreateMultiFolderContextMenu(TStringList& paths, HWND owner, std::vector<HKEY>& classKeys);
  static HRESULT CALLBACK DefFolderMenuCallback(IShellFolder* folder, HWND window, IDataObject* data, UINT message,
                                                WPARAM wParam, LPARAM lParam);
  static int CopyMenuItems(TMenuItem& source, TMenuItem& destination, TMenuItem* anchor);
  static int ClickMenuCommand(TMenuItem& items, int command);
  static bool IsShiftDown();
  bool DoContextMenuSelect(const std::wstring& verb);
  // Paths are the entries of requested, or the current item when it is empty.
  bool DoBeforeShellCommand(const std::wstring& verb, const TStringList& requested);
  std::wstring ContextMenuTargetPath();
  // Runs a verb of the handler in a menu that is never shown.
  HRESULT InvokeVerb(IContextMenu* handler, const std::wstring& verb);
  void OpenContextMenuWindow();
  // Lets go of what the last menu kept (the background menu keeps its
  // handler and application menu until the next menu).
  void ReleaseContextMenu();

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
  TPopupMenu* ActiveAppContextMenu = nullptr;
  // The copy of the application's menu while it is shown (the background
  // menu's stays until the next menu).
  std::unique_ptr<TPopupMenu> fContextMenuCopy;
  std::unique_ptr<TUtilityWindow> fContextMenuWindow;
  LPFNDFMCALLBACK fDefMenuCreateCallback = nullptr;
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
