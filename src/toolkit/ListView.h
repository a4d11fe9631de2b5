#pragma once
// The list view the shell list extends, on the platform's list-view control:
// the four view styles, columns, items with caption, sub items, image (asked
// for through the platform's callback, so that OnGetImageIndex fires when an
// item is drawn), overlay and state indexes and state flags, label editing,
// custom draw, sorting and the change events. The items live in the control
// object; the window is given them again when it is made again.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Alignment.h"
#include "toolkit/Controls.h"
#include "toolkit/CustomDraw.h"
#include "toolkit/ImageList.h"

namespace ts {

class TCustomListView;
class TListItems;

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemChange : uint8_t { ctText, ctImage, ctState };
enum TDisplayCode : uint8_t { drBounds, drIcon, drLabel, drSelectBounds };
enum TSearchDirection : uint8_t { sdAll, sdAbove, sdBelow, sdLeft, sdRight };
enum TSortMark : uint8_t { smNone, smAscending, smDescending };

class TListItem : public TObject {
  TS_CLASS(TListItem, TObject)

public:
  explicit TListItem(TListItems* owner);
  ~TListItem() override = default;

  const std::wstring& GetCaption() const noexcept { return fCaption; }
  void SetCaption(const std::wstring& value);
  // The sub items: the columns after the first, in order.
  TStringList& GetSubItems() noexcept { return fSubItems; }
  int GetImageIndex() const noexcept { return fImageIndex; }
  void SetImageIndex(int value);
  int GetOverlayIndex() const noexcept { return fOverlayIndex; }
  void SetOverlayIndex(int value);
  int GetStateIndex() const noexcept { return fStateIndex; }
  void SetStateIndex(int value);
  bool GetSelected() const { return GetState(LVIS_SELECTED); }
  void SetSelected(bool value) { SetState(LVIS_SELECTED, value); }
  bool GetFocused() const { return GetState(LVIS_FOCUSED); }
  void SetFocused(bool value) { SetState(LVIS_FOCUSED, value); }
  bool GetCut() const { return GetState(LVIS_CUT); }
  void SetCut(bool value) { SetState(LVIS_CUT, value); }
  bool GetDropTarget() const { return GetState(LVIS_DROPHILITED); }
  void SetDropTarget(bool value) { SetState(LVIS_DROPHILITED, value); }
  void* GetData() const noexcept { return fData; }
  void SetData(void* value) noexcept { fData = value; }
  int GetIndex() const;
  TCustomListView* GetListView() const;
  TListItems* GetOwner() const noexcept { return fOwner; }

  void MakeVisible(bool PartialOK);
  // Starts editing the caption in place; false when the control refuses.
  bool EditCaption();
  RECT DisplayRect(TDisplayCode Code) const;
  // Updates the item (LVM_UPDATE: in an arranged view, arranges it).
  void Update();
  // Draws the item again, as for a new image; nothing moves.
  void Redraw();
  // Removes the item from its list and frees it.
  void Delete();

private:
  bool GetState(UINT mask) const;
  void SetState(UINT mask, bool value);

  TListItems* fOwner;
  std::wstring fCaption;
  TStringList fSubItems;
  int fImageIndex = -1;
  int fOverlayIndex = -1;
  int fStateIndex = -1;
  UINT fState = 0;
  void* fData = nullptr;
  mutable int fIndexHint = -1;

  friend class TListItems;
  friend class TCustomListView;
};

using TListItemClass = std::function<TListItem*(TListItems* owner)>;

class TListItems {
public:
  explicit TListItems(TCustomListView& owner) : fOwner(owner) {}
  ~TListItems();
  TListItems(const TListItems&) = delete;
  TListItems& operator=(const TListItems&) = delete;

  int Count() const noexcept { return static_cast<int>(fItems.size()); }
  TListItem* Item(int index) const;
  TListItem* operator[](int index) const { return Item(index); }
  TListItem* Add();
  TListItem* Insert(int index);
  void Delete(int index);
  // Moves an item to another place, keeping its state (selection, focus).
  void Move(int from, int to);
  void Clear();
  int IndexOf(const TListItem* item) const;
  void BeginUpdate();
  void EndUpdate();
  TCustomListView& GetOwner() const noexcept { return fOwner; }

private:
  void InsertIntoWindow(TListItem* item, int index);

  TCustomListView& fOwner;
  std::vector<std::unique_ptr<TListItem>> fItems;
  TRedrawBracket fUpdate;

  friend class TCustomListView;
  friend class TListItem;
};

struct TListColumn {
  std::wstring Caption;
  int Width = 50;
  TAlignment Alignment = taLeftJustify;
};

class TListColumns {
public:
  explicit TListColumns(TCustomListView& owner) : fOwner(owner) {}
  int Count() const noexcept { return static_cast<int>(fColumns.size()); }
  const TListColumn& Item(int index) const { return fColumns[static_cast<size_t>(index)]; }
  int Add(const std::wstring& caption, int width = 50, TAlignment alignment = taLeftJustify);
  void SetCaption(int index, const std::wstring& caption);
  void SetWidth(int index, int width);
  // The width as the window has it now (the user may have dragged it).
  int GetWidth(int index) const;
  void Clear();

private:
  void InsertIntoWindow(int index);

  TCustomListView& fOwner;
  std::vector<TListColumn> fColumns;

  friend class TCustomListView;
};

using TLVNotifyEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent =
    std::function<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::wstring& S)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, int Column)>;
using TLVCompareEvent =
    std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, LPARAM Data, int& Compare)>;
