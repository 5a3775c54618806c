// Text values of skin attributes, read the same way on every platform. All parsers are
// lenient: a malformed number reads as 0 (decimal or hexadecimal conversion up to the first
// unusable character), missing list elements read as 0, and every result is clamped to the
// range given.
#pragma once

#include "base/text.h"

#include <cstdint>
#include <string>

namespace uiparse {

// Largest magnitude accepted for coordinates and sizes read from a skin.
constexpr int kMaxCoord = 32767;

// "true" in any case is true, anything else false.
bool ParseBool(const std::string& value);
// Decimal integer clamped to [lo, hi].
int ParseInt(const std::string& value, int lo = -kMaxCoord, int hi = kMaxCoord);
// 32-bit hexadecimal ARGB colour, optional leading whitespace and "#"; beyond 32 bits all ones.
uint32_t ParseColor(const std::string& value);

struct RectValues {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct SizeValues {
    int cx = 0, cy = 0;
};
// Up to four comma-separated integers, each clamped to [lo, hi]; missing ones are 0.
RectValues ParseRectValues(const std::string& value, int lo = -kMaxCoord, int hi = kMaxCoord);
// Two comma-separated integers, each clamped to [lo, hi].
SizeValues ParseSizeValues(const std::string& value, int lo = -kMaxCoord, int hi = kMaxCoord);
// Case-insensitive comparison of two byte strings.
bool EqualsNoCase(const std::string& a, const std::string& b);
// Replaces every occurrence of `from` by `to` (base/text.h).
using ::ReplaceAll;

} // namespace uiparse
