#pragma once
// What the tests of the list's commands share: keys pressed as the user
// presses them (with the modifiers held in the thread's key state), the
// clipboard read as another program reads it, and a list that counts its
// refreshes and records its reports.
#include <windows.h>
#include <shellapi.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ShellListSupport.h"
#include "shell/ClipboardFormats.h"

namespace ts::test {

// Holds keys down in the thread's keyboard state for a scope, as the
// platform's key-state questions see them.
class THeldKeys {
public:
  explicit THeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(fSaved);
    BYTE state[256];
    std::copy(std::begin(fSaved), std::end(fSaved), std::begin(state));
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  ~THeldKeys() { SetKeyboardState(fSaved); }
  THeldKeys(const THeldKeys&) = delete;
  THeldKeys& operator=(const THeldKeys&) = delete;

private:
  BYTE fSaved[256];
};

// A key as the window receives it: down, its character, up.
inline void PressKey(HWND window, WORD key, bool system = false) {
  SendMessageW(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 0);
  SendMessageW(window, system ? WM_SYSKEYUP : WM_KEYUP, key, 0xC0000000);
}
inline void TypeChar(HWND window, wchar_t c) { SendMessageW(window, WM_CHAR, c, 0); }

// The clipboard's files as another program reads them (OpenClipboard,
// CF_HDROP, DragQueryFileW); empty when it holds none.
inline std::vector<std::wstring> ClipboardPaths() {
  std::vector<std::wstring> paths;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  HANDLE data = GetClipboardData(CF_HDROP);
  if (data) {
    auto drop = static_cast<HDROP>(data);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t name[MAX_PATH * 4] = {};
      DragQueryFileW(drop, i, name, MAX_PATH * 4);
      paths.emplace_back(name);
    }
  }
  CloseClipboard();
  return paths;
}

// The clipboard's "Preferred DropEffect", or 0 when it has none.
inline DWORD ClipboardEffect() {
  DWORD effect = 0;
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  if (HANDLE data = GetClipboardData(GetPreferredDropEffectFormat())) {
    if (const auto* value = static_cast<const DWORD*>(GlobalLock(data))) {
      effect = *value;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return effect;
}

inline void EmptyTheClipboard() {
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  EmptyClipboard();
  CloseClipboard();
}

// One report of OnOperation.
struct TReport {
  TNsShellOperations Operation;
  Names Files;
  std::wstring Destination;
};

// A list that counts its smart refreshes and records its reports.
class TCommandList : public TNsShellList {
public:
  explicit TCommandList(TComponent* owner) : TNsShellList(owner) {
    OnOperation = [this](TObject*, TNsShellOperations operation, TStringList* files, const std::wstring& destination) {
      TReport report{operation, {}, destination};
      for (int i = 0; i < files->GetCount(); ++i) report.Files.push_back((*files)[i]);
      Reports.push_back(report);
    };
  }
  void SmartRefresh() override {
    ++SmartRefreshes;
    TNsShellList::SmartRefresh();
  }
  void FullRefresh() override {
    ++FullRefreshes;
    TNsShellList::FullRefresh();
  }
  using TNsShellList::GetUpdateTimer;
  int SmartRefreshes = 0;
  int FullRefreshes = 0;
  std::vector<TReport> Reports;
};

// A shown form with a command list filling it.
struct TCommandForm {
  TForm Form{nullptr};
  TCommandList* List;

  explicit TCommandForm(int left = 20, int top = 20, int width = 600, int height = 420) {
    Form.SetBounds(left, top, width, height);
    List = new TCommandList(&Form);
    List->SetAlign(alClient);
    List->SetParent(&Form);
    Form.Show();
  }
  HWND Handle() const { return List->GetHandle(); }
  Names Captions() const {
    Names names;
    for (int i = 0; i < List->GetItems().Count(); ++i) names.push_back(List->GetItems()[i]->GetCaption());
    return names;
  }
  TNsShellListItem* ItemNamed(const std::wstring& caption) const {
    for (int i = 0; i < List->GetItems().Count(); ++i)
      if (List->GetItems()[i]->GetCaption() == caption) return List->GetItems()[i];
    return nullptr;
  }
  // Selects exactly the named items.
  void Select(std::initializer_list<const wchar_t*> names) const {
    for (int i = 0; i < List->GetItems().Count(); ++i) {
      bool wanted = false;
      for (const wchar_t* name : names) wanted = wanted || List->GetItems()[i]->GetCaption() == name;
      List->GetItems()[i]->SetSelected(wanted);
    }
  }
};

}  // namespace ts::test
