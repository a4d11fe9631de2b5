#pragma once
// Check states by name in the messages of failed expectations.
#include <ostream>

#include "link/NsSelectionState.h"

namespace ts {

inline void PrintTo(TNsSelectionState state, std::ostream* os) {
  static const char* const names[] = {"ssUnused", "ssDisabled", "ssChecked", "ssUnChecked", "ssGrayed"};
  if (state <= ssGrayed)
    *os << names[state];
  else
    *os << "state " << static_cast<int>(state);
}

}  // namespace ts
