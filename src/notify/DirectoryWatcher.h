#pragma once
// Watches one file-system folder for changes to what it holds (names,
// sizes, dates, attributes), also those made behind the shell's back, which
// the shell's own notification may not report. The changes are handed to
// the owner on the main thread, a burst of them in one call. Under Wine,
// where a folder being watched cannot be deleted, the watch reads the
// folder's time of last change instead, and cannot name what changed.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/UtilityWindow.h"

namespace ts {

class TDirectoryWatcher {
public:
  // The names (relative to the folder) that changed since the last call;
  // empty when the watch cannot tell which (too many changes, or the folder
  // itself went).
  using TOnChange = std::function<void(const std::vector<std::wstring>& Names)>;

  TDirectoryWatcher();
  // Stops watching; no change is handed over afterwards.
  ~TDirectoryWatcher();
  TDirectoryWatcher(const TDirectoryWatcher&) = delete;
  TDirectoryWatcher& operator=(const TDirectoryWatcher&) = delete;

  // Watches the folder (an empty path, or one that cannot be opened, stops
  // the watch); the same folder again changes nothing.
  void Watch(const std::wstring& folder);
  void Stop() { Watch(std::wstring()); }
  const std::wstring& GetFolder() const noexcept { return fFolder; }
  bool Watching() const noexcept { return fThread.joinable() && fShared && !fShared->Ended; }

  TOnChange OnChange;

private:
  struct TShared {
    std::mutex Lock;
    std::vector<std::wstring> Names;
    bool Unknown = false;
    bool Posted = false;
    // The watch broke (the folder went): watching it again starts anew.
    std::atomic<bool> Ended{false};
  };
  void StartPolling(const std::wstring& folder);
  // Hands changes to the main thread.
  static void Hand(HWND window, TShared& shared, std::vector<std::wstring>&& names, bool unknown, bool ended);
  // Reads the folder's changes through a handle held open on it.
  static void Run(HANDLE directory, HANDLE stop, HANDLE armed, HWND window, std::shared_ptr<TShared> shared);
  // Compares the folder's time of last change, holding nothing open: under
  // Wine a handle held open keeps a deleted folder in place.
  static void Poll(std::wstring folder, FILETIME lastWrite, HANDLE stop, HWND window, std::shared_ptr<TShared> shared);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Deliver();

  std::wstring fFolder;
  std::unique_ptr<TUtilityWindow> fWindow;
  std::shared_ptr<TShared> fShared;
  HANDLE fStop = nullptr;
  std::thread fThread;
};

}  // namespace ts
