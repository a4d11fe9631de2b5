// The icon, thumbnail and folder-size jobs on the global worker pool, with
// viewers that record what reaches them and on which thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "shell/ItemIdListPaths.h"
#include "shell/NsSystemImageList.h"
#include "support/FreeCounter.h"
#include "support/MessagePump.h"
#include "support/TempFolder.h"
#include "toolkit/Synchronize.h"
#include "work/FolderSizeWorkItem.h"
#include "work/GlobalWorkerPool.h"
#include "work/IconWorkItem.h"
#include "work/ThumbnailWorkItem.h"

namespace ts::test {
namespace {

// A viewer of both kinds that lives on the stack: it does not count references.
class TRecordingViewer : public IIconViewer, public IThumbnailViewer {
public:
  struct TIcon {
    int Index;
    TNsIconType Type;
    TWorkTag Tag;
  };
  struct TThumbnail {
    std::unique_ptr<TBitmap> Bitmap;
    int Index;
    TWorkTag Tag;
  };
  std::vector<TIcon> Icons;
  std::vector<TThumbnail> Thumbnails;
  bool OffMainThread = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IIconViewer)) {
      *object = static_cast<IIconViewer*>(this);
    } else if (IsEqualIID(iid, IID_IThumbnailViewer)) {
      *object = static_cast<IThumbnailViewer*>(this);
    } else if (IsEqualIID(iid, IID_IUnknown)) {
      *object = static_cast<IIconViewer*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override {
    // An owner that counts no references may be gone by the time a worker
    // lets go of its job: a viewer must only ever be called on the main thread.
    ReleasedOffMainThread |= !IsMainThread();
    return 1;
  }
  bool ReleasedOffMainThread = false;
  void IconReady(int IconIndex, TNsIconType IconType, TWorkTag Tag) override {
    OffMainThread |= !IsMainThread();
    Icons.push_back({IconIndex, IconType, Tag});
  }
  void ThumbnailReady(TBitmap* Bitmap, int Index, TWorkTag Tag) override {
    OffMainThread |= !IsMainThread();
    Thumbnails.push_back({std::unique_ptr<TBitmap>(Bitmap), Index, Tag});
  }
};

// A viewer that lives on after its owner has "died", so that any call it
// gets afterwards (a result, or only a release) is counted instead of
// crashing: the owner cancels its jobs, then dies.
class TMortalViewer : public IIconViewer, public IThumbnailViewer {
public:
  std::atomic<bool> Dead{false};
  std::atomic<int> CallsAfterDeath{0};
  std::atomic<int> Results{0};

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    Called();
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    Called();
    return 1;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    Called();
    return 1;
  }
  void IconReady(int, TNsIconType, TWorkTag) override {
    Called();
    ++Results;
  }
  void ThumbnailReady(TBitmap* Bitmap, int, TWorkTag) override {
    Called();
    ++Results;
    delete Bitmap;
  }

private:
  void Called() {
    if (Dead) ++CallsAfterDeath;
  }
};

// Waits without running the calls queued for the main thread.
bool WaitWithoutPumping(const std::function<bool()>& condition) {
  const ULONGLONG start = GetTickCount64();
  while (!condition()) {
    if (GetTickCount64() - start > 30000) return false;
    Sleep(1);
  }
  return true;
}

bool WaitForPool() {
  return PumpMessagesUntil([] { return !GlobalWorkerPool()->WorkActive() && PendingSynchronizeCount() == 0; },
                           30000);
}

TEST(IconWorkItemTest, IconsOpenedIconsAndOverlaysReachTheViewerOnTheMainThread) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"letter.txt", "x");
  TRecordingViewer viewer;
  TWorkerThreadPool* pool = GlobalWorkerPool();
  pool->AddWorkItem(new TIconWorkItem(file, itNormal, &viewer, 1, 100));
  pool->AddWorkItem(new TIconWorkItem(PathToItemIdList(nullptr, temp.Path()), itSelected, &viewer, 2, 100));
  pool->AddWorkItem(new TIconWorkItem(file, itOverlay, &viewer, 3, 100));
  pool->AddWorkItem(new TIconWorkItem(PathToItemIdList(nullptr, file), itOverlay, &viewer, 4, 100));
  pool->AddWorkItem(new TIconWorkItem(temp / L"missing\\file.doc", itOverlay, &viewer, 5, 100));
  ASSERT_TRUE(WaitForPool());
  ASSERT_EQ(viewer.Icons.size(), 5u);
  EXPECT_FALSE(viewer.OffMainThread);
  std::map<TWorkTag, TRecordingViewer::TIcon> byTag;
  for (const auto& icon : viewer.Icons) byTag[icon.Tag] = icon;
  EXPECT_EQ(byTag[1].Index, TNsSystemImageList::GetIndexFromFileName(file, si_small, false));
  EXPECT_EQ(byTag[1].Type, itNormal);
  TPidl folder(PathToItemIdList(nullptr, temp.Path()));
  EXPECT_EQ(byTag[2].Index, TNsSystemImageList::GetIndexFromItemIdList(folder.Get(), si_small, true));
  EXPECT_EQ(byTag[3].Index, -1);  // a plain file: no overlay
  EXPECT_EQ(byTag[3].Type, itOverlay);
  EXPECT_EQ(byTag[4].Index, -1);
  EXPECT_EQ(byTag[5].Index, -1);  // the browser could not find it
}

