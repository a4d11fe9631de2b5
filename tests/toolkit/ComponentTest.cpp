#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/Component.h"
#include "toolkit/Exception.h"

namespace ts {
namespace {

std::vector<std::wstring> gLog;

class TLoggingComponent : public TComponent {
  TS_CLASS(TLoggingComponent, TComponent)

public:
  TLoggingComponent(TComponent* owner, std::wstring name) : TComponent(owner), fLabel(std::move(name)) {}
  ~TLoggingComponent() override { gLog.push_back(L"free " + fLabel); }
  TComponent* Watched = nullptr;
  void Watch(TComponent* other) {
    Watched = other;
    other->FreeNotification(this);
  }

protected:
  void Loaded() override {
    TComponent::Loaded();
    gLog.push_back(L"loaded " + fLabel);
  }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == Watched) {
      gLog.push_back(fLabel + L" lost its watched component");
      Watched = nullptr;
    }
  }

private:
  std::wstring fLabel;
};

class TDerivedComponent : public TLoggingComponent {
  TS_CLASS(TDerivedComponent, TLoggingComponent)

public:
  using TLoggingComponent::TLoggingComponent;
};

TEST(Component, OwnerFreesItsComponentsLastCreatedFirst) {
  gLog.clear();
  auto* owner = new TLoggingComponent(nullptr, L"owner");
  new TLoggingComponent(owner, L"a");
  new TLoggingComponent(owner, L"b");
  EXPECT_EQ(owner->GetComponentCount(), 2);
  delete owner;
  EXPECT_EQ(gLog, (std::vector<std::wstring>{L"free owner", L"free b", L"free a"}));
}

TEST(Component, FreeingAChildRemovesItFromItsOwner) {
  gLog.clear();
  TLoggingComponent owner(nullptr, L"owner");
  auto* child = new TLoggingComponent(&owner, L"child");
  delete child;
  EXPECT_EQ(owner.GetComponentCount(), 0);
}

TEST(Component, FreeNotificationReachesComponentsOfOtherOwners) {
  gLog.clear();
  TLoggingComponent watcher(nullptr, L"watcher");
  auto* watched = new TLoggingComponent(nullptr, L"watched");
  watcher.Watch(watched);
  delete watched;
  EXPECT_EQ(watcher.Watched, nullptr);
  EXPECT_EQ(gLog.front(), L"free watched");
  EXPECT_EQ(gLog.back(), L"watcher lost its watched component");
}

TEST(Component, WatcherFreedFirstIsNotToldLater) {
  gLog.clear();
  TLoggingComponent watched(nullptr, L"watched");
  auto* watcher = new TLoggingComponent(nullptr, L"watcher");
  watcher->Watch(&watched);
  delete watcher;  // must unhook itself, or freeing `watched` would touch freed memory
  SUCCEED();
}

TEST(Component, LoadingEndsWithLoadedOnEveryComponentOwnedFirst) {
  gLog.clear();
  TLoggingComponent owner(nullptr, L"form");
  auto* child = new TLoggingComponent(&owner, L"list");
  owner.BeginLoading();
  EXPECT_TRUE(owner.IsLoading());
  EXPECT_TRUE(child->IsLoading());
  owner.EndLoading();
  EXPECT_FALSE(owner.IsLoading());
  EXPECT_FALSE(child->IsLoading());
  EXPECT_EQ(gLog, (std::vector<std::wstring>{L"loaded list", L"loaded form"}));
}

TEST(Component, NamesAreUniqueAmongOneOwnersComponents) {
  TLoggingComponent owner(nullptr, L"owner");
  auto* a = new TLoggingComponent(&owner, L"a");
  auto* b = new TLoggingComponent(&owner, L"b");
  a->SetName(L"Tree1");
  EXPECT_THROW(b->SetName(L"tree1"), EComponentError);
  EXPECT_EQ(owner.FindComponent(L"TREE1"), a);
}

TEST(Component, DesigningStateReachesOwnedComponents) {
  TLoggingComponent owner(nullptr, L"owner");
  auto* child = new TLoggingComponent(&owner, L"child");
  owner.SetDesigning(true);
  EXPECT_TRUE(child->IsDesigning());
}

TEST(Component, ClassIdentityCanBeWalkedUp) {
  TDerivedComponent derived(nullptr, L"d");
  EXPECT_EQ(derived.ClassName(), L"TDerivedComponent");
  EXPECT_TRUE(derived.InheritsFrom(TLoggingComponent::StaticClass()));
  EXPECT_TRUE(derived.InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(derived.InheritsFrom(TObject::StaticClass()));
  TLoggingComponent base(nullptr, L"b");
  EXPECT_FALSE(base.InheritsFrom(TDerivedComponent::StaticClass()));
  EXPECT_NE(derived.ClassType(), base.ClassType());
}

}  // namespace
}  // namespace ts
