#pragma once
// Command identifiers of the application's menu items. Every menu item takes
// the lowest free identifier when it is created and gives it back when it is
// freed, so identifiers stay small and unique across all menus.
#include <cstdint>

namespace ts {

constexpr int MaxMenuCommandId = 0xFFFF;

// The lowest free identifier, now taken; -1 when every identifier is taken.
int AllocateMenuCommandId();
void ReleaseMenuCommandId(int id);
bool IsMenuCommandIdTaken(int id);

}  // namespace ts
