#pragma once
#include <cstdint>
#include <string>

namespace ts {

// Compares names as the platform's file views do, digits as numbers
// ("file2" before "file10"); a case-insensitive comparison without that.
int CompareNamesLogical(const std::wstring& a, const std::wstring& b);
// A size as the platform writes it ("1.50 KB"); empty for a negative size.
std::wstring FormatByteSize(int64_t size);

}  // namespace ts
