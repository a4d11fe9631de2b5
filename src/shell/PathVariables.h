#pragma once
#include <windows.h>

#include <string>

namespace ts {

// Expands environment variables, then %DATE% (yyyy-mm-dd) and %TIME%
// (hh-nn-ss, 24 hours) in any letter case, from the local clock.
std::wstring ExpandPathVariables(const std::wstring& text);
// The %DATE% and %TIME% step alone, from the given date and time.
std::wstring ReplaceDateTimeVariables(const std::wstring& text, const SYSTEMTIME& date, const SYSTEMTIME& time);

}  // namespace ts
