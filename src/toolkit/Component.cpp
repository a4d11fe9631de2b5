#include "toolkit/Component.h"

#include <algorithm>

#include "toolkit/Exception.h"
#include "toolkit/Strings.h"

namespace ts {

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who asked, each once; they drop their references to us.
  while (!fFreeNotifies.empty()) {
    TComponent* other = fFreeNotifies.back();
    fFreeNotifies.pop_back();
    auto& theirs = other->fFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (fOwner != nullptr) fOwner->RemoveComponent(this);
}

void TComponent::SetName(const std::wstring& name) {
  if (name == fName) return;
  if (!name.empty() && fOwner != nullptr) {
    TComponent* other = fOwner->FindComponent(name);
    if (other != nullptr && other != this)
      throw EComponentError(L"A component named " + name + L" already exists");
  }
  fName = name;
}

TComponent* TComponent::GetComponent(int index) const {
  if (index < 0 || index >= GetComponentCount())
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
  return fComponents[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::wstring& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : fComponents)
    if (SameText(c->fName, name)) return c;
  return nullptr;
}

int TComponent::GetComponentIndex() const {
  if (fOwner == nullptr) return -1;
  auto& list = fOwner->fComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr || component->fOwner == this) return;
  if (component->fOwner != nullptr) component->fOwner->RemoveComponent(component);
  Insert(component);
  Notification(component, opInsert);
  for (TComponent* c : fComponents)
    if (c != component) c->Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->fOwner != this) return;
  Notification(component, opRemove);
  for (TComponent* c : std::vector<TComponent*>(fComponents))
    if (c != component) c->Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent* component) {
  fComponents.push_back(component);
  component->fOwner = this;
}

void TComponent::Remove(TComponent* component) {
  auto it = std::find(fComponents.begin(), fComponents.end(), component);
  if (it != fComponents.end()) fComponents.erase(it);
  component->fOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!fComponents.empty()) {
    TComponent* last = fComponents.back();
    Remove(last);
    delete last;
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (std::find(fFreeNotifies.begin(), fFreeNotifies.end(), component) == fFreeNotifies.end()) {
    fFreeNotifies.push_back(component);
    component->fFreeNotifies.push_back(this);
  }
  fState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) {
  fFreeNotifies.erase(std::remove(fFreeNotifies.begin(), fFreeNotifies.end(), component), fFreeNotifies.end());
}

void TComponent::BeginLoading() {
  fState.Include(csLoading).Include(csReading);
  for (TComponent* c : fComponents) c->BeginLoading();
}

void TComponent::EndLoading() {
  fState.Exclude(csReading);
  for (TComponent* c : fComponents) c->fState.Exclude(csReading);
  // Owned components first, so that an owner's Loaded sees them ready.
  for (TComponent* c : std::vector<TComponent*>(fComponents)) c->EndLoading();
  fState.Exclude(csLoading);
  Loaded();
}

void TComponent::SetDesigning(bool value, bool includeOwned) {
  SetState(csDesigning, value);
  if (includeOwned)
    for (TComponent* c : fComponents) c->SetDesigning(value, true);
}

void TComponent::Destroying() {
  if (fState.Contains(csDestroying)) return;
  fState.Include(csDestroying);
  for (TComponent* c : fComponents) c->Destroying();
}

void TComponent::Loaded() { fState.Exclude(csLoading); }

void TComponent::Notification(TComponent*, TOperation) {}

}  // namespace ts
