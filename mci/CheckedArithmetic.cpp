#include "mci/CheckedArithmetic.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kelto::mci {

namespace {

// Rounds to the nearest whole number, halves to even, independently of the
// floating-point environment's current rounding mode.
double RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5) {
        return below;
    }
    if (fraction > 0.5) {
        return below + 1.0;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

template <typename Int>
Int RoundChecked(double value, const char* what) {
    if (std::isnan(value)) {
        throw ArithmeticOverflow(std::string(what) + ": not a number");
    }
    const double rounded = RoundHalfEven(value);
    // Both limits are exactly representable as doubles for 16 and 32 bits.
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        throw ArithmeticOverflow(std::string(what) + ": value out of range");
    }
    return static_cast<Int>(rounded);
}

std::int32_t Narrow(std::int64_t value, const char* what) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw ArithmeticOverflow(std::string(what) + ": result out of 32-bit range");
    }
    return static_cast<std::int32_t>(value);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t RoundToInt32(double value) {
    return RoundChecked<std::int32_t>(value, "conversion to 32-bit integer");
}

std::int32_t Sub32(std::int32_t a, std::int32_t b) {
    return Narrow(static_cast<std::int64_t>(a) - b, "subtraction");
}

std::int32_t Mul32(std::int32_t a, std::int32_t b) {
    return Narrow(static_cast<std::int64_t>(a) * b, "multiplication");
}

std::string Decimal(std::int32_t value) { return std::to_string(value); }

double ReadReplyNumber(const char* buffer, std::size_t capacity) {
    if (buffer == nullptr) {
        return 0.0;
    }
    std::size_t pos = 0;
    // Returns the next character that is not a blank, or NUL at the end.
    auto peek = [&]() -> char {
        while (pos < capacity && buffer[pos] == ' ') {
            ++pos;
        }
        return pos < capacity ? buffer[pos] : '\0';
    };

    bool negative = false;
    if (const char c = peek(); c == '+' || c == '-') {
        negative = c == '-';
        ++pos;
    }
    std::string whole;
    for (char c = peek(); IsDigit(c); c = peek()) {
        whole += c;
        ++pos;
    }
    std::string fraction;
    if (peek() == '.') {
        ++pos;
        for (char c = peek(); IsDigit(c); c = peek()) {
            fraction += c;
            ++pos;
        }
    }
    if (whole.empty() && fraction.empty()) {
        return 0.0;
    }

    // from_chars ignores the locale, which a GUI process may have changed.
    const std::string text =
        (whole.empty() ? "0" : whole) + (fraction.empty() ? "" : "." + fraction);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        const bool hasWholePart = whole.find_first_not_of('0') != std::string::npos;
        value = hasWholePart ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace kelto::mci
