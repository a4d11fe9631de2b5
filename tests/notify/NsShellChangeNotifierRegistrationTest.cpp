// The notifier's registrations with the shell, through stand-ins for the two
// registration functions that keep the live registrations: what changing the
// filter, switching off and destruction leave behind. And the echo rule on a
// namespace whose comparison fails.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "notify/NsShellChangeNotifier.h"
#include "shell/FakeNamespace.h"
#include "shell/ItemIdListPaths.h"
#include "shell/ShellFunctions.h"
#include "support/TempFolder.h"

namespace ts::test {
namespace {

struct TRegistration {
  HWND Window;
  int Sources;
  LONG Events;
  UINT Message;
  BOOL Recursive;
};

// The shell's registrations as the stand-ins keep them.
struct TRegistry {
  std::map<ULONG, TRegistration> Live;
  ULONG Next = 100;
  int Registrations = 0;
  int UnknownHandles = 0;  // deregistrations of handles that are not live
};
TRegistry* gRegistry = nullptr;

ULONG WINAPI StandInRegister(HWND window, int sources, LONG events, UINT message, int count,
                             const SHChangeNotifyEntry* entries) {
  if (count != 1 || entries == nullptr) return 0;
  ++gRegistry->Registrations;
  const ULONG handle = gRegistry->Next++;
  gRegistry->Live[handle] = {window, sources, events, message, entries[0].fRecursive};
  return handle;
}

BOOL WINAPI StandInDeregister(ULONG handle) {
  if (gRegistry->Live.erase(handle) == 0) {
    ++gRegistry->UnknownHandles;
    return FALSE;
  }
  return TRUE;
}

class NotifierRegistryTest : public ::testing::Test {
protected:
  NotifierRegistryTest()
      : savedRegister(ShellFunctions.SHChangeNotifyRegister), savedDeregister(ShellFunctions.SHChangeNotifyDeregister) {
    gRegistry = &registry;
    ShellFunctions.SHChangeNotifyRegister = &StandInRegister;
    ShellFunctions.SHChangeNotifyDeregister = &StandInDeregister;
    first = temp.MakeFolder(L"first");
    second = temp.MakeFolder(L"second");
    list.Reset(PathToItemIdList(nullptr, temp.Path()));
  }
  ~NotifierRegistryTest() override {
    ShellFunctions.SHChangeNotifyRegister = savedRegister;
    ShellFunctions.SHChangeNotifyDeregister = savedDeregister;
    gRegistry = nullptr;
  }

  // A notifier watching two folders and a list, switched on.
  void Watch(TNsShellChangeNotifier& notifier) {
    notifier.GetDirectories()->Add(first);
    notifier.GetDirectories()->Add(second);
    notifier.SetPIDL(list.Get());
    notifier.SetEnabled(true);
  }

  // The handles the notifier holds: its folders' and its list's.
  static std::vector<ULONG> HandlesOf(TNsShellChangeNotifier& notifier) {
    auto* directories = static_cast<TNsShellChangeNotifierList*>(notifier.GetDirectories());
    std::vector<ULONG> handles;
    for (int i = 0; i < directories->GetCount(); ++i) handles.push_back(directories->Registration(i));
    handles.push_back(notifier.GetPIDLNotifyHandle());
    return handles;
  }

  std::vector<ULONG> LiveHandles() const {
    std::vector<ULONG> handles;
    for (const auto& [handle, registration] : registry.Live) handles.push_back(handle);
    return handles;
  }