TEST(IconWorkItemTest, ATerminatedJobDeliversNothingAndEveryListIsFreed) {
  TFreeCounter& spy = FreeCounter();
  TTempFolder temp;
  TRecordingViewer viewer;
  PItemIDList ran = PathToItemIdList(nullptr, temp.Path());
  PItemIDList discarded = PathToItemIdList(nullptr, temp.Path());
  {
    std::lock_guard<std::mutex> guard(spy.Lock);
    spy.Freed = 0;
    spy.Watched = {ran, discarded};
  }
  {
    TComPtr<TIconWorkItem> job(new TIconWorkItem(ran, itNormal, &viewer, 7, 0));
    job->Terminate();
    GlobalWorkerPool()->AddWorkItem(job.Get());
    ASSERT_TRUE(WaitForPool());
    // Never queued at all.
    TComPtr<TIconWorkItem> idle(new TIconWorkItem(discarded, itOverlay, &viewer, 8, 0));
  }
  EXPECT_TRUE(viewer.Icons.empty());
  EXPECT_EQ(spy.Freed, 2);
}

TEST(ThumbnailWorkItemTest, TheViewerTakesTheBitmapUnlessTheJobWasTerminated) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"photo.txt", "x");
  TPidl list(PathToItemIdList(nullptr, file));
  TRecordingViewer viewer;
  TWorkerThreadPool* pool = GlobalWorkerPool();
  pool->AddWorkItem(new TThumbnailWorkItem(list.Get(), 48, 40, &viewer, 3, 11, 200, true));
  TComPtr<TThumbnailWorkItem> cancelled(new TThumbnailWorkItem(list.Get(), 48, 40, &viewer, 4, 12, 200, true));
  cancelled->Terminate();
  pool->AddWorkItem(cancelled.Get());
  ASSERT_TRUE(WaitForPool());
  ASSERT_EQ(viewer.Thumbnails.size(), 1u);
  EXPECT_FALSE(viewer.OffMainThread);
  EXPECT_EQ(viewer.Thumbnails[0].Index, 3);
  EXPECT_EQ(viewer.Thumbnails[0].Tag, 11);
  ASSERT_TRUE(viewer.Thumbnails[0].Bitmap);
  EXPECT_EQ(viewer.Thumbnails[0].Bitmap->GetWidth(), 48);
  EXPECT_EQ(cancelled->GetBitmap(), nullptr);  // freed, not delivered
  EXPECT_FALSE(viewer.ReleasedOffMainThread);
}

// The hardest moment: the job has run and its worker waits for the main
// thread to take the result when the owner cancels and dies. The job calls
// its viewer no more, not even to let go of it on the worker afterwards.
TEST(ViewerLifetimeTest, AViewerThatCancelledAndDiedIsNeverCalledAgain) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"picture.txt", "x");
  TPidl list(PathToItemIdList(nullptr, file));
  TWorkerThreadPool* pool = GlobalWorkerPool();
  for (int kind = 0; kind < 2; ++kind) {
    auto viewer = std::make_unique<TMortalViewer>();
    if (kind == 0)
      pool->AddWorkItem(new TIconWorkItem(file, itNormal, viewer.get(), 1, 500));
    else
      pool->AddWorkItem(new TThumbnailWorkItem(list.Get(), 32, 32, viewer.get(), 0, 1, 500, true));
    ASSERT_TRUE(WaitWithoutPumping([] { return PendingSynchronizeCount() > 0; }));
    EXPECT_EQ(pool->TerminateWorkItems(0, 500), 1);
    viewer->Dead = true;
    ASSERT_TRUE(WaitForPool());
    EXPECT_EQ(viewer->CallsAfterDeath, 0) << (kind == 0 ? "icon" : "thumbnail");
    EXPECT_EQ(viewer->Results, 0);
  }
}

