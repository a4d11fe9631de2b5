#pragma once
// The second layer of the folder combo: owner-drawn items with their small
// shell icons, indented by depth in the open list, a browser object and the
// system's small image list, and an open list at least 250 pixels wide.
#include <memory>
#include <string>

#include "controls/ShellComboEdit.h"
#include "controls/ShellComboItem.h"
#include "shell/NsBrowser.h"
#include "shell/NsSystemImageList.h"

namespace ts {

class TNsCustomFolderCombo : public TNsCustomEditComboBox {
  TS_CLASS(TNsCustomFolderCombo, TNsCustomEditComboBox)

public:
  explicit TNsCustomFolderCombo(TComponent* AOwner);
  ~TNsCustomFolderCombo() override;

  virtual std::wstring GetSelectedFolder() = 0;
  virtual void SetSelectedFolder(const std::wstring& value) = 0;
  int GetIndentPixels() const noexcept { return fIndentPixels; }
  // The item object of an entry; null for none (or an index out of range).
  TNsComboItem* ComboItem(int index) const;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
  void MeasureItem(int index, int& height) override;
  void DropDown() override;
  // The list the items' icons are drawn from.
  virtual TNsSystemImageList& DrawingImages() { return *fImageList; }
  // The text drawn on the closed face of a combo without edit field.
  virtual std::wstring FaceText(TNsComboItem& item);
  int ItemHeightFor(int index);

  std::unique_ptr<TNsBrowser> fNsBrowser;
  std::unique_ptr<TNsSystemImageList> fImageList;
  int fIndentPixels = 10;
  bool FNotDrawingInComboboxEdit = true;
  bool fAutoCompleteEnabled = false;
};

}  // namespace ts
