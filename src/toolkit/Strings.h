#pragma once
// String helpers of the framework layer. Letter case follows the platform's
// Unicode rules (CharUpperBuffW, CompareStringW), not just ASCII.
#include <string>
#include <string_view>

namespace ts {

std::wstring UpperCase(std::wstring_view text);
std::wstring LowerCase(std::wstring_view text);

// Locale-aware comparisons: negative, 0 or positive.
int CompareStr(std::wstring_view a, std::wstring_view b);
int CompareText(std::wstring_view a, std::wstring_view b);
bool SameText(std::wstring_view a, std::wstring_view b);

bool StartsText(std::wstring_view prefix, std::wstring_view text);
bool EndsText(std::wstring_view suffix, std::wstring_view text);
// Position of needle in text ignoring case; npos when absent.
size_t FindText(std::wstring_view text, std::wstring_view needle, size_t from = 0);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
std::wstring StringReplace(std::wstring_view text, std::wstring_view oldPattern, std::wstring_view newPattern,
                           unsigned flags);

std::wstring Trim(std::wstring_view text);

// Parses a decimal integer; false when text is not one (nothing else around it).
bool TryStrToInt(std::wstring_view text, long long& value);

}  // namespace ts
