#pragma once
// Components: objects with an owner that frees them, a name, the loading,
// designing and destroying states, and notification when a component that
// another one refers to is freed.
#include <string>
#include <vector>

#include "toolkit/Object.h"
#include "toolkit/Set.h"

namespace ts {

enum TComponentStateFlag : uint8_t {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag, uint16_t>;

enum TOperation : uint8_t { opInsert, opRemove };

class TComponent : public TObject {
  TS_CLASS(TComponent, TObject)

public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* GetOwner() const noexcept { return fOwner; }
  const std::wstring& GetName() const noexcept { return fName; }
  void SetName(const std::wstring& name);
  int GetTag() const noexcept { return fTag; }
  void SetTag(int tag) noexcept { fTag = tag; }

  int GetComponentCount() const noexcept { return static_cast<int>(fComponents.size()); }
  TComponent* GetComponent(int index) const;
  TComponent* FindComponent(const std::wstring& name) const;
  int GetComponentIndex() const;

  TComponentState GetComponentState() const noexcept { return fState; }
  bool IsLoading() const noexcept { return fState.Contains(csLoading); }
  bool IsDesigning() const noexcept { return fState.Contains(csDesigning); }
  bool IsDestroying() const noexcept { return fState.Contains(csDestroying); }

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees every owned component, the last created first.
  void DestroyComponents();

  // Asks to be told (Notification with opRemove) when component is freed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // The loading bracket of a reader: csLoading (and csReading) on this
  // component and those it owns; at the end Loaded() on each of them.
  void BeginLoading();
  void EndLoading();
  void SetDesigning(bool value, bool includeOwned = true);

  // Marks the component as being destroyed; called first thing on freeing.
  virtual void Destroying();

protected:
  // Called once loading is over, after every property has been read.
  virtual void Loaded();
  // Told when a component is inserted in or removed from the owner, or when a
  // component this one asked about is freed.
  virtual void Notification(TComponent* component, TOperation operation);
  void SetState(TComponentStateFlag flag, bool on) noexcept {
    if (on) fState.Include(flag); else fState.Exclude(flag);
  }

private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);
  void RemoveNotification(TComponent* component);

  TComponent* fOwner = nullptr;
  std::wstring fName;
  int fTag = 0;
  TComponentState fState;
  std::vector<TComponent*> fComponents;
  std::vector<TComponent*> fFreeNotifies;
};

}  // namespace ts
