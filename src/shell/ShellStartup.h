#pragma once
// The start-up of the shell layer in its two steps and its shut-down in the
// reverse order:
//   1. LoadShellLibraries (ShellFunctions.h): component runtime, libraries,
//      bound entries, captions;
//      -- the process-wide worker pool is created here --
//   2. CreateShellObjects: desktop folder, thumbnail lock, the menu command
//      reservation, version flags, well-known paths.
//      -- the process-wide worker pool is destroyed here, first: its running
//         jobs use the shell objects until they have ended --
//   ReleaseShellObjects;
//   UnloadShellLibraries.
#include <functional>

namespace ts {

// Menu command identifiers 1 to 255 belong to the shell's context-menu
// handlers; the application's own menu items start here.
constexpr int FirstApplicationMenuCommandId = 256;

// Step 2. Raises ENsBrowserError when the shell gives no desktop folder.
void CreateShellObjects();
void ReleaseShellObjects();
bool ShellObjectsCreated();

// The version flags from a major and minor version number.
void SetVersionFlags(unsigned major, unsigned minor);
// The version flags from the platform; unchanged when it does not answer.
void ComputeVersionFlags();

// The whole shell layer for the lifetime of one object: both steps in its
// constructor, the shut-down in its destructor. The hooks are where the
// process-wide worker pool lives: from between the steps until before the
// shell objects are released.
struct TShellLayerHooks {
  std::function<void()> AfterLibrariesLoaded;
  std::function<void()> BeforeShellObjectsReleased;
};

class TShellLayer {
public:
  explicit TShellLayer(TShellLayerHooks hooks = {});
  ~TShellLayer();
  TShellLayer(const TShellLayer&) = delete;
  TShellLayer& operator=(const TShellLayer&) = delete;

private:
  void StopHook() noexcept;
  TShellLayerHooks fHooks;
};

}  // namespace ts
