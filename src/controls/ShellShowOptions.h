#pragma once
// The show options the shell controls share (list, tree and folder combo)
// and the filter that decides whether a browser's current item is shown.
#include <cstdint>

#include "toolkit/Set.h"

namespace ts {

class TNsBrowser;

enum TNsShellShowOption : uint8_t {
  soShowNethood,
  soShowRecycleBin,
  soShowErrorMessages,
  soShowHidden,
  soShowFiles,
  soShowContextMenuOnTop,
  soColorCompressed,
  soColorEncrypted,
  soNoFillOnStartup
};
using TNsShellShowOptions = TSet<TNsShellShowOption, uint16_t>;

// Whether the browser's current item may be shown under options: hidden
// items only with soShowHidden; the network folders only with
// soShowNethood; the recycle bin (and hidden "RECYCL..." folders) only with
// soShowRecycleBin; files only with soShowFiles.
bool ItemMatchesShowOptions(TNsBrowser& browser, TNsShellShowOptions options);

// Sets or clears one option in a copy of options.
constexpr TNsShellShowOptions WithShowOption(TNsShellShowOptions options, TNsShellShowOption option,
                                             bool value) noexcept {
  return value ? options.Include(option) : options.Exclude(option);
}

}  // namespace ts
