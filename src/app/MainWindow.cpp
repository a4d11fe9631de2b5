#include "app/MainWindow.h"

#include <uxtheme.h>

#include "app/AboutWindow.h"
#include "app/LatestAddedWindow.h"
#include "app/ToolbarGlyphs.h"
#include "dialogs/NsNetConnectionDialog.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Application.h"
#include "toolkit/FilePaths.h"

namespace ts {

TfrmMain* frmMain = nullptr;
TfrmAbout* frmAbout = nullptr;
TForm* frmBookmark = nullptr;
TForm* frmLatestAdded = nullptr;

namespace {

constexpr wchar_t kCaption[] = L"Twinscope - freeware by the Twinscope developers";
constexpr wchar_t kShellFont[] = L"Tahoma";
constexpr int kShellFontHeight = -11;

// Aligned controls on one side keep their order by position: these design
// positions put the bands at the bottom of the window in their order, the
// second pane lowest.
constexpr int kSecondPaneTop = 3000;
constexpr int kSplitter2Top = 2000;
constexpr int kFirstStatusBarTop = 1000;

template <typename T>
T* Make(TfrmMain* owner, const wchar_t* name, TWinControl* parent) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  return control;
}

void UseShellFont(TControl* control) {
  control->SetParentFont(false);
  control->GetFont().SetName(kShellFont);
  control->GetFont().SetHeight(kShellFontHeight);
}

}  // namespace

std::wstring MainSettingsFileName() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  return ChangeFileExt(std::wstring(path, n), L".ini");
}

TfrmMain::TfrmMain(TComponent* AOwner) : TfrmMain(AOwner, MainSettingsFileName()) {}

TfrmMain::TfrmMain(TComponent* AOwner, const std::wstring& settingsFile)
    : TForm(AOwner), fSettings(std::make_unique<TIniFile>(settingsFile)) {
  // The components and their design settings come in as a form's resource
  // would bring them: loading, then each component's Loaded.
  BeginLoading();
  CreateComponents();
  EndLoading();

  ReadSettings();
  Application->OnHint = [this](TObject* sender) { AppHint(sender); };
  SwitchOnInteraction();
  if (IsVistaOrLater) ApplyExplorerTheme();
  OnShow = [this](TObject* sender) { FormShow(sender); };
}

TfrmMain::~TfrmMain() {
  try {
    WriteSettings();
  } catch (...) {
    Application->HandleException();
  }
  if (frmMain == this) frmMain = nullptr;
}

// Building the window.

void TfrmMain::CreateComponents() {
  SetName(L"frmMain");
  SetCaption(kCaption);
  GetFont().SetName(kShellFont);
  GetFont().SetHeight(kShellFontHeight);
  SetBounds(100, 100, 700, 500);

  NsShellLink = new TNsShellLink(this);
  NsShellLink->SetName(L"NsShellLink");
  NsShellLink2 = new TNsShellLink(this);
  NsShellLink2->SetName(L"NsShellLink2");
  NsNetConnectionDialog1 = new TNsNetConnectionDialog(this);
  NsNetConnectionDialog1->SetName(L"NsNetConnectionDialog1");

  CreateToolbar();
  CreateFirstPane();
  CreateSecondPane();
  CreateMenu();
}

TSpeedButton* TfrmMain::AddToolButton(const wchar_t* name, int left, const wchar_t* hint, int glyph, int group,
                                      bool allowAllUp, void (TfrmMain::*handler)(TObject*)) {
  TSpeedButton* button = Make<TSpeedButton>(this, name, Panel1);
  button->SetBounds(left, 3, 25, 24);
  button->SetHint(hint);
  button->SetShowHint(true);
  button->SetGroupIndex(group);
  button->SetAllowAllUp(allowAllUp);
  DrawToolbarGlyph(static_cast<TToolbarGlyph>(glyph), button->GetGlyph());
  if (handler != nullptr) button->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
  return button;
}

