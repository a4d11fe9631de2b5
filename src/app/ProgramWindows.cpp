#include "app/ProgramWindows.h"

#include "app/AboutWindow.h"
#include "app/BookmarkWindow.h"
#include "app/LatestAddedWindow.h"
#include "app/MainWindow.h"
#include "toolkit/Application.h"

namespace ts {

namespace {

// Frees a window the application owns, and forgets it.
template <typename T>
void FreeForm(T*& form) noexcept {
  T* freed = form;
  form = nullptr;
  delete freed;
}

// Makes a window of a class into a variable of a base class.
template <typename T, typename Base>
void MakeForm(Base*& variable) {
  T* form = nullptr;
  Application->CreateForm(form);
  variable = form;
}

}  // namespace

TProgramWindows::TProgramWindows() {
  try {
    MakeForm<TfrmMain>(frmMain);
    // The bookmark window reads its file as it is made, the Latest Added
    // window its settings; both start hidden, as the About window does.
    MakeForm<TfrmBookmark>(frmBookmark);
    MakeForm<TfrmAbout>(frmAbout);
    MakeForm<TfrmLatestAdded>(frmLatestAdded);
  } catch (...) {
    FreeAll();
    throw;
  }
}

TProgramWindows::~TProgramWindows() { FreeAll(); }

void TProgramWindows::FreeAll() noexcept {
  // The main window goes first, writing its settings; then the others.
  FreeForm(frmMain);
  FreeForm(frmBookmark);
  FreeForm(frmAbout);
  FreeForm(frmLatestAdded);
}

}  // namespace ts
