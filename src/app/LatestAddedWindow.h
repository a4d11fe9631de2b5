#pragma once
// The Latest Added window: every folder (or every folder and file) below a
// start folder, one line each, newest first by last write; a double click
// takes the main window's remembered pane to a line's path. Whether files
// are listed too lives in a settings file of its own beside the executable.
#include <memory>
#include <string>
#include <vector>

#include "app/LatestAddedLines.h"
#include "toolkit/Forms.h"
#include "toolkit/IniFiles.h"
#include "toolkit/StdCtrls.h"

namespace ts {

class TfrmLatestAdded : public TForm {
  TS_CLASS(TfrmLatestAdded, TForm)

public:
  // The settings file is LatestAddedSettingsFileName().
  explicit TfrmLatestAdded(TComponent* AOwner);
  // With the settings file given (tests).
  TfrmLatestAdded(TComponent* AOwner, const std::wstring& settingsFile);
  // Writes DirsOnly.
  ~TfrmLatestAdded() override;

  TLabel* Label2 = nullptr;
  TRadioButton* rbtnDirsOnly = nullptr;
  TRadioButton* rbtnDirsAndFiles = nullptr;
  TButton* Button1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* lblStartPath = nullptr;
  TListBox* ListBoxLatest = nullptr;
  TLabel* lblItems = nullptr;

  TIniFile& GetSettings() noexcept { return *fSettings; }

  // Walks the start path, then shows the lines newest first and their count.
  void Refresh();
  // Puts gathered lines into the list, newest first, with its drawing held;
  // the list takes the lines over.
  void FillList(TLatestAddedLines& lines);
  // Moves the main window's remembered pane to the selected line's path.
  void Jump();

  void FormShow(TObject* Sender);
  void Button1Click(TObject* Sender);
  void rbtnDirsOnlyClick(TObject* Sender);
  void ListBoxLatestDblClick(TObject* Sender);

private:
  void CreateComponents();
  // Sets the radio buttons from the stored DirsOnly.
  void ReadDirsOnly();
  void WriteDirsOnly();

  std::unique_ptr<TIniFile> fSettings;
};

// The executable's path with its extension replaced by "2.ini".
std::wstring LatestAddedSettingsFileName();

}  // namespace ts
