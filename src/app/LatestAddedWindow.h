#pragma once
// The Latest Added window: every folder (or every folder and file) below a
// start folder, one line each, newest first by last write; a double click
// takes the main window's remembered pane to a line's path. Whether files
// are listed too lives in a settings file of its own beside the executable.
#include <memory>
#include <string>
#include <vector>

#include "app/DirectoryScanner.h"
#include "toolkit/Forms.h"
#include "toolkit/IniFiles.h"
#include "toolkit/StdCtrls.h"

namespace ts {

// The date text of a line: "yyyy-mm-dd  hh:mm " (18 characters) for a
// packed local date-time, "xxxx-xx-xx" for one that could not be packed (-1).
std::wstring LatestAddedDateText(int32_t time);

// The path a line names, without a trailing "\": a dated line's from its
// 20th character on, an undated line's after "xxxx-xx-xx ". False for a line
// too short to be one of the list's lines (a jump from it does nothing).
bool LatestAddedLinePath(const std::wstring& line, std::wstring& path);

// The lines of one walk, gathered aside and put in order once.
class TLatestAddedLines {
public:
  explicit TLatestAddedLines(bool dirsOnly) : fDirsOnly(dirsOnly) {}

  // The walk's callback: a folder gives its line in both modes, a file only
  // when files are listed too. It always lets the walk go on.
  bool Add(const std::wstring& path, const TDirEntry& entry);
  // Walks the tree below startPath (empty: the current directory).
  void Scan(const std::wstring& startPath);
  // Ascending by the user locale's case-insensitive order of whole lines:
  // the dated lines by time, then the undated ones; one minute's lines by
  // their paths.
  void Sort();

  const std::vector<std::wstring>& Lines() const noexcept { return fLines; }
  // Hands the lines over newest first (the sorted order reversed), leaving
  // none behind.
  std::vector<std::wstring> TakeNewestFirst();

private:
  // The minute of each line, which decides between lines of different
  // minutes without comparing their texts; the undated lines last.
  std::vector<uint32_t> fMinutes;
  bool fDirsOnly;
  std::vector<std::wstring> fLines;
};

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
