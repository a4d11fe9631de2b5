#include "notify/DirectoryWatcher.h"

#include <cstddef>

#include "shell/ProcessInfo.h"

namespace ts {

namespace {

constexpr UINT kChangesWaiting = WM_APP + 0x4D;
// How long the caller waits for the watch to be armed: long enough for a
// busy machine, short enough that a stuck file system does not freeze it.
constexpr DWORD kArmingLimitMs = 5000;
// Where a held handle would keep the folder from being deleted, the folder's
// time of last change is read this often instead.
constexpr DWORD kPollIntervalMs = 400;
constexpr DWORD kWatched = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                           FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

TDirectoryWatcher::TDirectoryWatcher()
    : fWindow(std::make_unique<TUtilityWindow>(
          [this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            return HandleMessage(window, message, wParam, lParam);
          })) {}

TDirectoryWatcher::~TDirectoryWatcher() {
  OnChange = nullptr;
  Stop();
}

void TDirectoryWatcher::Watch(const std::wstring& folder) {
  if (folder == fFolder && (folder.empty() || Watching())) return;
  if (fThread.joinable()) {
    SetEvent(fStop);
    fThread.join();
  }
  if (fStop != nullptr) CloseHandle(fStop);
  fStop = nullptr;
  // What the old watch saw is no news of the new folder.
  fShared.reset();
  fFolder = folder;
  if (folder.empty() || !fWindow || fWindow->GetHandle() == nullptr) return;
  if (RunningOnWine()) {
    StartPolling(folder);
    return;
  }
  HANDLE directory = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (directory == INVALID_HANDLE_VALUE) return;
  fStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  fShared = std::make_shared<TShared>();
  // Changes count from the first read on: the caller may change the folder
  // as soon as this returns, so the watch is armed before.
  // The thread sets and closes its own handle of the event.
  HANDLE armed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE threadsArmed = nullptr;
  if (armed != nullptr)
    DuplicateHandle(GetCurrentProcess(), armed, GetCurrentProcess(), &threadsArmed, 0, FALSE, DUPLICATE_SAME_ACCESS);
  try {
    fThread = std::thread(&TDirectoryWatcher::Run, directory, fStop, threadsArmed, fWindow->GetHandle(), fShared);
    if (armed != nullptr && threadsArmed != nullptr) WaitForSingleObject(armed, kArmingLimitMs);
  } catch (...) {
    CloseHandle(directory);
    if (threadsArmed != nullptr) CloseHandle(threadsArmed);
  }
  if (armed != nullptr) CloseHandle(armed);
}

void TDirectoryWatcher::StartPolling(const std::wstring& folder) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return;
  fStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  fShared = std::make_shared<TShared>();
  try {
    fThread = std::thread(&TDirectoryWatcher::Poll, folder, data.ftLastWriteTime, fStop, fWindow->GetHandle(),
                          fShared);
  } catch (...) {
    fShared.reset();
  }
}

void TDirectoryWatcher::Hand(HWND window, TShared& shared, std::vector<std::wstring>&& names, bool unknown,
                             bool ended) {
  bool post = false;
  {
    std::lock_guard<std::mutex> guard(shared.Lock);
    shared.Unknown = shared.Unknown || unknown || ended;
    shared.Names.insert(shared.Names.end(), names.begin(), names.end());
    // One message waits for the main thread at a time, however long the burst.
    post = !shared.Posted;
    shared.Posted = true;
  }
  if (ended) shared.Ended = true;
  if (post) PostMessageW(window, kChangesWaiting, 0, 0);
}

void TDirectoryWatcher::Run(HANDLE directory, HANDLE stop, HANDLE armed, HWND window,
                            std::shared_ptr<TShared> shared) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  alignas(DWORD) static thread_local BYTE buffer[64 * 1024];
  const HANDLE waits[2] = {overlapped.hEvent, stop};
  for (;;) {
    ResetEvent(overlapped.hEvent);
    bool unknown = false;
    std::vector<std::wstring> names;
    bool ended = false;
    const BOOL reading =
        ReadDirectoryChangesW(directory, buffer, sizeof buffer, FALSE, kWatched, nullptr, &overlapped, nullptr);
    if (armed != nullptr) {
      SetEvent(armed);
      CloseHandle(armed);
      armed = nullptr;
    }
    if (!reading) {
      ended = true;
    } else {
      if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIo(directory);
        DWORD ignored = 0;
        GetOverlappedResult(directory, &overlapped, &ignored, TRUE);
        break;
      }
      DWORD bytes = 0;
      if (!GetOverlappedResult(directory, &overlapped, &bytes, FALSE)) {
        ended = true;  // the folder went, or the watch broke
      } else if (bytes == 0) {
        unknown = true;  // more than the buffer held
      } else {
        for (size_t at = 0; at < bytes;) {
          const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
          names.emplace_back(info->FileName, info->FileNameLength / sizeof(wchar_t));
          if (info->NextEntryOffset == 0) break;
          at += info->NextEntryOffset;
        }
      }
    }
    Hand(window, *shared, std::move(names), unknown, ended);
    if (ended) break;
  }
  CloseHandle(overlapped.hEvent);
  CloseHandle(directory);
}

void TDirectoryWatcher::Poll(std::wstring folder, FILETIME lastWrite, HANDLE stop, HWND window,
                             std::shared_ptr<TShared> shared) {
  while (WaitForSingleObject(stop, kPollIntervalMs) == WAIT_TIMEOUT) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      Hand(window, *shared, {}, true, true);
      return;
    }
    if (CompareFileTime(&data.ftLastWriteTime, &lastWrite) != 0) {
      lastWrite = data.ftLastWriteTime;
      Hand(window, *shared, {}, true, false);
    }
  }
}

LRESULT TDirectoryWatcher::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kChangesWaiting) return DefWindowProcW(window, message, wParam, lParam);
  Deliver();
  return 0;
}

void TDirectoryWatcher::Deliver() {
  std::shared_ptr<TShared> shared = fShared;
  if (!shared) return;
  std::vector<std::wstring> names;
  bool unknown = false;
  {
    std::lock_guard<std::mutex> guard(shared->Lock);
    names.swap(shared->Names);
    unknown = shared->Unknown;
    shared->Unknown = false;
    shared->Posted = false;
  }
  if (unknown) names.clear();
  if (OnChange) OnChange(names);
}

}  // namespace ts
