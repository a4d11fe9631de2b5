// The main window's settings file: read once while the window is made,
// written once while it is destroyed. Every read and write goes to the file
// at once; a failed write raises "Unable to write to <file>" and leaves the
// keys after it unwritten.
#include "app/MainWindow.h"
#include "shell/FileProbes.h"

namespace ts {

namespace {

constexpr wchar_t kForm[] = L"MForm";
constexpr wchar_t kGeneral[] = L"GenInfo";

}  // namespace

void TfrmMain::ReadSettings() {
  TIniFile& ini = *fSettings;
  const int top = ini.ReadInteger(kForm, L"Top", 100);
  const int left = ini.ReadInteger(kForm, L"Left", 100);
  const int height = ini.ReadInteger(kForm, L"Height", 500);
  const int width = ini.ReadInteger(kForm, L"Width", 700);
  SetBounds(left, top, width, height);
  // Bounds from a monitor that is gone, or a larger screen, come back into view.
  MakeFullyVisible();

  Path1 = ini.ReadString(kGeneral, L"Path1", L"");
  Path2 = ini.ReadString(kGeneral, L"Path2", L"");
  // Each pane on its own: a folder that is gone (its drive too) leaves its
  // tree where it is, and so does a pattern, which names no folder.
  if (DirectoryExists(Path1)) ShellTree->SetSelectedFolder(Path1);
  if (DirectoryExists(Path2)) ShellTree2->SetSelectedFolder(Path2);

  PanelExpl2->SetHeight(ini.ReadInteger(kForm, L"Expl2Height", 250));
  Panel2->SetWidth(ini.ReadInteger(kForm, L"Expl1Width", 100));
  ShellTree2->SetWidth(ini.ReadInteger(kForm, L"Expl1Width", 100));

  IconList1 = ini.ReadBool(kForm, L"IconList1", false);
  Details1 = ini.ReadBool(kForm, L"Details1", true);
  Tumbnails1 = ini.ReadBool(kForm, L"Tumbnails1", false);
  IconList2 = ini.ReadBool(kForm, L"IconList2", false);
  Details2 = ini.ReadBool(kForm, L"Details2", true);
  Tumbnails2 = ini.ReadBool(kForm, L"Tumbnails2", false);

  Expl1Focus = ini.ReadBool(kForm, L"Expl1Focus", true);
  SyncViewButtons(RememberedPane());

  HiddenButton->SetDown(ini.ReadBool(kForm, L"Hidden", false));
  ShellList->SetShowHidden(HiddenButton->GetDown());

  if (ini.ReadBool(kForm, L"wsNormal", true)) SetWindowState(wsNormal);
  if (ini.ReadBool(kForm, L"wsMaximized", true)) SetWindowState(wsMaximized);

  const bool single = ini.ReadBool(kForm, L"SingleWinB", false);
  SingleWinButton->SetDown(single);
  DualHButton->SetDown(!single);
}

void TfrmMain::WriteSettings() {
  TIniFile& ini = *fSettings;
  const TWindowState state = GetWindowState();
  if (state == wsNormal) {
    RECT bounds = GetBoundsRect();
    if (HandleAllocated()) GetWindowRect(GetHandle(), &bounds);
    ini.WriteInteger(kForm, L"Top", bounds.top);
    ini.WriteInteger(kForm, L"Left", bounds.left);
    ini.WriteInteger(kForm, L"Height", bounds.bottom - bounds.top);
    ini.WriteInteger(kForm, L"Width", bounds.right - bounds.left);
  }
  ini.WriteBool(kForm, L"Expl1Focus", Expl1Focus);
  if (state != wsMinimized) ini.WriteInteger(kForm, L"Expl2Height", PanelExpl2->GetHeight());
  ini.WriteInteger(kForm, L"Expl1Width", Panel2->GetWidth());
  ini.WriteString(kGeneral, L"Path1", ShellTree->GetSelectedFolder());
  ini.WriteString(kGeneral, L"Path2", ShellTree2->GetSelectedFolder());
  ini.WriteBool(kForm, L"IconList1", IconList1);
  ini.WriteBool(kForm, L"Details1", Details1);
  ini.WriteBool(kForm, L"Tumbnails1", Tumbnails1);
  ini.WriteBool(kForm, L"IconList2", IconList2);
  ini.WriteBool(kForm, L"Details2", Details2);
  ini.WriteBool(kForm, L"Tumbnails2", Tumbnails2);
  ini.WriteBool(kForm, L"wsNormal", state == wsNormal);
  ini.WriteBool(kForm, L"wsMaximized", state == wsMaximized);
  ini.WriteBool(kForm, L"SingleWinB", SingleWinButton->GetDown());
}

}  // namespace ts
