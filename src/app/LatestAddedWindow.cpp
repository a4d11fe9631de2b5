#include "app/LatestAddedWindow.h"

#include <algorithm>
#include <cwchar>

#include "app/MainWindow.h"
#include "shell/SelectionListFileOps.h"
#include "toolkit/Application.h"
#include "toolkit/FilePaths.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

constexpr wchar_t kSection[] = L"frmLatAd";
constexpr wchar_t kDirsOnly[] = L"DirsOnly";
constexpr wchar_t kItems[] = L"Items : ";

// A dated line: 18 characters of date text, one space, the path.
constexpr size_t kDatedPathStart = 19;
constexpr size_t kShortestJumpLine = 18;
constexpr wchar_t kUndatedText[] = L"xxxx-xx-xx";
constexpr size_t kUndatedPathStart = std::size(kUndatedText);  // the text and its space

template <typename T>
T* Place(TfrmLatestAdded* owner, const wchar_t* name, int left, int top, int width, int height) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetParent(owner);
  control->SetBounds(left, top, width, height);
  return control;
}

bool IsUndatedLine(const std::wstring& line) {
  return line.size() >= kUndatedPathStart && line.compare(0, kUndatedPathStart - 1, kUndatedText) == 0 &&
         line[kUndatedPathStart - 1] == L' ';
}

}  // namespace

std::wstring LatestAddedDateText(int32_t time) {
  if (time == -1) return kUndatedText;
  // The DOS layout: the date in the high word (day, month, years since
  // 1980), the time in the low word (two-second units, minutes, hours).
  const auto packed = static_cast<uint32_t>(time);
  const unsigned date = packed >> 16, clock = packed & 0xFFFFu;
  wchar_t text[40];
  std::swprintf(text, std::size(text), L"%04u-%02u-%02u  %02u:%02u ", 1980 + (date >> 9), (date >> 5) & 0x0Fu,
                date & 0x1Fu, clock >> 11, (clock >> 5) & 0x3Fu);
  return text;
}

bool LatestAddedLinePath(const std::wstring& line, std::wstring& path) {
  // An undated line's path follows its shorter date text; taking it from the
  // 20th character as for a dated line would cut its first eight characters
  // off and name another place.
  if (IsUndatedLine(line) && line.size() > kUndatedPathStart) {
    path = line.substr(kUndatedPathStart);
  } else if (line.size() >= kShortestJumpLine) {
    path = line.size() > kDatedPathStart ? line.substr(kDatedPathStart) : std::wstring();
  } else {
    return false;
  }
  if (!path.empty() && path.back() == PathDelim) path.pop_back();
  return true;
}

// The lines.

bool TLatestAddedLines::Add(const std::wstring& path, const TDirEntry& entry) {
  const bool folder = (entry.Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!folder && fDirsOnly) return true;
  std::wstring line = LatestAddedDateText(entry.Time);
  line.reserve(line.size() + 1 + path.size() + (folder ? 0 : entry.Name.size()));
  line += L' ';
  line += path;  // a folder's own path, with its "\"
  if (!folder) line += entry.Name;
  fLines.push_back(std::move(line));
  return true;
}

void TLatestAddedLines::Scan(const std::wstring& startPath) {
  ScanDirectory(true, startPath, L"*.*", [this](const std::wstring& path, const TDirEntry& entry) {
    return Add(path, entry);
  });
}

void TLatestAddedLines::Sort() {
  // Stable, so that lines the locale holds equal keep the walk's order.
  std::stable_sort(fLines.begin(), fLines.end(),
                   [](const std::wstring& a, const std::wstring& b) { return CompareText(a, b) < 0; });
}

// The window.

std::wstring LatestAddedSettingsFileName() {
  std::vector<wchar_t> path(32768);
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return ChangeFileExt(std::wstring(path.data(), n), L"2.ini");
}

TfrmLatestAdded::TfrmLatestAdded(TComponent* AOwner) : TfrmLatestAdded(AOwner, LatestAddedSettingsFileName()) {}

TfrmLatestAdded::TfrmLatestAdded(TComponent* AOwner, const std::wstring& settingsFile)
    : TForm(AOwner), fSettings(std::make_unique<TIniFile>(settingsFile)) {
  CreateComponents();
  ListBoxLatest->GetItems().Clear();
  // Read now as well as on every showing: the radio buttons are what is
  // written back at the end, also after a run that never showed the window.
  ReadDirsOnly();
  OnShow = [this](TObject* sender) { FormShow(sender); };
}

TfrmLatestAdded::~TfrmLatestAdded() {
  try {
    WriteDirsOnly();
  } catch (...) {
    Application->HandleException();
  }
  if (frmLatestAdded == this) frmLatestAdded = nullptr;
}

