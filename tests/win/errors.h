#pragma once
// The error code an action fails with, or 0 when it succeeds.
#include <functional>

#include "toolkit/failure.h"

namespace qm::win32 {

inline int errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.number();
  }
  return 0;
}

}  // namespace qm::win32
