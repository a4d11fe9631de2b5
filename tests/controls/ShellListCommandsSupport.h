#pragma once
// What the tests of the list's commands share: keys pressed as the user
// presses them (with the modifiers held in the thread's key state), the
// clipboard read as another program reads it, and a list that counts its
// refreshes and records its reports.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ShellListSupport.h"
#include "support/ClipboardFiles.h"
#include "support/KeyboardInput.h"

namespace ts::test {

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
