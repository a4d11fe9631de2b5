#pragma once
#include <string>

namespace ts {

// Runs the default action of a file (or folder) as the shell would on a
// double click; answers whether the shell accepted the request.
bool ExecuteFile(const std::wstring& path);

}  // namespace ts
