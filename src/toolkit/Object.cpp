#include "toolkit/Object.h"

namespace ts {

bool TClassInfo::InheritsFrom(const TClassInfo* ancestor) const noexcept {
  for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
    if (c == ancestor) return true;
  return false;
}

TObject::~TObject() = default;

TClass TObject::StaticClass() noexcept {
  static const TClassInfo info{L"TObject", nullptr};
  return &info;
}

}  // namespace ts
