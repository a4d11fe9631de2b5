#pragma once
// The program's four windows for the length of a scope: the main window,
// the bookmark window, the About window and the Latest Added window, made in
// this order with the application as their owner (the first is the main
// form, shown by the message loop), and freed in the same order when the
// scope ends, the main window first, each writing its own files. Freed also
// when making one of them fails or the message loop ends by an error: always
// before the shell layer they use shuts down, which outlives this scope.
namespace ts {

class TProgramWindows {
public:
  // Makes the windows; when one cannot be made, those made before are freed
  // and the error goes on to the caller.
  TProgramWindows();
  ~TProgramWindows();
  TProgramWindows(const TProgramWindows&) = delete;
  TProgramWindows& operator=(const TProgramWindows&) = delete;

private:
  static void FreeAll() noexcept;
};

}  // namespace ts
