#pragma once
// Shared by the unit and Windows-side tests.
#include <functional>

#include "toolkit/failure.h"

namespace qm {

// The error code an action fails with, or 0 when it succeeds.
inline int errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.number();
  }
  return 0;
}

}  // namespace qm
