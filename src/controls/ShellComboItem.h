#pragma once
// One entry of the folder combo: the text stored in the combo's list, the
// text drawn, its depth, its small icon (looked up when first drawn),
// whether it survives a rebuild of the folder chain, and the item's
// absolute identifier list, which it owns.
#include <string>

#include "shell/ItemIdList.h"
#include "toolkit/Object.h"

namespace ts {

class TNsComboItem : public TObject {
  TS_CLASS(TNsComboItem, TObject)

public:
  TNsComboItem(const std::wstring& aCaption, const std::wstring& aDisplayName, int aIndent, int aImageIndex);
  ~TNsComboItem() override = default;

  const std::wstring& GetCaption() const noexcept { return fCaption; }
  void SetCaption(const std::wstring& value) { fCaption = value; }
  const std::wstring& GetDisplayName() const noexcept { return fDisplayName; }
  void SetDisplayName(const std::wstring& value) { fDisplayName = value; }
  int GetIndent() const noexcept { return fIndent; }
  void SetIndent(int value) noexcept { fIndent = value; }
  // The small icon's index; while unknown (-1), asked of the system image
  // list by the identifier list and kept.
  int GetImageIndex();
  void SetImageIndex(int value) noexcept { fImageIndex = value; }
  bool GetPersistent() const noexcept { return fPersistent; }
  void SetPersistent(bool value) noexcept { fPersistent = value; }
  // Lent; null for an item added by path only.
  PCItemIDList GetPIDL() const noexcept { return fPidl.Get(); }
  // Takes ownership of value; the previous list is freed.
  void SetPIDL(PItemIDList value) { fPidl.Reset(value); }
  // The file-system path of the identifier list; empty when it has none.
  std::wstring GetPath() const;

private:
  std::wstring fCaption;
  std::wstring fDisplayName;
  int fIndent;
  int fImageIndex;
  bool fPersistent = false;
  TPidl fPidl;
};

}  // namespace ts