  TRegistry registry;
  TTempFolder temp;
  std::wstring first, second;
  TPidl list;
  decltype(TShellFunctions::SHChangeNotifyRegister) savedRegister;
  decltype(TShellFunctions::SHChangeNotifyDeregister) savedDeregister;
};

TEST_F(NotifierRegistryTest, ANewFilterRegistersEveryFolderAgainForTheNewEvents) {
  TNsShellChangeNotifier notifier(nullptr);
  Watch(notifier);
  const std::vector<ULONG> before = HandlesOf(notifier);
  EXPECT_EQ(LiveHandles(), before);
  for (const auto& [handle, registration] : registry.Live) {
    EXPECT_EQ(registration.Window, notifier.GetHandle());
    EXPECT_EQ(registration.Sources, 4099);
    EXPECT_EQ(registration.Message, 2011u);
    EXPECT_EQ(static_cast<uint32_t>(registration.Events), ShellEventsOf(DefaultNotificationEvents()));
  }

  notifier.SetNotificationEvent(neFileDelete, false);
  const std::vector<ULONG> after = HandlesOf(notifier);
  EXPECT_EQ(LiveHandles(), after);  // the old registrations are gone
  for (size_t i = 0; i < after.size(); ++i) EXPECT_NE(after[i], before[i]) << i;
  for (const auto& [handle, registration] : registry.Live)
    EXPECT_EQ(registration.Events & SHCNE_DELETE, 0) << handle;

  // The same filter again changes nothing.
  const int registrations = registry.Registrations;
  notifier.SetEventFilter(notifier.GetEventFilter());
  EXPECT_EQ(registry.Registrations, registrations);
  EXPECT_EQ(registry.UnknownHandles, 0);
}

TEST_F(NotifierRegistryTest, SwitchingOffDropsEveryRegistrationAndOnRegistersAgain) {
  TNsShellChangeNotifier notifier(nullptr);
  Watch(notifier);
  EXPECT_EQ(registry.Live.size(), 3u);
  notifier.SetEnabled(false);
  EXPECT_TRUE(registry.Live.empty());
  EXPECT_EQ(HandlesOf(notifier), (std::vector<ULONG>{0, 0, 0}));
  notifier.SetEnabled(true);
  EXPECT_EQ(LiveHandles(), HandlesOf(notifier));
  EXPECT_EQ(registry.Live.size(), 3u);
  EXPECT_EQ(registry.UnknownHandles, 0);
}

TEST_F(NotifierRegistryTest, ADestroyedNotifierLeavesNoRegistration) {
  {
    TNsShellChangeNotifier notifier(nullptr);
    Watch(notifier);
    notifier.SetRecursive(false);
    EXPECT_EQ(registry.Live.size(), 3u);
  }
  EXPECT_TRUE(registry.Live.empty());
  {
    // Folders added while switched off are registered at once; they go too.
    TNsShellChangeNotifier notifier(nullptr);
    notifier.GetDirectories()->Add(first);
    notifier.GetDirectories()->Add(second);
    EXPECT_EQ(registry.Live.size(), 2u);
  }
  EXPECT_TRUE(registry.Live.empty());
  EXPECT_EQ(registry.UnknownHandles, 0);
}

TEST_F(NotifierRegistryTest, AddingAFolderAnswersItsPlaceOnceTheImplicitEntryIsGone) {
  TNsShellChangeNotifier notifier(nullptr);
  notifier.SetEnabled(true);  // nothing named: the computer, through an implicit entry
  TNsPathList* directories = notifier.GetDirectories();
  ASSERT_EQ(directories->GetCount(), 1);
  EXPECT_EQ(directories->Add(first), 0);
  ASSERT_EQ(directories->GetCount(), 1);
  EXPECT_EQ(directories->Get(0), first);
  EXPECT_EQ(directories->Add(second), 1);
  std::vector<ULONG> held = HandlesOf(notifier);
  held.pop_back();  // no list watched
  EXPECT_EQ(LiveHandles(), held);
}

// Changes of fake items, delivered as the shell delivers them.
class NotifierEchoTest : public NotifierRegistryTest {
protected:
  NotifierEchoTest() {
    file = &space.Add(space.Desktop(), L"file.txt", SFGAO_FILESYSTEM);
    notifier.OnChangePIDL = [this](TObject*, TNotificationEvent event, PCItemIDList, PCItemIDList) {
      events.push_back(event);
    };
    notifier.TickCountSource = [] { return DWORD{5000}; };
    notifier.SetEnabled(true);
  }
  void Send(LONG shellEvent, PCItemIDList pidl) {
    PCItemIDList lists[2] = {pidl, nullptr};
    SendMessageW(notifier.GetHandle(), NsShellChangeMessage, reinterpret_cast<WPARAM>(lists), shellEvent);
  }

  TFakeNamespace space;
  TFakeItem* file;
  TNsShellChangeNotifier notifier{nullptr};
  std::vector<TNotificationEvent> events;
};

TEST_F(NotifierEchoTest, OnlyAnItemTheShellCallsTheSameIsAnEcho) {
  TPidl list(space.AbsoluteList(*file));
  Send(SHCNE_UPDATEITEM, list.Get());
  Send(SHCNE_UPDATEITEM, list.Get());
  EXPECT_EQ(events.size(), 1u);  // the echo

  // A comparison that fails says nothing about the items: the change passes.
  space.CompareIDsFails = true;
  space.CompareIDsAnswer = static_cast<HRESULT>(0x80040000);
  Send(SHCNE_UPDATEITEM, list.Get());
  EXPECT_EQ(events.size(), 2u);
}

}  // namespace
}  // namespace ts::test
