#include "shell/PathDataObjects.h"

#include "shell/ItemIdListPaths.h"
#include "shell/ShellGlobals.h"
#include "toolkit/Exception.h"
#include "toolkit/StringList.h"

namespace ts {

int PathsToItemIdLists(TStringList& paths, std::vector<PItemIDList>& lists) {
  lists.clear();
  int i = 0;
  while (i < paths.GetCount()) {
    PItemIDList list = PathToItemIdList(nullptr, paths.Get(i));
    if (list == nullptr) {
      paths.Delete(i);
      continue;
    }
    lists.push_back(list);
    ++i;
  }
  return static_cast<int>(lists.size());
}

TComPtr<IDataObject> GetDataObjectForPaths(TStringList& paths) {
  std::vector<PItemIDList> raw;
  PathsToItemIdLists(paths, raw);
  std::vector<TPidl> owned;
  owned.reserve(raw.size());
  for (PItemIDList list : raw) owned.emplace_back(list);

  TComPtr<IDataObject> data;
  HRESULT hr = E_UNEXPECTED;
  if (DesktopFolder != nullptr)
    hr = DesktopFolder->GetUIObjectOf(GetActiveWindow(), static_cast<UINT>(raw.size()),
                                      const_cast<PCUITEMID_CHILD_ARRAY>(raw.data()), IID_IDataObject, nullptr,
                                      data.PutVoid());
  OleCheck(hr);
  if (!data) OleCheck(E_FAIL);
  return data;
}

}  // namespace ts
