#pragma once
// Text to 32-bit integer, as the show reads its numeric settings.
#include <cstdint>
#include <string>

namespace qm {

// Plain decimal integers convert exactly; surrounding blanks and one sign are accepted; a
// fractional part rounds half to even ("2.5" is 2, "3.5" is 4). Anything else is a Type
// mismatch failure; a value outside 32 bits is an Overflow failure.
int32_t toInt32(const std::string& text);

}  // namespace qm
