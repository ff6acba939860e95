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

namespace {

// A detail is a path or a value a user stored, which may run to thousands of characters: past
// this many its middle gives way to an ellipsis, so that a message box still fits the screen.
constexpr size_t kLongestDetail = 200;
// A message box breaks lines only at blanks: a longer run of characters is broken by line ends.
constexpr size_t kLongestRun = 64;

bool continuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

std::string shortened(const std::string& detail) {
  std::string kept = detail;
  if (detail.size() > kLongestDetail) {
    // Kept whole at both ends: the start names the folder, the end the file.
    size_t head = kLongestDetail / 2 - 2, tail = detail.size() - (kLongestDetail - head - 3);
    while (head > 0 && continuesCharacter(detail[head])) --head;
    while (tail < detail.size() && continuesCharacter(detail[tail])) ++tail;
    kept = detail.substr(0, head) + "..." + detail.substr(tail);
  }
  std::string out;
  size_t run = 0;  // characters since the last blank or line end
  for (char byte : kept) {
    if (byte == ' ' || byte == '\n') {
      run = 0;
    } else if (!continuesCharacter(byte) && run++ == kLongestRun) {
      out += '\n';
      run = 1;
    }
    out += byte;
  }
  return out;
}

}  // namespace

Failure::Failure(ErrorCode code, const std::string& detail)
    : std::runtime_error(describe(code)),
      code_(code),
      description_(detail.empty() ? std::string(describe(code))
                                  : std::string(describe(code)) + ": " + shortened(detail)) {}

}  // namespace qm
