#include "shell/ShellStartup.h"

#include <vector>

#include "shell/FileProbes.h"
#include "shell/NsBrowserError.h"
#include "shell/PathVariables.h"
#include "shell/ShellFunctions.h"
#include "shell/ShellGlobals.h"
#include "shell/SpecialFolders.h"
#include "toolkit/FilePaths.h"
#include "toolkit/MenuCommandIds.h"

namespace ts {

namespace {

bool gObjectsCreated = false;
// The placeholder identifiers that keep 0 to 255 away from the application's menus.
std::vector<int> gReservedMenuIds;

void ReserveShellMenuCommandIds() {
  // Take every identifier still free below the application's range.
  for (;;) {
    int id = AllocateMenuCommandId();
    if (id < 0) break;
    if (id >= FirstApplicationMenuCommandId) {
      ReleaseMenuCommandId(id);
      break;
    }
    gReservedMenuIds.push_back(id);
  }
}

void ReleaseShellMenuCommandIds() {
  for (auto it = gReservedMenuIds.rbegin(); it != gReservedMenuIds.rend(); ++it) ReleaseMenuCommandId(*it);
  gReservedMenuIds.clear();
}

}  // namespace

void SetVersionFlags(unsigned major, unsigned minor) {
  IsWinXPOrLater = (major == 5 && minor >= 1) || major >= 6;
  IsVistaOrLater = major >= 6;
  IsWin7OrLater = (major == 6 && minor >= 1) || major >= 7;
}

void ComputeVersionFlags() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  static_assert(sizeof(OSVERSIONINFOW) == 276, "the version record has a fixed size");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&info)) SetVersionFlags(info.dwMajorVersion, info.dwMinorVersion);
#pragma GCC diagnostic pop
}

void CreateShellObjects() {
  if (gObjectsCreated) return;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop)) || desktop == nullptr)
    throw ENsBrowserError(L"RizezIvoruvi Components: Cannot open Shell!");
  DesktopFolder = desktop;
  ThumbnailLock = new TCriticalSection();
  ReserveShellMenuCommandIds();
  ComputeVersionFlags();
  WindowsDriveRoot = IncludeTrailingPathDelimiter(ExtractFileDrive(GetWindowsDirectoryPath()));
  ProgramFilesX86Path = GetSpecialFolderPath(SF_PROGRAM_FILESX86);
  ProgramFilesNativePath = ExpandPathVariables(L"%ProgramW6432%");
  gObjectsCreated = true;
}

void ReleaseShellObjects() {
  ReleaseShellMenuCommandIds();
  delete ThumbnailLock;
  ThumbnailLock = nullptr;
  if (DesktopFolder != nullptr) DesktopFolder->Release();
  DesktopFolder = nullptr;
  WindowsDriveRoot.clear();
  ProgramFilesX86Path.clear();
  ProgramFilesNativePath.clear();
  LastBrowseFolderPath.clear();
  gObjectsCreated = false;
}

bool ShellObjectsCreated() { return gObjectsCreated; }

TShellLayer::TShellLayer(TShellLayerHooks hooks) : fHooks(std::move(hooks)) {
  LoadShellLibraries();
  try {
    if (fHooks.AfterLibrariesLoaded) fHooks.AfterLibrariesLoaded();
    try {
      CreateShellObjects();
    } catch (...) {
      StopHook();
      ReleaseShellObjects();
      throw;
    }
  } catch (...) {
    UnloadShellLibraries();
    throw;
  }
}

void TShellLayer::StopHook() noexcept {
  try {
    if (fHooks.BeforeShellObjectsReleased) fHooks.BeforeShellObjectsReleased();
  } catch (...) {
    // Shutting down: the shell objects go whatever the hook did.
  }
}

TShellLayer::~TShellLayer() {
  // The pool's jobs (a thumbnail under ThumbnailLock, an icon lookup on the
  // Windows drive, a parse with the desktop folder) use the shell objects
  // until they have ended.
  StopHook();
  ReleaseShellObjects();
  UnloadShellLibraries();
}

}  // namespace ts
