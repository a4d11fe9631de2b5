#include "shell/FilterPattern.h"

#include <windows.h>
#include <shlwapi.h>

#include "shell/ShellFunctions.h"
#include "toolkit/Strings.h"

namespace ts {

namespace {

bool PlatformMatch(const std::wstring& name, const std::wstring& pattern) {
  // The entry is bound at start-up; before that (or without it) the linked
  // function answers the same.
  auto match = ShellFunctions.PathMatchSpecW ? ShellFunctions.PathMatchSpecW : ::PathMatchSpecW;
  return match(name.c_str(), pattern.c_str()) != FALSE;
}

}  // namespace

bool MatchesFilterPattern(const std::wstring& name, const std::wstring& pattern) {
  if (pattern == L"*.") return name.find(L'.') == std::wstring::npos || PlatformMatch(name, pattern);
  // "*.*" means every name, also one without a dot, wherever it stands in a
  // pattern; the platform grants that only to a pattern of exactly "*.*".
  if (FindText(pattern, L"*.*") != std::wstring::npos)
    return PlatformMatch(name, StringReplace(pattern, L"*.*", L"*", rfReplaceAll | rfIgnoreCase));
  return PlatformMatch(name, pattern);
}

}  // namespace ts
