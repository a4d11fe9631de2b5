#pragma once
// Pure tests on Windows paths; letters are compared without regard to case.
#include <windows.h>

#include <string>

namespace ts {

// "C:" for a path whose second character is ':'; for a path starting with two
// backslashes, everything before the second backslash after them (server and
// share), or the whole path when there is none; else empty.
std::wstring PathDrivePart(const std::wstring& path);

bool IsRootPath(const std::wstring& path);
bool IsDrivePath(const std::wstring& path);
bool IsUNCPath(const std::wstring& path);
bool IsUNCServerPath(const std::wstring& path);
bool IsDriveOrUNCPath(const std::wstring& path);
// UNC, or on a drive the platform reports as remote.
bool IsNetworkPath(const std::wstring& path);
// Whether the path (a trailing backslash dropped) has the extension; ext
// gets its leading "." when it lacks one; an empty ext matches no extension.
bool HasExtension(const std::wstring& path, const std::wstring& ext);
// Equal once one trailing backslash is dropped from each.
bool SamePath(const std::wstring& a, const std::wstring& b);
// A textual prefix test: C:\Fo counts as an ancestor of C:\Foo\Bar.
bool IsAncestorPath(const std::wstring& ancestor, const std::wstring& path);
bool IsDotOrDotDot(const std::wstring& name);
bool IsReparsePoint(DWORD attributes);

}  // namespace ts