void TfrmMain::CreateToolbar() {
  Panel1 = Make<TPanel>(this, L"Panel1", this);
  Panel1->SetBounds(0, 0, 700, 30);
  Panel1->SetAlign(alTop);
  Panel1->SetBevelInner(bvRaised);
  Panel1->SetBevelOuter(bvLowered);
  using G = TToolbarGlyph;
  auto glyph = [](G g) { return static_cast<int>(g); };
  ParentButton = AddToolButton(L"ParentButton", 4, L"Parent Folder", glyph(G::ParentFolder), 0, false,
                               &TfrmMain::ParentButtonClick);
  NewFolderButton = AddToolButton(L"NewFolderButton", 27, L"New Folder", glyph(G::NewFolder), 0, false,
                                  &TfrmMain::NewFolderButtonClick);
  PropertiesButton = AddToolButton(L"PropertiesButton", 50, L"Show Properties", glyph(G::Properties), 0, false,
                                   &TfrmMain::PropertiesButtonClick);
  IconListButton = AddToolButton(L"IconListButton", 84, L"Show List", glyph(G::List), 1, true,
                                 &TfrmMain::IconListButtonClick);
  DetailsButton = AddToolButton(L"DetailsButton", 109, L"Show Details", glyph(G::Details), 1, true,
                                &TfrmMain::DetailsButtonClick);
  DetailsButton->SetDown(true);
  TumbnailsButton = AddToolButton(L"TumbnailsButton", 134, L"Show Thumbnails", glyph(G::Thumbnails), 1, true,
                                  &TfrmMain::TumbnailsButtonClick);
  HiddenButton = AddToolButton(L"HiddenButton", 178, L"Show hidden files", glyph(G::Hidden), 9, true,
                               &TfrmMain::HiddenButtonClick);
  SingleWinButton = AddToolButton(L"SingleWinButton", 228, L"Single Explorer", glyph(G::SingleExplorer), 2, false,
                                  &TfrmMain::SingleWinButtonClick);
  DualHButton = AddToolButton(L"DualHButton", 252, L"Double Horizontal Explorer", glyph(G::DualExplorer), 2, false,
                              &TfrmMain::DualHButtonClick);
  NetworkButton = AddToolButton(L"NetworkButton", 517, L"Connect network drive", glyph(G::Network), 0, false,
                                &TfrmMain::NetworkButtonClick);
  NetworkButton->SetVisible(false);
}

void TfrmMain::ConfigureTree(TNsShellTree* tree, TNsShellLink* link) {
  UseShellFont(tree);
  tree->SetUseSystemFont(false);
  tree->SetSpecialFolder(SF_DESKTOP);
  tree->SetFilter(L"*");
  tree->SetShowRoot(true);
  tree->SetIndent(19);
  tree->SetShowContextMenuOnTop(true);
  tree->SetShellLink(link);
}

void TfrmMain::ConfigureList(TNsShellList* list, TNsShellLink* link) {
  UseShellFont(list);
  list->SetUseSystemFont(false);
  list->SetSpecialFolder(SF_DESKTOP);
  list->SetFilter(L"*");
  list->SetNoFillOnStartup(true);
  list->SetAutoArrange(true);
  list->SetShellLink(link);
}

void TfrmMain::ConfigureCombo(TNsShellCombo* combo, TNsShellLink* link) {
  UseShellFont(combo);
  combo->SetBounds(52, 1, 600, 22);
  combo->SetShowFullPath(true);
  combo->SetItemIndex(-1);
  combo->SetShellLink(link);
}

void TfrmMain::CreateFirstPane() {
  // The lists and combos are made before the trees: when loading ends, the
  // trees select their first folder and the link brings the lists, which
  // are ready by then, along. The path box joins its link when its window
  // is made, and the windows are made in this order: the box comes first,
  // so that it is there when the tree's window shows the first folder.
  ALStatusBar2 = Make<TALStatusBar>(this, L"ALStatusBar2", this);
  ALStatusBar2->SetBounds(0, kFirstStatusBarTop, 700, 22);
  ALStatusBar2->SetAlign(alBottom);
  ALStatusBar2->AddPanel(L"Path:", 50);
  ALStatusBar2->AddPanel(L"", 50);
  NsShellCombo2 = Make<TNsShellCombo>(this, L"NsShellCombo2", ALStatusBar2);
  ConfigureCombo(NsShellCombo2, NsShellLink);

  Panel2 = Make<TPanel>(this, L"Panel2", this);
  Panel2->SetBounds(0, 30, 229, 300);
  Panel2->SetAlign(alLeft);
  Panel2->SetBevelOuter(bvNone);

  Splitter1 = Make<TSplitter>(this, L"Splitter1", this);
  Splitter1->SetBounds(229, 30, 4, 300);
  Splitter1->SetAlign(alLeft);
  Splitter1->OnCanResize = [this](TObject* s, int& size, bool& accept) { Splitter1CanResize(s, size, accept); };

  ShellList = Make<TNsShellList>(this, L"ShellList", this);
  ShellList->SetAlign(alClient);
  ConfigureList(ShellList, NsShellLink);
  ShellList->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    FirstPaneMouseDown(s, b, sh, x, y);
  };


  ShellTree = Make<TNsShellTree>(this, L"ShellTree", Panel2);
  ShellTree->SetAlign(alClient);
  ConfigureTree(ShellTree, NsShellLink);
  ShellTree->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    FirstPaneMouseDown(s, b, sh, x, y);
  };
  ShellTree->OnKeyUp = [this](TObject* s, WORD& key, TShiftState shift) { ShellTreeKeyUp(s, key, shift); };
  ShellTree->SetTabOrder(0);
  // Made first, the status bar is still tabbed to after the list.
  ALStatusBar2->SetTabOrder(ShellList->GetTabOrder() + 1);
}

