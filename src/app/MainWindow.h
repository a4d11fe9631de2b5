#pragma once
// The program's main window: two explorer panes, one above the other, each a
// folder tree beside a file list with a path combo in a status bar under
// them, all three on one link; a toolbar and a menu bar that act on one pane
// at a time. Its geometry, folders, views and layout live in a settings file
// beside the executable, read once at creation and written once at
// destruction.
#include <memory>
#include <string>

#include "controls/ShellCombo.h"
#include "controls/ShellList.h"
#include "controls/ShellTree.h"
#include "link/NsShellLink.h"
#include "toolkit/Buttons.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/IniFiles.h"
#include "toolkit/Menus.h"

namespace ts {

// A status bar that holds child controls: the path combo beside "Path:".
class TALStatusBar : public TStatusBar {
  TS_CLASS(TALStatusBar, TStatusBar)

public:
  explicit TALStatusBar(TComponent* AOwner) : TStatusBar(AOwner, true) {}
};

// The two panes, as the commands name them.
class TNsNetConnectionDialog;

enum class TPane : uint8_t { First, Second };

class TfrmMain : public TForm {
  TS_CLASS(TfrmMain, TForm)

public:
  // The settings file is the executable's path with ".ini".
  explicit TfrmMain(TComponent* AOwner);
  // With the settings file given (tests).
  TfrmMain(TComponent* AOwner, const std::wstring& settingsFile);
  // Writes the settings.
  ~TfrmMain() override;

  // Components, from top to bottom.
  TPanel* Panel1 = nullptr;
  TSpeedButton* ParentButton = nullptr;
  TSpeedButton* NewFolderButton = nullptr;
  TSpeedButton* PropertiesButton = nullptr;
  TSpeedButton* IconListButton = nullptr;
  TSpeedButton* DetailsButton = nullptr;
  TSpeedButton* TumbnailsButton = nullptr;
  TSpeedButton* HiddenButton = nullptr;
  TSpeedButton* SingleWinButton = nullptr;
  TSpeedButton* DualHButton = nullptr;
  TSpeedButton* NetworkButton = nullptr;
  TPanel* Panel2 = nullptr;
  TNsShellTree* ShellTree = nullptr;
  TSplitter* Splitter1 = nullptr;
  TNsShellList* ShellList = nullptr;
  TALStatusBar* ALStatusBar2 = nullptr;
  TNsShellCombo* NsShellCombo2 = nullptr;
  TSplitter* Splitter2 = nullptr;
  TPanel* PanelExpl2 = nullptr;
  TNsShellTree* ShellTree2 = nullptr;
  TSplitter* Splitter3 = nullptr;
  TNsShellList* ShellList2 = nullptr;
  TALStatusBar* ALStatusBar1 = nullptr;
  TNsShellCombo* NsShellCombo3 = nullptr;
  TNsShellLink* NsShellLink = nullptr;
  TNsShellLink* NsShellLink2 = nullptr;
  TNsNetConnectionDialog* NsNetConnectionDialog1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Exi1 = nullptr;
  TMenuItem* Bookmark1 = nullptr;
  TMenuItem* LastAdded1 = nullptr;
  TMenuItem* Help1 = nullptr;
  TMenuItem* About1 = nullptr;

  // The folders of the two panes as the settings hold them.
  std::wstring Path1;
  std::wstring Path2;
  // The views of the two lists: one flag of each pane is set by a view command.
  bool IconList1 = false, Details1 = true, Tumbnails1 = false;
  bool IconList2 = false, Details2 = true, Tumbnails2 = false;
  // The remembered pane: true for the first. Clicks and SingleWinButton set it.
  bool Expl1Focus = true;

  // The pane a command acts on: the first while its tree or list has the
  // keyboard focus, the second otherwise (the path combos do not count).
  TPane FocusedPane() const;
  TPane RememberedPane() const { return Expl1Focus ? TPane::First : TPane::Second; }
  TNsShellTree* TreeOf(TPane pane) const { return pane == TPane::First ? ShellTree : ShellTree2; }
  TNsShellList* ListOf(TPane pane) const { return pane == TPane::First ? ShellList : ShellList2; }
  TIniFile& GetSettings() noexcept { return *fSettings; }

  // Shows a pane's view flags on the view buttons and applies them to its list.
  void SyncViewButtons(TPane pane);

  // Commands.
  void ParentButtonClick(TObject* Sender);
  // File commands (MainWindowFileCommands.cpp).
  void NewFolderButtonClick(TObject* Sender);
  void PropertiesButtonClick(TObject* Sender);
  void NetworkButtonClick(TObject* Sender);
  void ShellTreeKeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
  void IconListButtonClick(TObject* Sender);
  void DetailsButtonClick(TObject* Sender);
  void TumbnailsButtonClick(TObject* Sender);
  void HiddenButtonClick(TObject* Sender);
  void SingleWinButtonClick(TObject* Sender);
  void DualHButtonClick(TObject* Sender);
  void Exi1Click(TObject* Sender);
  void Bookmark1Click(TObject* Sender);
  void LastAddedClick(TObject* Sender);
  void About1Click(TObject* Sender);

  // Events of the window's controls.
  void FirstPaneMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void SecondPaneMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void ShellTree2Enter(TObject* Sender);
  void Splitter1CanResize(TObject* Sender, int& NewSize, bool& Accept);
  void Splitter3CanResize(TObject* Sender, int& NewSize, bool& Accept);
  void FormShow(TObject* Sender);
  void AppHint(TObject* Sender);

private:
  void CreateComponents();
  void CreateToolbar();
  void CreateFirstPane();
  void CreateSecondPane();
  void CreateMenu();
  TSpeedButton* AddToolButton(const wchar_t* name, int left, const wchar_t* hint, int glyph, int group,
                              bool allowAllUp, void (TfrmMain::*handler)(TObject*));
  void ConfigureTree(TNsShellTree* tree, TNsShellLink* link);
  void ConfigureList(TNsShellList* list, TNsShellLink* link);
  void ConfigureCombo(TNsShellCombo* combo, TNsShellLink* link);
  void SetPaneView(TPane pane, bool iconList, bool details, bool tumbnails);
  void SwitchOnInteraction();
  void ApplyExplorerTheme();

  // Settings (MainWindowSettings.cpp).
  void ReadSettings();
  void WriteSettings();

  std::unique_ptr<TIniFile> fSettings;
};

// The settings file of the running program: its path with ".ini".
std::wstring MainSettingsFileName();

// The program's windows, once made.
extern TfrmMain* frmMain;
class TfrmAbout;
extern TfrmAbout* frmAbout;
// The bookmark and Latest Added windows plug in here.
extern TForm* frmBookmark;
extern TForm* frmLatestAdded;

}  // namespace ts
