#include "app/BookmarkWindow.h"

#include <exception>

#include "app/BookmarkFile.h"
#include "app/MainWindow.h"
#include "shell/SystemErrorText.h"
#include "toolkit/Application.h"
#include "toolkit/Streams.h"
#include "toolkit/Strings.h"

namespace ts {

const wchar_t* const InitialBookmarks[10] = {L"1 C:\\tmp", L"2 C:\\temp", L"3", L"4", L"5",
                                             L"6",         L"7",          L"8", L"9", L"10"};

namespace {

constexpr wchar_t kCaption[] = L"Bookmark List  (shortcut Alt-B, 1..10, S or G or D)";
// Lines of four characters or fewer name no folder to go to.
constexpr size_t kShortestGotoLine = 5;

template <typename T>
T* Place(TfrmBookmark* owner, const wchar_t* name, int left, int top, int width, int height) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetParent(owner);
  control->SetBounds(left, top, width, height);
  return control;
}

bool DirectoryExists(const std::wstring& path) {
  // Not a search: a path with wildcards names no folder.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring FullPath(const std::wstring& fileName) {
  const DWORD n = GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr);
  if (n == 0) return fileName;
  std::wstring path(n, L'\0');
  path.resize(GetFullPathNameW(fileName.c_str(), n, path.data(), nullptr));
  return path;
}

}  // namespace

std::wstring BookmarkLine(int index, const std::wstring& folder) {
  return std::wstring(1, static_cast<wchar_t>(L'1' + index)) + L' ' + folder;
}

std::wstring BookmarkFolder(const std::wstring& line) { return line.size() > 2 ? line.substr(2) : std::wstring(); }

TfrmBookmark::TfrmBookmark(TComponent* AOwner) : TfrmBookmark(AOwner, BookmarkFileName) {}

TfrmBookmark::TfrmBookmark(TComponent* AOwner, const std::wstring& fileName) : TForm(AOwner), fFileName(fileName) {
  BeginLoading();
  CreateComponents();
  EndLoading();
  LoadBookmarks();
}

TfrmBookmark::~TfrmBookmark() {
  try {
    SaveBookmarks();
  } catch (...) {
    Application->HandleException();
  }
  if (frmBookmark == this) frmBookmark = nullptr;
}

void TfrmBookmark::CreateComponents() {
  SetName(L"frmBookmark");
  SetCaption(kCaption);
  SetPosition(poMainFormCenter);
  GetFont().SetName(L"Tahoma");
  SetClientWidth(538);
  SetClientHeight(216);

  Label1 = Place<TLabel>(this, L"Label1", 8, 8, 129, 18);
  Label1->SetParentFont(false);
  Label1->GetFont().SetName(L"Tahoma");
  Label1->GetFont().SetHeight(-15);
  Label1->GetFont().SetStyle({fsUnderline});
  Label1->SetCaption(L"Bookmark editing");
  Label2 = Place<TLabel>(this, L"Label2", 8, 32, 229, 13);
  Label2->SetCaption(L"For a quick goto use double click on a path ");

  auto button = [this](const wchar_t* name, int left, int width, const wchar_t* caption,
                       void (TfrmBookmark::*handler)(TObject*)) {
    TButton* b = Place<TButton>(this, name, left, 8, width, 25);
    b->SetCaption(caption);
    b->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
    return b;
  };
  btnSave = button(L"btnSave", 240, 57, L"&Save", &TfrmBookmark::btnSaveClick);
  btnGoto = button(L"btnGoto", 304, 65, L"&Goto", &TfrmBookmark::btnGotoClick);
  btnDelete = button(L"btnDelete", 376, 57, L"&Delete", &TfrmBookmark::btnDeleteClick);
  btnEscape = button(L"btnEscape", 440, 57, L"&Cancel", &TfrmBookmark::btnEscapeClick);
  // Enter goes to the selected line's folder, as a double click does; Esc
  // closes the window.
  btnGoto->SetDefault(true);
  btnEscape->SetCancel(true);

  ListBox1 = Place<TListBox>(this, L"ListBox1", 8, 55, 521, 153);
  ListBox1->SetParentFont(false);
  ListBox1->GetFont().SetName(L"Tahoma");
  ListBox1->GetFont().SetHeight(-12);
  ListBox1->SetItemHeight(14);
  // First in the tab order, before the labels and the buttons.
  ListBox1->SetTabOrder(0);
  for (const wchar_t* line : InitialBookmarks) ListBox1->GetItems().Add(line);
  ListBox1->OnKeyPress = [this](TObject* sender, wchar_t& key) { ListBox1KeyPress(sender, key); };
  ListBox1->OnDblClick = [this](TObject* sender) { ListBox1DblClick(sender); };
}

