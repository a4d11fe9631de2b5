#pragma once
#include <string>

namespace ts {

// The platform's text for a system error code, without trailing line breaks.
std::wstring GetSystemErrorText(int code);

}  // namespace ts