void TfrmMain::CreateSecondPane() {
  Splitter2 = Make<TSplitter>(this, L"Splitter2", this);
  // A splitter starts on the left, where its height follows the window's:
  // bottom first, so that the bounds keep the bar's own height.
  Splitter2->SetAlign(alBottom);
  Splitter2->SetBounds(0, kSplitter2Top, 700, 4);

  PanelExpl2 = Make<TPanel>(this, L"PanelExpl2", this);
  PanelExpl2->SetBounds(0, kSecondPaneTop, 700, 250);
  PanelExpl2->SetAlign(alBottom);
  PanelExpl2->SetBevelOuter(bvNone);

  ALStatusBar1 = Make<TALStatusBar>(this, L"ALStatusBar1", PanelExpl2);
  ALStatusBar1->SetAlign(alBottom);
  ALStatusBar1->SetHeight(22);
  ALStatusBar1->AddPanel(L"Path:", 50);
  ALStatusBar1->AddPanel(L"", 50);
  NsShellCombo3 = Make<TNsShellCombo>(this, L"NsShellCombo3", ALStatusBar1);
  ConfigureCombo(NsShellCombo3, NsShellLink2);

  Splitter3 = Make<TSplitter>(this, L"Splitter3", PanelExpl2);
  Splitter3->SetBounds(215, 0, 4, 228);
  Splitter3->SetAlign(alLeft);
  Splitter3->OnCanResize = [this](TObject* s, int& size, bool& accept) { Splitter3CanResize(s, size, accept); };

  ShellList2 = Make<TNsShellList>(this, L"ShellList2", PanelExpl2);
  ShellList2->SetAlign(alClient);
  ConfigureList(ShellList2, NsShellLink2);
  ShellList2->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    SecondPaneMouseDown(s, b, sh, x, y);
  };

  ShellTree2 = Make<TNsShellTree>(this, L"ShellTree2", PanelExpl2);
  ShellTree2->SetBounds(0, 0, 215, 228);
  ShellTree2->SetAlign(alLeft);
  ConfigureTree(ShellTree2, NsShellLink2);
  ShellTree2->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    SecondPaneMouseDown(s, b, sh, x, y);
  };
  ShellTree2->OnEnter = [this](TObject* sender) { ShellTree2Enter(sender); };
  // Tab goes from the tree to the list to the path box, in each pane.
  ShellTree2->SetTabOrder(0);
  ALStatusBar1->SetTabOrder(ShellList2->GetTabOrder() + 1);
  // The tree came after its splitter, which the left side held alone until
  // then: put the bar back at the tree's right edge.
  Splitter3->SetLeft(ShellTree2->GetLeft() + ShellTree2->GetWidth());
}

void TfrmMain::CreateMenu() {
  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName(L"MainMenu1");
  auto add = [this](TMenuItem* parent, const wchar_t* name, const wchar_t* caption,
                    void (TfrmMain::*handler)(TObject*)) {
    TMenuItem* item = new TMenuItem(this);
    item->SetName(name);
    item->SetCaption(caption);
    if (handler != nullptr) item->OnClick = [this, handler](TObject* sender) { (this->*handler)(sender); };
    parent->Add(item);
    return item;
  };
  TMenuItem& bar = MainMenu1->GetItems();
  Exi1 = add(&bar, L"Exi1", L"&Exit", &TfrmMain::Exi1Click);
  Bookmark1 = add(&bar, L"Bookmark1", L"&Bookmark", &TfrmMain::Bookmark1Click);
  LastAdded1 = add(&bar, L"LastAdded1", L"LastAdded", &TfrmMain::LastAddedClick);
  Help1 = add(&bar, L"Help1", L"&Help", nullptr);
  About1 = add(Help1, L"About1", L"&About...", &TfrmMain::About1Click);
  SetMenu(MainMenu1);
}

void TfrmMain::ApplyExplorerTheme() {
  for (TWinControl* control : std::initializer_list<TWinControl*>{ShellTree, ShellList, ShellTree2, ShellList2})
    SetWindowTheme(control->GetHandle(), L"explorer", nullptr);
}

// The panes.

