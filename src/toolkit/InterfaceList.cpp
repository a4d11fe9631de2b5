#include "toolkit/InterfaceList.h"

#include <algorithm>
#include <utility>

#include "toolkit/Exception.h"

namespace ts {

TInterfaceList::TInterfaceList() { InitializeCriticalSection(&fLock); }

TInterfaceList::~TInterfaceList() {
  Clear();
  DeleteCriticalSection(&fLock);
}

void TInterfaceList::Lock() const { EnterCriticalSection(&fLock); }

void TInterfaceList::Unlock() const { LeaveCriticalSection(&fLock); }

void TInterfaceList::CheckIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(fItems.size()))
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
}

int TInterfaceList::Count() const {
  TInterfaceListLock lock(*this);
  return static_cast<int>(fItems.size());
}

IUnknown* TInterfaceList::Get(int index) const {
  TInterfaceListLock lock(*this);
  if (index < 0 || index >= static_cast<int>(fItems.size())) return nullptr;
  IUnknown* item = fItems[static_cast<size_t>(index)];
  if (item) item->AddRef();
  return item;
}

void TInterfaceList::Put(int index, IUnknown* item) {
  IUnknown* old;
  {
    TInterfaceListLock lock(*this);
    CheckIndex(index);
    if (item) item->AddRef();
    old = std::exchange(fItems[static_cast<size_t>(index)], item);
  }
  if (old) old->Release();
}

int TInterfaceList::Add(IUnknown* item) {
  TInterfaceListLock lock(*this);
  if (item) item->AddRef();
  fItems.push_back(item);
  return static_cast<int>(fItems.size()) - 1;
}

void TInterfaceList::Insert(int index, IUnknown* item) {
  TInterfaceListLock lock(*this);
  if (index < 0 || index > static_cast<int>(fItems.size()))
    throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
  if (item) item->AddRef();
  fItems.insert(fItems.begin() + index, item);
}

void TInterfaceList::Delete(int index) {
  IUnknown* old;
  {
    TInterfaceListLock lock(*this);
    CheckIndex(index);
    old = fItems[static_cast<size_t>(index)];
    fItems.erase(fItems.begin() + index);
  }
  // Released outside the lock: a final Release may run arbitrary code.
  if (old) old->Release();
}

int TInterfaceList::Remove(IUnknown* item) {
  int index;
  {
    TInterfaceListLock lock(*this);
    index = IndexOf(item);
    if (index < 0) return -1;
    fItems.erase(fItems.begin() + index);
  }
  if (item) item->Release();
  return index;
}

int TInterfaceList::IndexOf(IUnknown* item) const {
  TInterfaceListLock lock(*this);
  auto it = std::find(fItems.begin(), fItems.end(), item);
  return it == fItems.end() ? -1 : static_cast<int>(it - fItems.begin());
}

void TInterfaceList::Exchange(int index1, int index2) {
  TInterfaceListLock lock(*this);
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(fItems[static_cast<size_t>(index1)], fItems[static_cast<size_t>(index2)]);
}

void TInterfaceList::Clear() {
  std::deque<IUnknown*> old;
  {
    TInterfaceListLock lock(*this);
    old.swap(fItems);
  }
  for (IUnknown* item : old)
    if (item) item->Release();
}

IUnknown* TInterfaceList::ExtractFirst() {
  TInterfaceListLock lock(*this);
  if (fItems.empty()) return nullptr;
  IUnknown* item = fItems.front();
  fItems.pop_front();
  return item;
}

IUnknown* TInterfaceList::ExtractLast() {
  TInterfaceListLock lock(*this);
  if (fItems.empty()) return nullptr;
  IUnknown* item = fItems.back();
  fItems.pop_back();
  return item;
}

}  // namespace ts
