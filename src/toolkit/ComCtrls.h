#pragma once
// The status bar with its panels; with AcceptsControls it holds child
// controls too (a pane's path combo, say).
#include <string>
#include <vector>

#include "toolkit/Controls.h"

namespace ts {

struct TStatusPanel {
  std::wstring Text;
  int Width = 50;
};

class TStatusBar : public TWinControl {
  TS_CLASS(TStatusBar, TWinControl)

public:
  explicit TStatusBar(TComponent* AOwner, bool acceptsControls = false);

  int PanelCount() const noexcept { return static_cast<int>(fPanels.size()); }
  TStatusPanel& Panel(int index) { return fPanels[static_cast<size_t>(index)]; }
  void AddPanel(const std::wstring& text, int width);
  void SetPanelText(int index, const std::wstring& text);
  std::wstring GetPanelText(int index);
  bool GetSimplePanel() const noexcept { return fSimplePanel; }
  void SetSimplePanel(bool value);
  void SetSimpleText(const std::wstring& value);

protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;

private:
  void UpdatePanels();

  std::vector<TStatusPanel> fPanels;
  bool fSimplePanel = false;
  std::wstring fSimpleText;
};

}  // namespace ts
