#pragma once
// What the shell list's tests share: a visible form with a list on it, the
// texts the list shows, and a control that records what its link tells it.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "controls/ShellList.h"
#include "link/NsShellControl.h"
#include "shell/ItemIdListPaths.h"
#include "support/MessagePump.h"
#include "toolkit/Forms.h"

namespace ts::test {

using Names = std::vector<std::wstring>;

// A form with a shell list filling it, shown.
struct TListForm {
  TForm Form{nullptr};
  TNsShellList* List;

  explicit TListForm(int width = 640, int height = 480) {
    Form.SetBounds(20, 20, width, height);
    List = new TNsShellList(&Form);
    List->SetAlign(alClient);
    List->SetParent(&Form);
    Form.Show();
  }

  Names Captions() const {
    Names names;
    for (int i = 0; i < List->GetItems().Count(); ++i) names.push_back(List->GetItems()[i]->GetCaption());
    return names;
  }
  // The caption of the items the list view has selected, in item order.
  Names SelectedCaptions() const {
    Names names;
    for (int i = 0; i < List->GetItems().Count(); ++i)
      if (List->GetItems()[i]->GetSelected()) names.push_back(List->GetItems()[i]->GetCaption());
    return names;
  }
  int IndexOf(const std::wstring& caption) const {
    for (int i = 0; i < List->GetItems().Count(); ++i)
      if (List->GetItems()[i]->GetCaption() == caption) return i;
    return -1;
  }
  TNsShellListItem* ItemNamed(const std::wstring& caption) const {
    const int index = IndexOf(caption);
    return index >= 0 ? List->GetItems()[index] : nullptr;
  }
  // Has the list view draw what is in view now.
  void Draw() const {
    InvalidateRect(List->GetHandle(), nullptr, TRUE);
    UpdateWindow(List->GetHandle());
  }
  // The text the window shows for an item's column.
  std::wstring WindowText(int index, int column) const {
    wchar_t buffer[512] = {};
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = buffer;
    lv.cchTextMax = 512;
    SendMessageW(List->GetHandle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
    return buffer;
  }
  int HeaderFormat(int column, HBITMAP* bitmap = nullptr) const {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    SendMessageW(List->GetHeaderHandle(), HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    if (bitmap != nullptr) *bitmap = item.hbm;
    return item.fmt;
  }
  // Clicks a column's header with the mouse.
  void ClickHeader(int column) const {
    HWND header = List->GetHeaderHandle();
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    const LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(header, WM_LBUTTONUP, 0, point);
  }
};

// A shell control that only records what its link asks of it.
class TRecordingControl : public INsShellControl {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_INsShellControl)) {
      *object = static_cast<INsShellControl*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void SetShellLink(TNsShellLink* link) override { Link = link; }
  TNsShellLink* GetShellLink() override { return Link; }
  void PathChanged(PCItemIDList PIDL) override { Calls.push_back(L"PathChanged " + ItemIdListToPath(PIDL)); }
  void FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) override {
    TPidl file(ConcatItemIdLists(FolderPIDL, FilePIDL));
    Calls.push_back(L"FileChanged " + ItemIdListToPath(file.Get()));
  }
  void SelectAll() override { Calls.push_back(L"SelectAll"); }
  void FullRefresh() override { Calls.push_back(L"FullRefresh"); }
  void SmartRefresh() override { Calls.push_back(L"SmartRefresh"); }
  bool GoUp() override {
    Calls.push_back(L"GoUp");
    return false;
  }

  TNsShellLink* Link = nullptr;
  Names Calls;
};

}  // namespace ts::test
