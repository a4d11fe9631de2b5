#pragma once
// Panels with bevels, splitters that resize their neighbour, and timers.
#include <windows.h>

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/UtilityWindow.h"

namespace ts {

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
  TS_CLASS(TPanel, TWinControl)

public:
  explicit TPanel(TComponent* AOwner);
  TBevelCut GetBevelOuter() const noexcept { return fBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut GetBevelInner() const noexcept { return fBevelInner; }
  void SetBevelInner(TBevelCut value);
  int GetBevelWidth() const noexcept { return fBevelWidth; }
  void SetBevelWidth(int value);
  void WndProc(TMessage& message) override;

private:
  void Paint(HDC dc);

  TBevelCut fBevelOuter = bvRaised;
  TBevelCut fBevelInner = bvNone;
  int fBevelWidth = 1;
};

using TCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

// Dragged, it resizes the control aligned on the same side just before it.
// A size below MinSize snaps the neighbour shut (with AutoSnap) or stops.
// Its cursor is the resize cursor across the bar: left-right for a bar on
// a left or right side, up-down for a bar on the top or bottom.
class TSplitter : public TWinControl {
  TS_CLASS(TSplitter, TWinControl)

public:
  explicit TSplitter(TComponent* AOwner);
  int GetMinSize() const noexcept { return fMinSize; }
  void SetMinSize(int value) noexcept { fMinSize = value; }
  bool GetAutoSnap() const noexcept { return fAutoSnap; }
  void SetAutoSnap(bool value) noexcept { fAutoSnap = value; }
  // The control the splitter resizes, or null.
  TControl* FindControl() const;
  // Also takes the resize cursor of the bar's new orientation.
  void SetAlign(TAlign value) override;

  TCanResizeEvent OnCanResize;
  TNotifyEvent OnMoved;
  void WndProc(TMessage& message) override;

private:
  // The neighbour's size for a drag that moved the mouse by delta pixels.
  void DragTo(int delta);

  int fMinSize = 30;
  bool fAutoSnap = true;
  bool fDragging = false;
  POINT fDragStart{};
  int fStartSize = 0;
  TControl* fNeighbour = nullptr;
};

class TTimer : public TComponent {
  TS_CLASS(TTimer, TComponent)

public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool GetEnabled() const noexcept { return fEnabled; }
  void SetEnabled(bool value);
  UINT GetInterval() const noexcept { return fInterval; }
  void SetInterval(UINT value);

  TNotifyEvent OnTimer;

private:
  void Update();

  bool fEnabled = true;
  UINT fInterval = 1000;
  std::unique_ptr<TUtilityWindow> fWindow;
};

}  // namespace ts
