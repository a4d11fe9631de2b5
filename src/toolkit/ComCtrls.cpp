#include "toolkit/ComCtrls.h"

#include <commctrl.h>

namespace ts {

TStatusBar::TStatusBar(TComponent* AOwner, bool acceptsControls) : TWinControl(AOwner) {
  fHeight = 19;
  fAcceptsControls = acceptsControls;
  SetAlign(alBottom);
}

void TStatusBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassName = STATUSCLASSNAMEW;
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | SBARS_SIZEGRIP;
}

void TStatusBar::InitializeWindow() { UpdatePanels(); }

void TStatusBar::AddPanel(const std::wstring& text, int width) {
  fPanels.push_back({text, width});
  UpdatePanels();
}

void TStatusBar::SetPanelText(int index, const std::wstring& text) {
  if (index < 0 || index >= PanelCount()) return;
  fPanels[static_cast<size_t>(index)].Text = text;
  if (HandleAllocated()) SendMessageW(fHandle, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring TStatusBar::GetPanelText(int index) {
  if (index < 0 || index >= PanelCount()) return {};
  return fPanels[static_cast<size_t>(index)].Text;
}

void TStatusBar::SetSimplePanel(bool value) {
  fSimplePanel = value;
  if (HandleAllocated()) SendMessageW(fHandle, SB_SIMPLE, value, 0);
}

void TStatusBar::SetSimpleText(const std::wstring& value) {
  fSimpleText = value;
  if (HandleAllocated()) SendMessageW(fHandle, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(value.c_str()));
}

void TStatusBar::UpdatePanels() {
  if (!HandleAllocated()) return;
  std::vector<int> edges;
  int right = 0;
  for (const TStatusPanel& panel : fPanels) edges.push_back(right += panel.Width);
  if (!edges.empty()) edges.back() = -1;  // the last one takes the rest
  SendMessageW(fHandle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < fPanels.size(); ++i)
    SendMessageW(fHandle, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(fPanels[i].Text.c_str()));
  SendMessageW(fHandle, SB_SIMPLE, fSimplePanel, 0);
}

}  // namespace ts
