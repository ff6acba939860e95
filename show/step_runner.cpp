#include "show/step_runner.h"

#include <exception>

namespace qm {

void StepRunner::failed(const Failure* failure) {
  ++failures_;
  if (failure && failure->code() == ErrorCode::kPathNotFound) onMissingFolder_();
}

void StepRunner::run(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const Failure& failure) {
    failed(&failure);
  } catch (const std::exception&) {
    failed(nullptr);
  }
}

bool StepRunner::test(const std::function<bool()>& condition) {
  try {
    return condition();
  } catch (const Failure& failure) {
    failed(&failure);
  } catch (const std::exception&) {
    failed(nullptr);
  }
  return true;
}

}  // namespace qm
