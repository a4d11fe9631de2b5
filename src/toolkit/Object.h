#pragma once
// The root object with a class identity that can be compared and walked up,
// so that filters such as "its class is C or derives from it" and "exactly C"
// can be written without RTTI tricks.
#include <string>

namespace ts {

struct TClassInfo {
  const wchar_t* Name;
  const TClassInfo* Parent;

  bool InheritsFrom(const TClassInfo* ancestor) const noexcept;
};

using TClass = const TClassInfo*;

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  static TClass StaticClass() noexcept;
  virtual TClass ClassType() const noexcept { return StaticClass(); }
  std::wstring ClassName() const { return ClassType()->Name; }
  bool InheritsFrom(TClass ancestor) const noexcept { return ClassType()->InheritsFrom(ancestor); }
};

}  // namespace ts

// Gives a class derived from TObject its own class identity.
#define TS_CLASS(Class, Base)                                              \
public:                                                                    \
  static ::ts::TClass StaticClass() noexcept {                             \
    static const ::ts::TClassInfo info{L## #Class, Base::StaticClass()};   \
    return &info;                                                          \
  }                                                                        \
  ::ts::TClass ClassType() const noexcept override { return StaticClass(); }
