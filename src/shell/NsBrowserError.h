#pragma once
#include "toolkit/Exception.h"

namespace ts {

// The shell components' error: binding and selection failures.
class ENsBrowserError : public Exception {
public:
  using Exception::Exception;
};

}  // namespace ts
