#pragma once
// The bookmark file: the bookmark list box as a binary component stream.
// Reading keeps what was applied before an error; a file that cannot be read
// is copied aside before anything writes over it. Writing goes to a new file
// beside the old one, which it then replaces, so that a write that fails at
// any point leaves the previous file as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/StdCtrls.h"

namespace ts {

// The file's name: no directory, so it lives in the current directory.
inline constexpr wchar_t BookmarkFileName[] = L"MyList.DAT";

// A file that is there and is not a folder.
bool BookmarkFileExists(const std::wstring& fileName);

// Reads the stream into the list. Raises the reading error ("Cannot open
// file ...", "Invalid stream format", "Stream read error", ...); what was read
// before it stays in the list.
void ReadBookmarkFile(const std::wstring& fileName, TListBox& list);

// The list's stream, as the file holds it.
std::vector<uint8_t> BookmarkStream(TListBox& list);

// Writes the list's stream to a new file and replaces fileName with it.
// Raises EFCreateError "Cannot create file "<fileName>". <system message>"
// when any step fails; fileName is then as it was before.
void WriteBookmarkFile(const std::wstring& fileName, TListBox& list);

// Copies a file that could not be read to the first free name of
// "<fileName>.bad", "<fileName>.bad2", ... and answers that name; empty
// when no copy could be made (the thread's last error tells why).
std::wstring KeepDamagedFile(const std::wstring& fileName);

}  // namespace ts
