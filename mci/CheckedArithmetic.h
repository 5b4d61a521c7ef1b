#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kelto::mci {

// Integer arithmetic in the player is checked: a result that leaves the range
// of its type is nullopt instead of wrapping. Real-to-integer conversions round
// to the nearest integer, an exact half going to the even neighbour (12.5 -> 12,
// 37.5 -> 38, -2.5 -> -2), and give nullopt for NaN or a rounded value outside
// the target range.

// Halves to even everywhere, so labels and commands derived from one value agree.
std::optional<std::int32_t> RoundToInt32(double value);

inline std::optional<std::int32_t> Sub32(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) return std::nullopt;
    return result;
}

inline std::optional<std::int32_t> Mul32(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) return std::nullopt;
    return result;
}

// Plain decimal text as it goes into commands and labels: a minus sign for
// negative values, no blank, grouping or leading zero.
inline std::string Decimal(std::int32_t value) { return std::to_string(value); }

// Reads the number at the start of a reply buffer. Blanks are ignored
// anywhere; then an optional sign, digits, and an optional '.' with more
// digits. Reading stops at the first other character (normally the NUL after
// the reply) or after `capacity` bytes, whichever comes first, so a buffer
// without a NUL is never overrun. Text that does not begin with a number
// reads as 0. The value is not rounded; a number too large for a double comes
// back as an infinity, which RoundToInt32 then refuses.
double ReadReplyNumber(const char* buffer, std::size_t capacity);

}  // namespace kelto::mci
