#pragma once
// The kinds of change the shell reports, and the shell's event numbers.
#include <cstdint>

#include "toolkit/Set.h"

namespace ts {

enum TNotificationEvent : uint8_t {
  neAssociationChange, neAttributesChange, neFileChange, neFileCreate, neFileDelete, neFileRename, neDriveAdd,
  neDriveRemove, neShellDriveAdd, neDriveSpaceChange, neMediaInsert, neMediaRemove, neFolderCreate,
  neFolderDelete, neFolderRename, neFolderUpdate, neNetShare, neNetUnShare, neServerDisconnect,
  neImageListChange, neUnknown
};

using TNotificationEvents = TSet<TNotificationEvent, uint32_t>;

// Every event but neUnknown: the filter a notifier starts with (1048575).
TNotificationEvents DefaultNotificationEvents();
// The shell event an event stands for when registering (neUnknown: all).
uint32_t ShellEventOf(TNotificationEvent event);
// The OR of the shell events of a filter.
uint32_t ShellEventsOf(TNotificationEvents events);
// The event a received shell event number is; neUnknown for any other.
TNotificationEvent NotificationEventOf(uint32_t shellEvent);

}  // namespace ts