using TLVInfoTipEvent = std::function<void(TObject* Sender, TListItem* Item, std::wstring& InfoTip)>;
using TLVCustomDrawItemEvent =
    std::function<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw)>;
using TLVCreateItemClassEvent = std::function<void(TCustomListView* Sender, TListItemClass& ItemClass)>;

class TCustomListView : public TWinControl {
  TS_CLASS(TCustomListView, TWinControl)

public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListItems& GetItems() noexcept { return fItems; }
  TListColumns& GetColumns() noexcept { return fColumns; }
  TViewStyle GetViewStyle() const noexcept { return fViewStyle; }
  virtual void SetViewStyle(TViewStyle value);
  bool GetMultiSelect() const noexcept { return fMultiSelect; }
  void SetMultiSelect(bool value);
  bool GetRowSelect() const noexcept { return fRowSelect; }
  void SetRowSelect(bool value);
  bool GetReadOnly() const noexcept { return fReadOnly; }
  void SetReadOnly(bool value);
  bool GetHideSelection() const noexcept { return fHideSelection; }
  void SetHideSelection(bool value);
  bool GetAutoArrange() const noexcept { return fAutoArrange; }
  void SetAutoArrange(bool value);
  void Arrange();
  int GetAllocBy() const noexcept { return fAllocBy; }
  void SetAllocBy(int value);
  TCustomImageList* GetSmallImages() const noexcept { return fSmallImages; }
  void SetSmallImages(TCustomImageList* value);
  TCustomImageList* GetLargeImages() const noexcept { return fLargeImages; }
  void SetLargeImages(TCustomImageList* value);
  TCustomImageList* GetStateImages() const noexcept { return fStateImages; }
  void SetStateImages(TCustomImageList* value);
  // Extended list-view styles (LVS_EX_...) set through the platform.
  void SetExtendedStyle(DWORD mask, DWORD style);

  TListItem* GetSelected() const;
  TListItem* GetItemFocused() const;
  int GetSelCount() const;
  TListItem* GetItemAt(int X, int Y) const;
  // The next item from Start (null: from the first) in a direction that has
  // all the states (LVNI_SELECTED, ...); null for none.
  TListItem* GetNextItem(TListItem* StartItem, TSearchDirection Direction, UINT States) const;
  // The platform's hit-test flags (LVHT_...) for a point.
  UINT GetHitTestInfoAt(int X, int Y) const;
  // Sorts with OnCompare, or with compare when given.
  bool CustomSort(const std::function<int(TListItem*, TListItem*)>& compare = {}, LPARAM data = 0);
  HWND GetHeaderHandle() const;
  // The arrow a column's header shows for the sort order.
  void SetColumnSortMark(int column, TSortMark mark);
  TSortMark GetColumnSortMark(int column) const;
  bool IsEditing() const;
  // The background picture (LVM_SETBKIMAGE), for the shell list's watermark.
  bool SetBackgroundImage(const LVBKIMAGEW& image);

  TLVNotifyEvent OnGetImageIndex;
  TLVNotifyEvent OnInsert;
  TLVNotifyEvent OnDeletion;
  TLVChangeEvent OnChange;
  TLVChangingEvent OnChanging;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVNotifyEvent OnCancelEdit;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVInfoTipEvent OnInfoTip;
  TLVCustomDrawItemEvent OnCustomDrawItem;
  TLVCreateItemClassEvent OnCreateItemClass;

  // The canvas custom-draw handlers set colours on.
  TCanvas& GetCanvas() noexcept { return fCanvas; }

  void WndProc(TMessage& message) override;

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void SaveWindowState() override;
  virtual TListItem* CreateListItem();
  virtual void GetImageIndex(TListItem* item);
  virtual bool CanEdit(TListItem* item);
  virtual void Edit(const LVITEMW& item);
  virtual bool CanChange(TListItem* item, TItemChange change);
  virtual void Change(TListItem* item, TItemChange change);
  virtual void Delete(TListItem* item);
  virtual void InsertItem(TListItem* item);
  virtual bool CustomDrawItem(TListItem* item, TCustomDrawState state);
  // The info tip of an item the mouse rests on (LVS_EX_INFOTIP): OnInfoTip.
  virtual void InfoTip(TListItem* item, std::wstring& tip);
  // Whether items are custom drawn even without OnCustomDrawItem.
  virtual bool IsCustomDrawn() const { return false; }
  // A click on a column's header; fires OnColumnClick.
  virtual void ColClick(int column);
  bool Updating() const noexcept { return fItems.fUpdate.Active(); }

private:
  LRESULT HandleNotify(NMHDR* header);
  void GetDispInfo(NMLVDISPINFOW* info);
  static int CALLBACK CompareItems(LPARAM a, LPARAM b, LPARAM sort);
  void ReorderFromWindow();
  void AttachImages();
  DWORD ViewStyleBits() const;
  static TItemChange ChangeOf(UINT mask);

  TListItems fItems;
  TListColumns fColumns;
  TViewStyle fViewStyle = vsIcon;
  bool fMultiSelect = false;
  bool fRowSelect = false;
  bool fReadOnly = false;
  bool fHideSelection = true;
  bool fAutoArrange = true;
  int fAllocBy = 0;
  DWORD fExtendedMask = 0;
  DWORD fExtendedStyle = 0;
  TCustomImageList* fSmallImages = nullptr;
  TCustomImageList* fLargeImages = nullptr;
  TCustomImageList* fStateImages = nullptr;
  TCanvas fCanvas;
  bool fDeleting = false;

  friend class TListItem;
  friend class TListItems;
  friend class TListColumns;
};

}  // namespace ts
