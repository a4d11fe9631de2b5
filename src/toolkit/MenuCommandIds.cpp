#include "toolkit/MenuCommandIds.h"

#include <vector>

namespace ts {

namespace {

// Menus live on the main thread only; no lock is needed.
std::vector<bool>& TakenIds() {
  static std::vector<bool> taken;
  return taken;
}

}  // namespace

int AllocateMenuCommandId() {
  auto& taken = TakenIds();
  for (size_t i = 0; i < taken.size(); ++i)
    if (!taken[i]) {
      taken[i] = true;
      return static_cast<int>(i);
    }
  if (taken.size() > static_cast<size_t>(MaxMenuCommandId)) return -1;
  taken.push_back(true);
  return static_cast<int>(taken.size()) - 1;
}

void ReleaseMenuCommandId(int id) {
  auto& taken = TakenIds();
  if (id >= 0 && static_cast<size_t>(id) < taken.size()) taken[static_cast<size_t>(id)] = false;
  while (!taken.empty() && !taken.back()) taken.pop_back();
}

bool IsMenuCommandIdTaken(int id) {
  auto& taken = TakenIds();
  return id >= 0 && static_cast<size_t>(id) < taken.size() && taken[static_cast<size_t>(id)];
}

}  // namespace ts
