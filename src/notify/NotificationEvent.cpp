#include "notify/NotificationEvent.h"

#include <windows.h>
#include <shlobj.h>

namespace ts {

namespace {

constexpr uint32_t kShellEvents[] = {
    SHCNE_ASSOCCHANGED, SHCNE_ATTRIBUTES,   SHCNE_UPDATEITEM,   SHCNE_CREATE,         SHCNE_DELETE,
    SHCNE_RENAMEITEM,   SHCNE_DRIVEADD,     SHCNE_DRIVEREMOVED, SHCNE_DRIVEADDGUI,    SHCNE_FREESPACE,
    SHCNE_MEDIAINSERTED, SHCNE_MEDIAREMOVED, SHCNE_MKDIR,       SHCNE_RMDIR,          SHCNE_RENAMEFOLDER,
    SHCNE_UPDATEDIR,    SHCNE_NETSHARE,     SHCNE_NETUNSHARE,   SHCNE_SERVERDISCONNECT, SHCNE_UPDATEIMAGE,
};
static_assert(sizeof kShellEvents / sizeof kShellEvents[0] == neUnknown, "one shell event per known event");

}  // namespace

TNotificationEvents DefaultNotificationEvents() { return TNotificationEvents::FromValue((1u << neUnknown) - 1); }

uint32_t ShellEventOf(TNotificationEvent event) {
  return event < neUnknown ? kShellEvents[event] : static_cast<uint32_t>(SHCNE_ALLEVENTS);
}

uint32_t ShellEventsOf(TNotificationEvents events) {
  uint32_t mask = 0;
  for (int i = 0; i <= neUnknown; ++i) {
    const auto event = static_cast<TNotificationEvent>(i);
    if (events.Contains(event)) mask |= ShellEventOf(event);
  }
  return mask;
}

TNotificationEvent NotificationEventOf(uint32_t shellEvent) {
  for (int i = 0; i < neUnknown; ++i)
    if (kShellEvents[i] == shellEvent) return static_cast<TNotificationEvent>(i);
  return neUnknown;
}

}  // namespace ts
