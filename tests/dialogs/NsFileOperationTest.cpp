// The shell's file operation: what the platform is asked, and what copying,
// moving, deleting and renaming real files does and reports.
#include <gtest/gtest.h>

#include <string>

#include "DialogTestSupport.h"
#include "dialogs/NsFileOperation.h"
#include "support/MenuDriver.h"
#include "support/TempFolder.h"
#include "toolkit/Forms.h"

namespace ts::test {
namespace {

std::string FileText(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256] = {};
  DWORD read = 0;
  ReadFile(h, buffer, sizeof buffer - 1, &read, nullptr);
  CloseHandle(h);
  return std::string(buffer, read);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What the stand-in for the platform was asked.
struct TAskedOperation {
  int Calls = 0;
  HWND Owner = nullptr;
  UINT Function = 0;
  std::wstring From, To, Title;
  FILEOP_FLAGS Flags = 0;
};
TAskedOperation gAsked;
BOOL gAborts = FALSE;

// A zero-separated list up to and including its closing zero.
std::wstring ListText(const wchar_t* list) {
  std::wstring text;
  if (list == nullptr) return L"<null>";
  for (;;) {
    const std::wstring entry = list + text.size();
    text += entry;
    text.push_back(L'\0');
    if (entry.empty()) return text;
  }
}

int WINAPI FakeFileOperation(LPSHFILEOPSTRUCTW operation) {
  ++gAsked.Calls;
  gAsked.Owner = operation->hwnd;
  gAsked.Function = operation->wFunc;
  gAsked.From = ListText(operation->pFrom);
  gAsked.To = ListText(operation->pTo);
  gAsked.Flags = operation->fFlags;
  gAsked.Title = operation->lpszProgressTitle;
  operation->fAnyOperationsAborted = gAborts;
  return gAborts ? ERROR_CANCELLED : 0;
}

TEST(NsFileOperationTest, ThePlatformIsAskedForTheOperationAsSet) {
  TReplacedCall replaced(FileOperationCall, &FakeFileOperation);
  TTempFolder temp;
  const std::wstring a = temp.MakeFile(L"a.txt"), b = temp.MakeFile(L"b.txt");
  TForm form(nullptr);
  auto* operation = new TNsFileOperation(&form);
  EXPECT_TRUE(operation->GetEnabled());
  EXPECT_EQ(operation->GetOperation(), otCopy);
  EXPECT_TRUE(operation->GetOptions().Empty());
  operation->GetSourceFiles()->Add(b);
  operation->GetSourceFiles()->Add(a);
  operation->SetDestination(temp / L"to");
  operation->SetTitle(L"Copying");
  gAsked = {};
  gAborts = FALSE;
  EXPECT_TRUE(operation->Execute());
  EXPECT_EQ(gAsked.Owner, form.GetHandle());
  EXPECT_EQ(gAsked.Function, static_cast<UINT>(FO_COPY));
  EXPECT_EQ(gAsked.From, a + L'\0' + b + L'\0' + L'\0');
  EXPECT_EQ(gAsked.To, temp / L"to" + L'\0' + L'\0');
  EXPECT_EQ(gAsked.Title, L"Copying");
  EXPECT_EQ(gAsked.Flags, 0);
  EXPECT_EQ(operation->GetSourceFiles()->GetCount(), 2);  // kept for the caller

  const std::pair<TNsOperationType, UINT> functions[] = {
      {otDelete, FO_DELETE}, {otMove, FO_MOVE}, {otRename, FO_RENAME}, {otCopy, FO_COPY}};
  for (auto [type, function] : functions) {
    operation->SetOperation(type);
    operation->Execute(nullptr);
    EXPECT_EQ(gAsked.Function, function) << static_cast<int>(type);
    EXPECT_EQ(gAsked.Owner, nullptr);
  }
  operation->SetOptions({soNoConfirmation, soRenameCollision, soSilent});
  operation->Execute(nullptr);
  EXPECT_EQ(gAsked.Flags, FOF_NOCONFIRMATION | FOF_RENAMEONCOLLISION | FOF_SILENT);

  gAborts = TRUE;
  EXPECT_FALSE(operation->Execute(nullptr));
  EXPECT_TRUE(operation->GetOperationAborted());
  EXPECT_EQ(operation->GetLastErrorCode(), static_cast<uint32_t>(ERROR_CANCELLED));
  gAborts = FALSE;
}

TEST(NsFileOperationTest, WithoutADestinationNothingIsCopiedMovedOrRenamed) {
  TReplacedCall replaced(FileOperationCall, &FakeFileOperation);
  TTempFolder temp;
  TNsFileOperation operation(nullptr);
  operation.GetSourceFiles()->Add(temp.MakeFile(L"a.txt"));
  gAsked = {};
  for (TNsOperationType type : {otCopy, otMove, otRename}) {
    operation.SetOperation(type);
    EXPECT_FALSE(operation.Execute(nullptr));
    EXPECT_EQ(operation.GetLastErrorCode(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(gAsked.Calls, 0);
  operation.SetOperation(otDelete);
  EXPECT_TRUE(operation.Execute(nullptr));
  EXPECT_EQ(gAsked.Calls, 1);
}

// Real files in a folder of the test's, the shell asked to stay quiet.
class NsFileOperationShellTest : public testing::Test {
protected:
  NsFileOperationShellTest() {
    operation.SetOptions({soNoConfirmation, soNoErrorUI, soSilent, soNoConfirmMkDir});
    from = temp.MakeFolder(L"from");
    to = temp.MakeFolder(L"to");
  }
  bool Run(TNsOperationType type, std::initializer_list<std::wstring> sources, const std::wstring& destination) {
    operation.SetOperation(type);
    operation.GetSourceFiles()->Clear();
    for (const std::wstring& source : sources) operation.GetSourceFiles()->Add(source);
    operation.SetDestination(destination);
    return operation.Execute(nullptr);
  }
  void AddOption(TNsShowOption option) { operation.SetOptions(operation.GetOptions() + TNsShowOptions{option}); }

  TTempFolder temp;
  TNsFileOperation operation{nullptr};
  std::wstring from, to;
};

TEST_F(NsFileOperationShellTest, CopyMoveRenameAndDelete) {
  const std::wstring file = temp.MakeFile(L"from\\a.txt", "alpha");
  temp.MakeFile(L"from\\folder\\inner.txt", "inner");
  ASSERT_TRUE(Run(otCopy, {file, from + L"\\folder"}, to));
  EXPECT_EQ(operation.GetLastErrorCode(), 0u);
  EXPECT_FALSE(operation.GetOperationAborted());
  EXPECT_EQ(FileText(to + L"\\a.txt"), "alpha");
  EXPECT_EQ(FileText(to + L"\\folder\\inner.txt"), "inner");
  EXPECT_EQ(FileText(file), "alpha");

  ASSERT_TRUE(Run(otRename, {to + L"\\a.txt"}, to + L"\\b.txt"));
  EXPECT_FALSE(Exists(to + L"\\a.txt"));
  EXPECT_EQ(FileText(to + L"\\b.txt"), "alpha");

  ASSERT_TRUE(Run(otMove, {to + L"\\b.txt"}, from));
  EXPECT_FALSE(Exists(to + L"\\b.txt"));
  EXPECT_EQ(FileText(from + L"\\b.txt"), "alpha");

  ASSERT_TRUE(Run(otDelete, {to + L"\\folder", from + L"\\b.txt"}, L""));
  EXPECT_FALSE(Exists(to + L"\\folder"));
  EXPECT_FALSE(Exists(from + L"\\b.txt"));
  EXPECT_EQ(FileText(file), "alpha");
}

TEST_F(NsFileOperationShellTest, ACollisionKeepsBothItems) {
  AddOption(soRenameCollision);
  const std::wstring file = temp.MakeFile(L"from\\a.txt", "new");
  temp.MakeFile(L"to\\a.txt", "old");
  temp.MakeFile(L"to\\a (2).txt", "older");
  temp.MakeFile(L"from\\folder\\inner.txt", "new inner");
  temp.MakeFile(L"to\\folder\\inner.txt", "old inner");
  ASSERT_TRUE(Run(otCopy, {file, from + L"\\folder"}, to));
  EXPECT_EQ(FileText(to + L"\\a.txt"), "old");
  EXPECT_EQ(FileText(to + L"\\a (2).txt"), "older");
  EXPECT_EQ(FileText(to + L"\\a (3).txt"), "new");
  EXPECT_EQ(FileText(to + L"\\folder\\inner.txt"), "old inner");
  EXPECT_EQ(FileText(to + L"\\folder (2)\\inner.txt"), "new inner");

  // A copy onto itself is a copy beside it; two sources of one name both
  // arrive.
  ASSERT_TRUE(Run(otCopy, {file}, from));
  EXPECT_EQ(FileText(from + L"\\a - Copy.txt"), "new");
  const std::wstring other = temp.MakeFile(L"other\\a.txt", "other");
  ASSERT_TRUE(Run(otCopy, {file, other}, temp / L"made"));
  EXPECT_EQ(FileText(temp / L"made\\a.txt"), "new");
  EXPECT_EQ(FileText(temp / L"made\\a (2).txt"), "other");
  temp.MakeFolder(L"together");
  const std::wstring again = temp.MakeFile(L"other\\b.txt", "b from other");
  const std::wstring third = temp.MakeFile(L"third\\b.txt", "b from third");
  ASSERT_TRUE(Run(otMove, {again, third}, temp / L"together"));
  EXPECT_EQ(FileText(temp / L"together\\b.txt"), "b from other");
  EXPECT_EQ(FileText(temp / L"together\\b (2).txt"), "b from third");
  EXPECT_FALSE(Exists(again));
  EXPECT_FALSE(Exists(third));
}

TEST_F(NsFileOperationShellTest, AReadOnlyTargetTheUserKeepsStaysAsItWas) {
  const std::wstring file = temp.MakeFile(L"from\\a.txt", "new");
  const std::wstring target = temp.MakeFile(L"to\\a.txt", "old");
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
  // The shell asks before it replaces the file; the user says no.
  operation.SetOptions({soNoErrorUI, soSilent});
  {
    TDialogAnswerer no(IDNO);
    EXPECT_TRUE(Run(otCopy, {file}, to));
    EXPECT_EQ(no.Answered(), 1);
  }
  EXPECT_TRUE(operation.GetOperationAborted());
  EXPECT_EQ(FileText(target), "old");
  EXPECT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  {
    TDialogAnswerer cancel(IDCANCEL);
    EXPECT_FALSE(Run(otCopy, {file}, to));
  }
  EXPECT_TRUE(operation.GetOperationAborted());
  EXPECT_NE(operation.GetLastErrorCode(), 0u);
  EXPECT_EQ(FileText(target), "old");

  // Asked to keep both, the copy goes beside it.
  operation.SetOptions({soNoConfirmation, soNoErrorUI, soSilent, soRenameCollision});
  ASSERT_TRUE(Run(otCopy, {file}, to));
  EXPECT_EQ(FileText(target), "old");
  EXPECT_EQ(FileText(to + L"\\a (2).txt"), "new");
}

TEST_F(NsFileOperationShellTest, AMissingSourceIsAFailureThatChangesNothing) {
  const std::wstring kept = temp.MakeFile(L"to\\missing.txt", "kept");
  TStringList sources;
  sources.Add(from + L"\\missing.txt");
  operation.SetSourceFiles(sources);
  operation.SetDestination(to);
  for (TNsOperationType type : {otCopy, otMove, otDelete, otRename}) {
    operation.SetOperation(type);
    EXPECT_FALSE(operation.Execute(nullptr)) << static_cast<int>(type);
    EXPECT_EQ(operation.GetLastErrorCode(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND)) << static_cast<int>(type);
    EXPECT_EQ(FileText(kept), "kept") << static_cast<int>(type);
  }
  // Beside sources that are there, it stops the whole operation.
  const std::wstring present = temp.MakeFile(L"from\\present.txt", "present");
  sources.Add(present);
  operation.SetSourceFiles(sources);
  operation.SetOperation(otMove);
  EXPECT_FALSE(operation.Execute(nullptr));
  EXPECT_EQ(FileText(present), "present");
  EXPECT_FALSE(Exists(to + L"\\present.txt"));
  // The path list refuses a source that is not there: nothing to operate on
  // is no success either.
  EXPECT_FALSE(Run(otCopy, {from + L"\\missing.txt"}, to));
  EXPECT_EQ(operation.GetSourceFiles()->GetCount(), 0);
  EXPECT_EQ(FileText(kept), "kept");
}

}  // namespace
}  // namespace ts::test
