#pragma once
// The picture step's rule for failures, written once: a statement that fails is skipped and
// the step goes on; a condition that fails counts as true. Only a missing folder (76) stops
// the step, through onMissingFolder, which ends the program.
#include <functional>

#include "toolkit/failure.h"

namespace qm {

class StepRunner {
 public:
  explicit StepRunner(std::function<void()> onMissingFolder)
      : onMissingFolder_(std::move(onMissingFolder)) {}

  void run(const std::function<void()>& statement);
  bool test(const std::function<bool()>& condition);
  int failures() const { return failures_; }

 private:
  void failed(const Failure* failure);
  std::function<void()> onMissingFolder_;
  int failures_ = 0;
};

}  // namespace qm
