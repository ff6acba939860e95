#pragma once
// Foreseen failures: an error code with a short description. The event dispatcher reports them;
// the picture step looks at the code (76 means the folder is gone).
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qm {

// The one table of error codes the product uses.
enum class ErrorCode : int {
  kOverflow = 6,
  kOutOfMemory = 7,
  kTypeMismatch = 13,
  kFileNotFound = 53,
  kDeviceUnavailable = 68,
  kPermissionDenied = 70,
  kPathNotFound = 76,
  kObjectNotSet = 91,
  kInvalidPropertyValue = 380,
  kInvalidPicture = 481,
  kResourceNotFound = 326,
  kCannotBindCall = 453,
  kPlatformError = 5,
};

// The description that goes with a code in the table above.
const char* describe(ErrorCode code);

class Failure : public std::runtime_error {
 public:
  explicit Failure(ErrorCode code);
  Failure(ErrorCode code, const std::string& detail);
  ErrorCode code() const { return code_; }
  int number() const { return static_cast<int>(code_); }
  // "Path not found" or, with detail, "Path not found: C:\pics".
  const std::string& description() const { return description_; }

 private:
  ErrorCode code_;
  std::string description_;
};

}  // namespace qm
