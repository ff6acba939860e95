#include "toolkit/failure.h"

namespace qm {

const char* describe(ErrorCode code) {
  switch (code) {
    case ErrorCode::kOverflow:
      return "Overflow";
    case ErrorCode::kOutOfMemory:
      return "Out of memory";
    case ErrorCode::kTypeMismatch:
      return "Type mismatch";
    case ErrorCode::kFileNotFound:
      return "File not found";
    case ErrorCode::kDeviceUnavailable:
      return "Device unavailable";
    case ErrorCode::kPermissionDenied:
      return "Permission denied";
    case ErrorCode::kPathNotFound:
      return "Path not found";
    case ErrorCode::kObjectNotSet:
      return "Object variable not set";
    case ErrorCode::kInvalidPropertyValue:
      return "Invalid property value";
    case ErrorCode::kInvalidPicture:
      return "Invalid picture";
    case ErrorCode::kResourceNotFound:
      return "Can't find resource";
    case ErrorCode::kCannotBindCall:
      return "Can't find DLL entry point";
    case ErrorCode::kPlatformError:
      return "Invalid procedure call";
  }
  return "Unknown error";
}

Failure::Failure(ErrorCode code) : Failure(code, std::string()) {}

Failure::Failure(ErrorCode code, const std::string& detail)
    : std::runtime_error(describe(code)),
      code_(code),
      description_(detail.empty() ? std::string(describe(code))
                                  : std::string(describe(code)) + ": " + detail) {}

}  // namespace qm
