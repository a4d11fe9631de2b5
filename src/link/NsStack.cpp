#include "link/NsStack.h"

#include "toolkit/FilePaths.h"

namespace ts {

void TNsStack::Push(HANDLE Handle, const std::wstring& Path) {
  if (Handle == nullptr || Handle == INVALID_HANDLE_VALUE) return;
  fCurrentPath = IncludeTrailingPathDelimiter(fCurrentPath + Path);
  Add(Handle);
  fLevels.emplace_back();
}

HANDLE TNsStack::Pop() {
  if (GetCount() == 0) return nullptr;
  HANDLE handle = Get(GetCount() - 1);
  Delete(GetCount() - 1);
  fLevels.pop_back();
  if (GetCount() == 0) {
    fCurrentPath.clear();
  } else {
    // Everything after the last delimiter before the final one goes.
    const std::wstring trimmed = ExcludeTrailingPathDelimiter(fCurrentPath);
    const size_t cut = trimmed.find_last_of(PathDelim);
    fCurrentPath = cut == std::wstring::npos ? std::wstring() : trimmed.substr(0, cut + 1);
  }
  return handle;
}

HANDLE TNsStack::Top() const { return GetCount() == 0 ? nullptr : Get(GetCount() - 1); }

void TNsStack::ReplaceTop(HANDLE Handle) {
  if (GetCount() > 0) Put(GetCount() - 1, Handle);
}

}  // namespace ts
