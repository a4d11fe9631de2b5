#include "app/LatestAddedWindow.h"

#include "app/MainWindow.h"
#include "shell/SelectionListFileOps.h"
#include "toolkit/Application.h"
#include "toolkit/FilePaths.h"

namespace ts {

namespace {

constexpr wchar_t kSection[] = L"frmLatAd";
constexpr wchar_t kDirsOnly[] = L"DirsOnly";
constexpr wchar_t kItems[] = L"Items : ";

template <typename T>
T* Place(TfrmLatestAdded* owner, const wchar_t* name, int left, int top, int width, int height) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetParent(owner);
  control->SetBounds(left, top, width, height);
  return control;
}

// The shell takes no path beyond MAX_PATH characters: for a longer one the
// pane goes as deep as it can, to the nearest folder above that it takes.
std::wstring ShellReachablePath(std::wstring path) {
  while (path.size() >= MAX_PATH) {
    const std::wstring parent = ExtractFileDir(path);
    if (parent.size() >= path.size()) break;
    path = parent;
  }
  return path;
}

}  // namespace

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
  // Over the main window the first time it shows; where the user left it after.
  SetPosition(poMainFormCenter);
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
  // A tree can give hundreds of thousands of lines: the window draws them
  // from the list's own strings instead of keeping a copy of each.
  ListBoxLatest->SetOwnerData(true);
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

namespace {

// The list box's drawing held for a scope, also when it ends by an exception.
class TListBoxUpdate {
public:
  explicit TListBoxUpdate(TListBox* list) : fList(list) { fList->BeginUpdate(); }
  ~TListBoxUpdate() { fList->EndUpdate(); }
  TListBoxUpdate(const TListBoxUpdate&) = delete;
  TListBoxUpdate& operator=(const TListBoxUpdate&) = delete;

private:
  TListBox* fList;
};

}  // namespace

void TfrmLatestAdded::Refresh() {
  THourglassScope hourglass;
  TLatestAddedLines lines(rbtnDirsOnly->GetChecked());
  try {
    TListBoxUpdate update(ListBoxLatest);
    ListBoxLatest->GetItems().Clear();
    lines.Scan(lblStartPath->GetCaption());
    lines.Sort();
    FillList(lines);
  } catch (...) {
    // Out of memory on a vast tree: the count says what the list holds.
    lblItems->SetCaption(kItems + std::to_wstring(ListBoxLatest->GetItems().GetCount()));
    throw;
  }
  ListBoxLatest->Repaint();
}

void TfrmLatestAdded::FillList(TLatestAddedLines& lines) {
  TStringList& items = ListBoxLatest->GetItems();
  {
    TListBoxUpdate update(ListBoxLatest);
    items.Clear();
    items.AddStrings(lines.TakeNewestFirst());
  }
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
    tree->SetSelectedFolder(ShellReachablePath(path));
  if (tree != nullptr) tree->Repaint();
  Close();
  if (tree != nullptr && tree->CanFocus()) tree->SetFocus();
}

}  // namespace ts
