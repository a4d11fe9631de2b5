#include "shell/ShellCaptions.h"

#include <vector>

#include "shell/ShellGlobals.h"

namespace ts {

namespace {

std::wstring Caption(HMODULE shell32, UINT id, const wchar_t* fallback) {
  std::wstring text = LoadModuleString(shell32, id);
  return text.empty() ? std::wstring(fallback) : text;
}

}  // namespace

std::wstring LoadModuleString(HMODULE module, UINT id) {
  if (module == nullptr) return {};
  std::vector<wchar_t> buffer(32767);
  int length = LoadStringW(module, id, buffer.data(), static_cast<int>(buffer.size()));
  return length > 0 ? std::wstring(buffer.data(), static_cast<size_t>(length)) : std::wstring();
}

void ReadShellCaptions(HMODULE shell32) {
  const bool xp = IsWinXPOrLater;
  TShellMenuCaptions& c = ShellMenuCaptions;
  // The fallbacks are the words the platform's own menus use.
  c.ViewMenu = Caption(shell32, xp ? 33585 : 33582, L"&View");
  c.IconView = Caption(shell32, 33577, L"Ic&ons");
  c.ListView = Caption(shell32, 33579, L"&List");
  c.DetailsView = Caption(shell32, 33580, L"&Details");
  c.ThumbnailsView = LoadModuleString(shell32, xp ? 16384 : 4205);
  if (c.ThumbnailsView.empty()) c.ThumbnailsView = Caption(shell32, 8499, L"T&humbnails");
  c.Properties = Caption(shell32, 33555, L"P&roperties");
  c.Paste = Caption(shell32, 33562, L"&Paste");
  c.Refresh = Caption(shell32, xp ? 5268 : 5297, L"R&efresh");
  c.NewMenu = Caption(shell32, 30315, L"Ne&w");
  c.NewFolder = Caption(shell32, 30317, L"&Folder");

  NewFolderCaption = LoadModuleString(shell32, 30320);
  if (NewFolderCaption.empty()) NewFolderCaption = LoadModuleString(GetModuleHandleW(nullptr), NewFolderResourceId);
  // A program built without the resource still names new folders sensibly.
  if (NewFolderCaption.empty()) NewFolderCaption = L"New Folder";
}

void ClearShellCaptions() {
  ShellMenuCaptions = TShellMenuCaptions{};
  NewFolderCaption.clear();
}

}  // namespace ts