TPane TfrmMain::FocusedPane() const {
  return ShellTree->Focused() || ShellList->Focused() ? TPane::First : TPane::Second;
}

void TfrmMain::SetPaneView(TPane pane, bool iconList, bool details, bool tumbnails) {
  if (pane == TPane::First) {
    IconList1 = iconList, Details1 = details, Tumbnails1 = tumbnails;
  } else {
    IconList2 = iconList, Details2 = details, Tumbnails2 = tumbnails;
  }
}

void TfrmMain::SyncViewButtons(TPane pane) {
  const bool first = pane == TPane::First;
  const bool iconList = first ? IconList1 : IconList2;
  const bool details = first ? Details1 : Details2;
  const bool tumbnails = first ? Tumbnails1 : Tumbnails2;
  // Up first: a group that may be all up holds at most one button down.
  // With more than one flag set, the button of the view the list gets
  // below is pressed last, so that it is the one left down.
  for (TSpeedButton* button : {IconListButton, DetailsButton, TumbnailsButton}) button->SetDown(false);
  if (tumbnails) TumbnailsButton->SetDown(true);
  if (details) DetailsButton->SetDown(true);
  if (iconList) IconListButton->SetDown(true);

  TNsShellList* list = ListOf(pane);
  if (iconList)
    list->SetViewStyle(vsList);
  else if (details)
    list->SetViewStyle(vsReport);
  else
    list->SetThumbnails(true);
}

// Commands.

void TfrmMain::ParentButtonClick(TObject*) { TreeOf(FocusedPane())->GoUp(); }

void TfrmMain::IconListButtonClick(TObject*) {
  const TPane pane = FocusedPane();
  ListOf(pane)->SetViewStyle(vsList);
  SetPaneView(pane, true, false, false);
}

void TfrmMain::DetailsButtonClick(TObject*) {
  const TPane pane = FocusedPane();
  ListOf(pane)->SetViewStyle(vsReport);
  SetPaneView(pane, false, true, false);
}

void TfrmMain::TumbnailsButtonClick(TObject*) {
  const TPane pane = FocusedPane();
  ListOf(pane)->SetThumbnails(true);
  SetPaneView(pane, false, false, true);
}

void TfrmMain::HiddenButtonClick(TObject*) {
  const TPane pane = FocusedPane();
  const bool show = HiddenButton->GetDown();
  ListOf(pane)->SetShowHidden(show);
  TreeOf(pane)->SetShowHidden(show);
}

void TfrmMain::SingleWinButtonClick(TObject*) {
  PanelExpl2->SetHeight(0);
  Expl1Focus = true;
}

void TfrmMain::DualHButtonClick(TObject*) { PanelExpl2->SetHeight(GetHeight() / 2 - 60); }

void TfrmMain::Exi1Click(TObject*) { Close(); }

void TfrmMain::Bookmark1Click(TObject*) {
  if (frmBookmark == nullptr) return;
  frmBookmark->Show();
  // The bookmark window puts the focus on its list.
  frmBookmark->SetFocus();
}

void TfrmMain::LastAddedClick(TObject*) {
  auto* latestAdded = dynamic_cast<TfrmLatestAdded*>(frmLatestAdded);
  if (latestAdded == nullptr) return;
  // A window already showing keeps its list until its own Refresh.
  latestAdded->lblStartPath->SetCaption(TreeOf(FocusedPane())->GetSelectedFolder());
  latestAdded->Show();
  if (latestAdded->ListBoxLatest->CanFocus()) latestAdded->ListBoxLatest->SetFocus();
}

void TfrmMain::About1Click(TObject*) {
  if (frmAbout != nullptr) frmAbout->ShowModal();
}

// Events of the controls.

void TfrmMain::FirstPaneMouseDown(TObject*, TMouseButton, TShiftState, int, int) { Expl1Focus = true; }

void TfrmMain::SecondPaneMouseDown(TObject*, TMouseButton, TShiftState, int, int) { Expl1Focus = false; }

void TfrmMain::ShellTree2Enter(TObject*) { SyncViewButtons(TPane::Second); }

void TfrmMain::Splitter1CanResize(TObject*, int& NewSize, bool& Accept) {
  ShellTree2->SetWidth(NewSize);
  Accept = true;
}

void TfrmMain::Splitter3CanResize(TObject*, int& NewSize, bool& Accept) {
  Panel2->SetWidth(NewSize);
  Accept = true;
}

void TfrmMain::FormShow(TObject*) {
  if (ShellTree->CanFocus()) ShellTree->SetFocus();
}

void TfrmMain::AppHint(TObject*) {
  // Claimed so that no hint text is shown anywhere; the buttons' tooltips
  // still appear.
}

}  // namespace ts
