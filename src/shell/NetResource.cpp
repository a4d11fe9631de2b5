#include "shell/NetResource.h"

namespace ts {

std::wstring GetNetResourceName(IShellFolder* folder, PCItemIDList item) {
  if (folder == nullptr || item == nullptr) return {};
  // The resource's strings follow the record in the same buffer: leave room
  // for long names as well as the record itself.
  union {
    NETRESOURCEW Resource;
    BYTE Bytes[4096];
  } buffer{};
  if (FAILED(SHGetDataFromIDListW(folder, item, SHGDFIL_NETRESOURCE, &buffer, sizeof buffer))) return {};
  const DWORD type = buffer.Resource.dwDisplayType;
  if (type != RESOURCEDISPLAYTYPE_DOMAIN && type != RESOURCEDISPLAYTYPE_SERVER) return {};
  return buffer.Resource.lpRemoteName != nullptr ? std::wstring(buffer.Resource.lpRemoteName) : std::wstring();
}

}  // namespace ts
