#pragma once
#include <string>

namespace ts {

// Whether a name matches one enumeration filter pattern, by the platform's
// wildcard rules; "*." matches the names without any dot.
bool MatchesFilterPattern(const std::wstring& name, const std::wstring& pattern);

}  // namespace ts