// Many owners at once, their jobs queued, running and done.
TEST(ViewerLifetimeTest, ViewersThatCancelWhileTheirJobsRunAreNeverCalledAfterwards) {
  TTempFolder temp;
  const std::wstring file = temp.MakeFile(L"letter.txt", "x");
  TWorkerThreadPool* pool = GlobalWorkerPool();
  std::vector<std::unique_ptr<TMortalViewer>> viewers;
  for (int round = 0; round < 20; ++round) {
    viewers.push_back(std::make_unique<TMortalViewer>());
    TMortalViewer* viewer = viewers.back().get();
    const TWorkTag group = 1000 + round;
    for (int i = 0; i < 100; ++i) pool->AddWorkItem(new TIconWorkItem(file, itNormal, viewer, i + 1, group));
    ASSERT_TRUE(PumpMessagesUntil([&] { return viewer->Results > 0; }, 30000));
    pool->TerminateWorkItems(0, group);
    viewer->Dead = true;
  }
  ASSERT_TRUE(WaitForPool());
  for (const auto& viewer : viewers) EXPECT_EQ(viewer->CallsAfterDeath, 0);
}

class FolderSizeTest : public ::testing::Test {
protected:
  FolderSizeTest() {
    temp.MakeFile(L"root\\a.bin", std::string(100, 'a'));
    temp.MakeFile(L"root\\sub\\b.bin", std::string(50, 'b'));
    hidden = temp.MakeFile(L"root\\sub\\deep\\c.bin", std::string(7, 'c'));
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    temp.MakeFolder(L"root\\empty");
    root = temp / L"root";
  }

  TTempFolder temp;
  std::wstring root;
  std::wstring hidden;
};

TEST_F(FolderSizeTest, CountsFilesFoldersAndBytesBelowAPath) {
  TComPtr<TNsFolderSizeWorkItem> job(new TNsFolderSizeWorkItem(root, true, false));
  job->PerformWork();
  EXPECT_EQ(job->GetSize(), 157);
  EXPECT_EQ(job->GetFileCount(), 3);
  EXPECT_EQ(job->GetFolderCount(), 4);  // root, sub, deep, empty
  EXPECT_EQ(job->GetFactor(), 1);

  TComPtr<TNsFolderSizeWorkItem> flat(new TNsFolderSizeWorkItem(root + L"\\", false, false));
  flat->PerformWork();
  EXPECT_EQ(flat->GetFolderCount(), 1);
  EXPECT_EQ(flat->GetFileCount(), 0);

  TComPtr<TNsFolderSizeWorkItem> file(new TNsFolderSizeWorkItem(hidden, true, false));
  file->PerformWork();
  EXPECT_EQ(file->GetSize(), 7);
  EXPECT_EQ(file->GetFileCount(), 1);
  EXPECT_EQ(file->GetFolderCount(), 0);

  TComPtr<TNsFolderSizeWorkItem> missing(new TNsFolderSizeWorkItem(temp / L"nothing", true, false));
  missing->PerformWork();
  EXPECT_EQ(missing->GetSize(), 0);
  EXPECT_EQ(missing->GetFolderCount(), 0);

  // Terminated: the walk stops at its first entry and keeps what it had.
  TComPtr<TNsFolderSizeWorkItem> stopped(new TNsFolderSizeWorkItem(root, true, false));
  stopped->Terminate();
  stopped->PerformWork();
  EXPECT_EQ(stopped->GetFolderCount(), 1);
  EXPECT_EQ(stopped->GetFileCount(), 0);
}

