#include "toolkit/convert.h"

#include <algorithm>
#include <limits>

#include "toolkit/failure.h"

namespace qm {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

int32_t toInt32(const std::string& text) {
  size_t i = 0, end = text.size();
  while (i < end && isBlank(text[i])) ++i;
  while (end > i && isBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // Whole part, held in 64 bits and stopped at the least size that overflows with either sign.
  const int64_t past = -static_cast<int64_t>(std::numeric_limits<int32_t>::min()) + 1;
  int64_t whole = 0;
  bool digits = false;
  for (; i < end && isDigit(text[i]); ++i) {
    digits = true;
    whole = std::min(whole * 10 + (text[i] - '0'), past);
  }
  // Fraction: only how it compares with one half matters.
  int half = -1;  // -1 below a half, 0 exactly a half, 1 above
  if (i < end && text[i] == '.') {
    ++i;
    if (i < end && isDigit(text[i])) {
      digits = true;
      half = text[i] > '5' ? 1 : (text[i] == '5' ? 0 : -1);
      for (++i; i < end && isDigit(text[i]); ++i) {
        if (half == 0 && text[i] != '0') half = 1;
      }
    }
  }
  if (!digits || i != end) throw Failure(ErrorCode::kTypeMismatch, "\"" + text + "\"");
  if (half > 0 || (half == 0 && whole % 2 == 1)) ++whole;
  const int64_t value = negative ? -whole : whole;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
    throw Failure(ErrorCode::kOverflow, "\"" + text + "\"");
  return static_cast<int32_t>(value);
}

}  // namespace qm