TNsShellTree* TfrmBookmark::TargetTree() {
  return frmMain != nullptr ? frmMain->TreeOf(frmMain->RememberedPane()) : nullptr;
}

void TfrmBookmark::SetFocus() {
  if (ListBox1->CanFocus())
    ListBox1->SetFocus();
  else
    TForm::SetFocus();
}

// The commands.

void TfrmBookmark::btnSaveClick(TObject*) {
  const int index = ListBox1->GetItemIndex();
  TNsShellTree* tree = TargetTree();
  if (index < 0 || tree == nullptr) return;
  ListBox1->GetItems().Put(index, BookmarkLine(index, tree->GetSelectedFolder()));
  Close();
}

void TfrmBookmark::btnGotoClick(TObject*) {
  const int index = ListBox1->GetItemIndex();
  if (index < 0) return;
  const std::wstring line = ListBox1->GetItems().Get(index);
  TNsShellTree* tree = TargetTree();
  if (line.size() < kShortestGotoLine || tree == nullptr) return;
  const std::wstring folder = BookmarkFolder(line);
  // A folder the tree cannot show is reported once the window has done
  // what a Goto always does: the pane repainted, the window closed, the
  // tree focused.
  std::exception_ptr failure;
  try {
    if (DirectoryExists(folder)) tree->SetSelectedFolder(folder);
  } catch (...) {
    failure = std::current_exception();
  }
  tree->Repaint();
  Close();
  tree->SetFocus();
  if (failure) std::rethrow_exception(failure);
}

void TfrmBookmark::btnDeleteClick(TObject*) {
  const int index = ListBox1->GetItemIndex();
  if (index < 0) return;
  ListBox1->GetItems().Put(index, BookmarkLine(index, L""));
}

void TfrmBookmark::btnEscapeClick(TObject*) { Close(); }

void TfrmBookmark::ListBox1KeyPress(TObject* Sender, wchar_t& Key) {
  if (ListBox1->GetItemIndex() < 0) return;
  if (Key >= L'a' && Key <= L'z') Key = static_cast<wchar_t>(Key - L'a' + L'A');
  switch (Key) {
    case L'S': btnSaveClick(Sender); break;
    case L'G': btnGotoClick(Sender); break;
    case L'D': btnDeleteClick(Sender); break;
    case L'C': btnEscapeClick(Sender); break;
    default: break;
  }
  // The key goes on to the list, whose type-ahead selects the next line
  // that begins with it: the digits pick bookmarks by their label.
}

void TfrmBookmark::ListBox1DblClick(TObject* Sender) { btnGotoClick(Sender); }

// The file.

void TfrmBookmark::LoadBookmarks() {
  if (!BookmarkFileExists(fFileName)) return;
  try {
    ReadBookmarkFile(fFileName, *ListBox1);
  } catch (const std::exception& error) {
    // The lines read so far stay and are written at exit; the file as it
    // was is kept beside it, so that nothing in it is lost.
    if (KeepDamagedFile(fFileName).empty()) fUnkeptDamagedFile = FullPath(fFileName);
    Application->HandleException(error);
  }
}

void TfrmBookmark::SaveBookmarks() {
  if (!fUnkeptDamagedFile.empty() && SameText(FullPath(fFileName), fUnkeptDamagedFile) &&
      BookmarkFileExists(fFileName)) {
    if (KeepDamagedFile(fFileName).empty()) {
      const int error = static_cast<int>(GetLastError());
      throw EFCreateError(L"Cannot create file \"" + fFileName + L"\". " + GetSystemErrorText(error));
    }
    fUnkeptDamagedFile.clear();
  }
  WriteBookmarkFile(fFileName, *ListBox1);
}

}  // namespace ts