void TfrmLatestAdded::CreateComponents() {
  SetName(L"frmLatestAdded");
  SetCaption(L"Latest Added");
  GetFont().SetName(L"Tahoma");
  GetFont().SetHeight(-11);
  SetClientWidth(756);
  SetClientHeight(310);

  Label2 = Place<TLabel>(this, L"Label2", 8, 8, 230, 13);
  Label2->SetCaption(L"Use double click for a jump to a path ");
  rbtnDirsOnly = Place<TRadioButton>(this, L"rbtnDirsOnly", 248, 8, 113, 17);
  rbtnDirsOnly->SetCaption(L"Dirs Only");
  rbtnDirsOnly->OnClick = [this](TObject* sender) { rbtnDirsOnlyClick(sender); };
  rbtnDirsAndFiles = Place<TRadioButton>(this, L"rbtnDirsAndFiles", 403, 8, 113, 17);
  rbtnDirsAndFiles->SetCaption(L"Dirs and Files");
  rbtnDirsAndFiles->OnClick = [this](TObject* sender) { rbtnDirsOnlyClick(sender); };
  Button1 = Place<TButton>(this, L"Button1", 632, 8, 75, 25);
  Button1->SetCaption(L"Refresh");
  Button1->OnClick = [this](TObject* sender) { Button1Click(sender); };

  Label1 = Place<TLabel>(this, L"Label1", 8, 27, 65, 13);
  Label1->SetCaption(L"Start path :");
  // Wide enough for a long path, clear of the button.
  lblStartPath = Place<TLabel>(this, L"lblStartPath", 80, 27, 544, 13);
  lblStartPath->SetCaption(L"....");

  ListBoxLatest = Place<TListBox>(this, L"ListBoxLatest", 8, 57, 740, 231);
  ListBoxLatest->SetParentFont(false);
  ListBoxLatest->GetFont().SetName(L"Arial");
  ListBoxLatest->GetFont().SetHeight(-11);
  ListBoxLatest->SetItemHeight(14);
  ListBoxLatest->OnDblClick = [this](TObject* sender) { ListBoxLatestDblClick(sender); };

  lblItems = Place<TLabel>(this, L"lblItems", 8, 289, 200, 13);
  lblItems->SetCaption(std::wstring(kItems) + L"0");
}

// Settings.

void TfrmLatestAdded::ReadDirsOnly() {
  const bool dirsOnly = fSettings->ReadBool(kSection, kDirsOnly, false);
  rbtnDirsOnly->SetChecked(dirsOnly);
  rbtnDirsAndFiles->SetChecked(!dirsOnly);
}

void TfrmLatestAdded::WriteDirsOnly() { fSettings->WriteBool(kSection, kDirsOnly, rbtnDirsOnly->GetChecked()); }

// Events.

void TfrmLatestAdded::FormShow(TObject*) {
  ListBoxLatest->GetItems().Clear();
  ReadDirsOnly();
  Refresh();
}

void TfrmLatestAdded::Button1Click(TObject*) { Refresh(); }

void TfrmLatestAdded::rbtnDirsOnlyClick(TObject*) { WriteDirsOnly(); }

void TfrmLatestAdded::ListBoxLatestDblClick(TObject*) { Jump(); }

// Refresh and jump.

void TfrmLatestAdded::Refresh() {
  THourglassScope hourglass;
  TLatestAddedLines lines(rbtnDirsOnly->GetChecked());
  ListBoxLatest->GetItems().Clear();
  lines.Scan(lblStartPath->GetCaption());
  lines.Sort();
  FillList(lines);
  ListBoxLatest->Repaint();
}

void TfrmLatestAdded::FillList(const TLatestAddedLines& lines) {
  TStringList& items = ListBoxLatest->GetItems();
  const std::vector<std::wstring>& sorted = lines.Lines();
  ListBoxLatest->BeginUpdate();
  try {
    items.Clear();
    for (auto line = sorted.rbegin(); line != sorted.rend(); ++line) items.Add(*line);
  } catch (...) {
    ListBoxLatest->EndUpdate();
    throw;
  }
  ListBoxLatest->EndUpdate();
  lblItems->SetCaption(kItems + std::to_wstring(items.GetCount()));
}

void TfrmLatestAdded::Jump() {
  const int index = ListBoxLatest->GetItemIndex();
  if (index < 0 || index >= ListBoxLatest->GetItems().GetCount()) return;
  std::wstring path;
  if (!LatestAddedLinePath(ListBoxLatest->GetItems()[index], path)) return;
  TNsShellTree* tree = frmMain != nullptr ? frmMain->TreeOf(frmMain->RememberedPane()) : nullptr;
  // A path that is gone leaves the pane where it is.
  if (tree != nullptr && !path.empty() &&
      (TNsSelectionListFileOps::IsFolder(path) || TNsSelectionListFileOps::IsFile(path)))
    tree->SetSelectedFolder(path);
  if (tree != nullptr) tree->Repaint();
  Close();
  if (tree != nullptr && tree->CanFocus()) tree->SetFocus();
}

}  // namespace ts
