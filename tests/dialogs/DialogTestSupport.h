#pragma once
// What the dialog components' tests share: a platform call replaced for the
// length of a test, and the message boxes a component shows, answered and
// read.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace ts::test {

// Puts value into the replaceable call for as long as it lives.
template <typename T>
class TReplacedCall {
public:
  TReplacedCall(T& call, T value) : fCall(call), fSaved(std::exchange(call, value)) {}
  ~TReplacedCall() { fCall = fSaved; }
  TReplacedCall(const TReplacedCall&) = delete;
  TReplacedCall& operator=(const TReplacedCall&) = delete;

private:
  T& fCall;
  T fSaved;
};

// A message box the thread showed: its caption and its texts.
struct TShownBox {
  std::wstring Caption;
  std::wstring Text;
};

// Answers every message box of the thread with OK while it lives, noting
// what each one said.
class TMessageBoxReader {
public:
  TMessageBoxReader();
  ~TMessageBoxReader();
  TMessageBoxReader(const TMessageBoxReader&) = delete;
  TMessageBoxReader& operator=(const TMessageBoxReader&) = delete;
  const std::vector<TShownBox>& Shown() const noexcept { return fShown; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  UINT_PTR fTimer = 0;
  HWND fLastBox = nullptr;
  std::vector<TShownBox> fShown;
};

}  // namespace ts::test
