#pragma once
// Raw resources of the executable and the platform's sound call.
#include <cstdint>
#include <vector>

namespace qm {

class ResourceReader {
 public:
  virtual ~ResourceReader() = default;
  // The complete data of the resource of the string-named type with numeric id, padding
  // included. Throws a Failure (never code 76) when it is missing or unreadable.
  virtual std::vector<uint8_t> read(const char* type, int16_t id) = 0;
};

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Binds the platform call on first use (Failure when that is impossible), then plays the
  // WAVE image in memory with the given flags. The image must stay valid while it may be read.
  // Returns the platform's answer; a refusal is not a failure.
  virtual bool play(const uint8_t* image, uint32_t flags) = 0;
};

}  // namespace qm
