#pragma once
// What a shell control offers the link that keeps its group on one folder.
// Implementers do not count references: a link's references never keep a
// control alive.
#include <windows.h>
#include <unknwn.h>

#include "shell/ItemIdList.h"

namespace ts {

class TNsShellLink;

// {C211C2D9-827E-4D46-B07B-FEB3F473DD7F}
inline constexpr GUID IID_INsShellControl = {0xc211c2d9, 0x827e, 0x4d46, {0xb0, 0x7b, 0xfe, 0xb3, 0xf4, 0x73, 0xdd, 0x7f}};

struct INsShellControl : public IUnknown {
  // Attaches the control to link, or detaches it with null.
  virtual void SetShellLink(TNsShellLink* link) = 0;
  virtual TNsShellLink* GetShellLink() = 0;
  // Another control moved to the folder PIDL (absolute, the caller's).
  virtual void PathChanged(PCItemIDList PIDL) = 0;
  // Another control selected a file: its folder (absolute) and the file
  // (relative to it), both the caller's.
  virtual void FileChanged(PCItemIDList FolderPIDL, PCItemIDList FilePIDL) = 0;
  virtual void SelectAll() = 0;
  virtual void FullRefresh() = 0;
  virtual void SmartRefresh() = 0;
  // Goes to the parent folder; true when the control did so.
  virtual bool GoUp() = 0;
};

}  // namespace ts
