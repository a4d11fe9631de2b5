#pragma once
// The lines of a list box or combo box: a string list that the control's
// window mirrors, through the messages of that kind of window. A list box
// that keeps no lines of its own (LBS_NODATA) is told only how many there
// are, once a batch of changes ends.
#include <windows.h>

#include "toolkit/Controls.h"
#include "toolkit/StringList.h"

namespace ts {

struct TStringWindowMessages {
  UINT InsertString;
  UINT DeleteString;
  UINT ResetContent;
  UINT GetCurSel;
  UINT SetCurSel;
};

inline constexpr TStringWindowMessages ListBoxMessages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCURSEL,
                                                       LB_SETCURSEL};
inline constexpr TStringWindowMessages ComboBoxMessages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCURSEL,
                                                        CB_SETCURSEL};

class TWindowStrings : public TStringList {
  TS_CLASS(TWindowStrings, TStringList)

public:
  TWindowStrings(TWinControl& owner, const TStringWindowMessages& messages) : fOwner(owner), fMessages(messages) {}
  // Replacing a line keeps the window's selection where it was.
  void Put(int index, const std::wstring& s) override;
  void InsertObject(int index, const std::wstring& s, void* object) override;
  int AddObject(const std::wstring& s, void* object) override;
  void Delete(int index) override;
  void Clear() override;
  using TStringList::AddStrings;
  // An unsorted list takes the strings over, and a count-only window hears
  // of them once.
  void AddStrings(std::vector<std::wstring>&& strings) override;
  // The window holds only the count: the lines stay here and are drawn
  // from here.
  void SetCountOnly(bool value) noexcept { fCountOnly = value; }
  bool GetCountOnly() const noexcept { return fCountOnly; }
  // Tells a count-only window how many lines there are.
  void SyncCount();

protected:
  void Changed() override;

private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(fOwner.GetHandle(), message, wParam, lParam);
  }
  void InsertIntoWindow(int index, const std::wstring& s);

  TWinControl& fOwner;
  const TStringWindowMessages& fMessages;
  bool fCountOnly = false;
  bool fCountPending = false;
};

}  // namespace ts
