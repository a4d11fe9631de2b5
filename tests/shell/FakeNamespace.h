#pragma once
// A small shell namespace for tests: folders and items a test sets up, with
// their names, attributes and paths, failures on demand and call counters.
// Installing it replaces the desktop folder, the special-folder lookup and
// the path lookup of the shell layer until it is removed.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/ItemIdList.h"
#include "shell/ShellFunctions.h"
#include "shell/SpecialFolders.h"

namespace ts::test {

struct TFakeColumn {
  std::wstring Title;
  int Format = LVCFMT_LEFT;
  int Chars = 20;
  SHCOLSTATEF State = SHCOLSTATE_ONBYDEFAULT;
};

struct TFakeItem {
  uint32_t Id = 0;
  std::wstring DisplayName;  // SHGDN_INFOLDER and SHGDN_NORMAL
  std::wstring Path;         // the file-system path; empty for virtual items
  ULONG Attributes = 0;
  bool Parseable = true;     // found by ParseDisplayName under its display name
  bool BindFails = false;    // BindToObject gives no folder
  int FailEnumerationAfter = -1;  // the enumerator fails after this many items
  std::vector<std::shared_ptr<TFakeItem>> Children;
  TFakeItem* Parent = nullptr;
  // As a folder: its columns, the sources it offers them through, and the
  // texts of its children by column.
  std::vector<TFakeColumn> Columns;
  bool OffersFolder2 = false;
  bool OffersDetails = false;
  bool DetailsFail = false;
  ULONG DefaultSortColumn = 0;
  // CompareIDs orders children by their text in the column asked for (then
  // by number), instead of by number alone.
  bool ComparesByColumnText = false;
  std::vector<std::wstring> ColumnTexts;  // this item's text per column
  // As a folder: whether it offers IShellIconOverlay. As an item: the
  // 1-based overlay index that source answers; 0 or less makes it fail.
  bool OffersOverlays = false;
  int OverlayIndex = 0;
};

struct TFakeCounters {
  int EnumObjects = 0;
  int ParseDisplayName = 0;
  int BindToObject = 0;
  int GetAttributesOf = 0;
  int SpecialFolderLookups = 0;
  int CreateViewObject = 0;
  int CompareIDs = 0;
  LPARAM LastCompareColumn = -1;
  UINT LastUIObjectCount = 0;
  // The folder the last UI object was asked of, and the items it was asked
  // for (0 for an item that folder does not hold).
  uint32_t LastUIObjectFolder = 0;
  std::vector<uint32_t> LastUIObjectItems;
  DWORD LastInfoTipFlags = 0;
};

class TFakeNamespace {
public:
  TFakeNamespace();
  ~TFakeNamespace();
  TFakeNamespace(const TFakeNamespace&) = delete;
  TFakeNamespace& operator=(const TFakeNamespace&) = delete;

  TFakeItem& Desktop() { return *fDesktop; }
  // Adds a child to parent and answers it.
  TFakeItem& Add(TFakeItem& parent, const std::wstring& displayName, ULONG attributes,
                 const std::wstring& path = {});
  // Makes item the answer for a special folder's CSIDL.
  void SetSpecial(int csidl, TFakeItem& item) { fSpecial[csidl] = &item; }
  // The absolute list of an item; the caller frees it.
  PItemIDList AbsoluteList(const TFakeItem& item) const;

  TFakeCounters Counters;
  // What every folder's CompareIDs answers instead of comparing, when set.
  HRESULT CompareIDsAnswer = S_OK;
  bool CompareIDsFails = false;
  // While set, BindToObject called from a thread other than the one that
  // made the namespace waits for the event (at most 60 s): a test holds
  // background jobs in flight. WorkersAtGate counts the calls waiting.
  std::atomic<HANDLE> WorkerGate{nullptr};
  std::atomic<int> WorkersAtGate{0};

  // Asked first for the UI objects of a folder's items and for a folder's
  // view objects; E_NOINTERFACE leaves the request to the fake itself.
  std::function<HRESULT(TFakeItem& folder, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid, void** object)>
      UIObjectOf;
  std::function<HRESULT(TFakeItem& folder, REFIID iid, void** object)> ViewObjectOf;

  // Used by the fake COM objects.
  TFakeItem* Resolve(TFakeItem& start, PCUIDLIST_RELATIVE list) const;
  static PItemIDList ChildList(const TFakeItem& item);
  static uint32_t FirstId(PCUIDLIST_RELATIVE list);
  IShellFolder* FolderOf(TFakeItem& item);  // a new reference
  // Holds a background thread at the gate while it is set.
  void PassGate();

private:
  static HRESULT LocateSpecial(int csidl, PItemIDList* list);
  static BOOL WINAPI PathOf(PCIDLIST_ABSOLUTE list, PWSTR path, DWORD chars, int flags);

  std::shared_ptr<TFakeItem> fDesktop;
  std::map<int, TFakeItem*> fSpecial;
  uint32_t fNextId = 1;
  IShellFolder* fDesktopFolder;

  DWORD fOwnerThread;
  IShellFolder* fSavedDesktopFolder;
  TSpecialFolderLocator fSavedLocator;
  decltype(TShellFunctions::SHGetPathFromIDListEx) fSavedPathOf;
};

}  // namespace ts::test