TEST_F(FolderSizeTest, SizesBeyondFourGigabytesAddUpExactly) {
  const int64_t big = (int64_t{5} << 30) + 123;
  for (const wchar_t* name : {L"root\\huge1.bin", L"root\\sub\\huge2.bin"}) {
    HANDLE file = CreateFileW((temp / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = big;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
  }
  TComPtr<TNsFolderSizeWorkItem> job(new TNsFolderSizeWorkItem(root, true, false));
  job->PerformWork();
  EXPECT_EQ(job->GetSize(), 157 + 2 * big);
  EXPECT_EQ(job->GetFileCount(), 5);
}

// The walk below a root is the walk below any folder (tested above); what a
// root changes is how it is found and that it counts as a folder itself.
// (The whole drive is not walked here: under Wine it reaches the home folder.)
TEST_F(FolderSizeTest, ADriveRootIsFoundAndCountsAsAFolder) {
  for (const wchar_t* drive : {L"C:", L"C:\\"}) {
    TComPtr<TNsFolderSizeWorkItem> root(new TNsFolderSizeWorkItem(drive, false, false));
    root->PerformWork();
    EXPECT_EQ(root->GetFolderCount(), 1);
    EXPECT_EQ(root->GetFileCount(), 0);
  }
}

TEST_F(FolderSizeTest, LinksIntoTheFolderAreNeverFollowedOthersOnlyWhenAsked) {
  TTempFolder outside;
  outside.MakeFile(L"far.bin", std::string(1000, 'f'));
  const std::wstring inward = root + L"\\inward";
  const std::wstring outward = root + L"\\outward";
  if (!CreateSymbolicLinkW(inward.c_str(), (root + L"\\sub").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
      !CreateSymbolicLinkW(outward.c_str(), outside.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
    GTEST_SKIP() << "symbolic links cannot be made here";
  if (GetReparsePointTarget(outward).empty()) GTEST_SKIP() << "reparse points cannot be read here";

  TComPtr<TNsFolderSizeWorkItem> plain(new TNsFolderSizeWorkItem(root, true, false));
  plain->PerformWork();
  EXPECT_EQ(plain->GetSize(), 157);
  TComPtr<TNsFolderSizeWorkItem> following(new TNsFolderSizeWorkItem(root, true, true));
  following->PerformWork();
  EXPECT_EQ(following->GetSize(), 157 + 1000);
}

// A reparse-data buffer as the platform fills it for a link to target.
std::vector<BYTE> ReparseBuffer(DWORD tag, const std::wstring& target) {
  const size_t start = tag == 0xA000000C ? 20 : 16;
  std::vector<BYTE> buffer(start + target.size() * 2 + 4, 0);
  auto put16 = [&](size_t at, DWORD value) {
    buffer[at] = static_cast<BYTE>(value);
    buffer[at + 1] = static_cast<BYTE>(value >> 8);
  };
  put16(0, tag & 0xFFFF);
  put16(2, tag >> 16);
  put16(10, static_cast<DWORD>(target.size() * 2));
  for (size_t i = 0; i < target.size(); ++i) put16(start + i * 2, target[i]);
  return buffer;
}

TEST(ReparsePointTest, TargetsAreReadFromTheBufferLayoutOfEachKind) {
  auto link = ReparseBuffer(0xA000000C, L"\\??\\C:\\Data\\Far");
  EXPECT_EQ(ReparseBufferTarget(link.data(), static_cast<DWORD>(link.size())), L"C:\\Data\\Far");
  auto mount = ReparseBuffer(0xA0000003, L"\\??\\D:\\Share");
  EXPECT_EQ(ReparseBufferTarget(mount.data(), static_cast<DWORD>(mount.size())), L"D:\\Share");
  // A buffer that claims more than it holds gives nothing, and nothing is read beyond it.
  EXPECT_EQ(ReparseBufferTarget(mount.data(), 20), L"");
  EXPECT_EQ(ReparseBufferTarget(mount.data(), 8), L"");
  EXPECT_EQ(ReparseBufferTarget(nullptr, 100), L"");
  TTempFolder temp;
  EXPECT_EQ(GetReparsePointTarget(temp.Path()), L"");  // a plain folder
  EXPECT_EQ(GetReparsePointTarget(temp / L"missing"), L"");
}

TEST(ReparsePointTest, ALinkIntoTheMeasuredFolderOrToItIsInside) {
  EXPECT_TRUE(IsInsideFolder(L"C:\\Data\\Sub", L"c:\\data\\"));
  EXPECT_TRUE(IsInsideFolder(L"C:\\Data", L"C:\\Data"));  // the folder itself: a loop
  EXPECT_FALSE(IsInsideFolder(L"C:\\DataOther", L"C:\\Data"));
  EXPECT_FALSE(IsInsideFolder(L"D:\\Data", L"C:\\Data"));
  EXPECT_FALSE(IsInsideFolder(L"", L"C:\\Data"));
}

TEST_F(FolderSizeTest, OnThePoolTheResultArrivesThroughOnTerminate) {
  TComPtr<TNsFolderSizeWorkItem> job(new TNsFolderSizeWorkItem(root, true, false));
  job->SetFactor(-1);
  job->SetTag(42);
  int64_t reported = 0;
  bool onMain = false;
  job->SetOnTerminate([&](TObject* sender) {
    onMain = IsMainThread();
    reported = static_cast<TNsFolderSizeWorkItem*>(sender)->GetSize();
  });
  GlobalWorkerPool()->AddWorkItem(job.Get());
  ASSERT_TRUE(WaitForPool());
  EXPECT_TRUE(onMain);
  EXPECT_EQ(reported, 157);
  EXPECT_EQ(job->GetFactor(), -1);
}

}  // namespace
}  // namespace ts::test
