#pragma once
// What a check box shows for an item. The ordinal doubles as the state-image
// index of list items and tree nodes.
#include <cstdint>

namespace ts {

enum TNsSelectionState : uint8_t {
  ssUnused,     // no check box
  ssDisabled,   // the item cannot be selected
  ssChecked,
  ssUnChecked,
  ssGrayed      // not selected, but something below it is
};

}  // namespace ts
