#pragma once
// The bookmark window: ten numbered folder bookmarks in a list. Save stores
// the folder of the main window's remembered pane in the selected line, Goto
// takes that pane to the line's folder, Delete clears the line. The lines
// come from the bookmark file when the window is made and go back to it when
// the window is destroyed. Enter is Goto and Esc closes the window, as its
// default and cancel buttons.
#include <string>

#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

namespace ts {

class TNsShellTree;

// A bookmark line: its label (the character 49 + index: "1" to "9", then ":"
// for the tenth line), a space, and the folder, which is empty when cleared.
std::wstring BookmarkLine(int index, const std::wstring& folder);
// The folder of a line: everything from its third character on.
std::wstring BookmarkFolder(const std::wstring& line);
// The lines of a new list, used when there is no file.
extern const wchar_t* const InitialBookmarks[10];

class TfrmBookmark : public TForm {
  TS_CLASS(TfrmBookmark, TForm)

public:
  // The file is "MyList.DAT" in whatever directory is current when it is
  // read (now) and written (at destruction).
  explicit TfrmBookmark(TComponent* AOwner);
  // With the file given (tests).
  TfrmBookmark(TComponent* AOwner, const std::wstring& fileName);
  // Writes the file.
  ~TfrmBookmark() override;

  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TButton* btnSave = nullptr;
  TButton* btnGoto = nullptr;
  TButton* btnDelete = nullptr;
  TButton* btnEscape = nullptr;
  TListBox* ListBox1 = nullptr;

  void btnSaveClick(TObject* Sender);
  void btnGotoClick(TObject* Sender);
  void btnDeleteClick(TObject* Sender);
  void btnEscapeClick(TObject* Sender);
  void ListBox1KeyPress(TObject* Sender, wchar_t& Key);
  void ListBox1DblClick(TObject* Sender);

  // Focusing the window focuses its list, where the user works.
  void SetFocus() override;

  const std::wstring& GetFileName() const noexcept { return fFileName; }

private:
  void CreateComponents();
  // The main window's tree of its remembered pane, or null without one.
  static TNsShellTree* TargetTree();
  void LoadBookmarks();
  void SaveBookmarks();

  std::wstring fFileName;
  // The full path of a file that could not be read and could not be copied
  // aside either: it is copied aside before it is written over.
  std::wstring fUnkeptDamagedFile;
};

}  // namespace ts
