#pragma once
#include <string>

namespace ts {

// The target path of a shortcut file; empty when the file is not a readable
// shortcut. In a 32-bit process on a 64-bit system a target under the x86
// program files folder that does not exist there is looked for under the
// native one.
std::wstring ResolveLinkTarget(const std::wstring& path);

}  // namespace ts
