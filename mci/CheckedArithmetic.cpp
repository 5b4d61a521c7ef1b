#include "mci/CheckedArithmetic.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace kelto::mci {

std::optional<std::int32_t> RoundToInt32(double value) {
    // Round-to-nearest is the default mode and nothing in the process changes
    // it; nearbyint then rounds halves to even without raising "inexact".
    static_assert(std::numeric_limits<double>::is_iec559);
    const double rounded = std::nearbyint(value);
    // Both limits are exact doubles; the negated test also turns NaN away.
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

double ReadReplyNumber(const char* buffer, std::size_t capacity) {
    // Lenient, as the replies need: blanks anywhere are dropped, and the number
    // is the sign, digits and first decimal point that lead the text.
    std::string text;
    bool negative = false;
    bool signSeen = false;
    bool point = false;
    bool digits = false;
    for (std::size_t i = 0; buffer != nullptr && i < capacity; ++i) {
        const char c = buffer[i];
        if (c == ' ') continue;
        if ((c == '+' || c == '-') && !signSeen && text.empty()) {
            signSeen = true;
            negative = c == '-';
        } else if (c == '.' && !point) {
            point = true;
            text += c;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            text += c;
        } else {
            break;
        }
    }
    if (!digits) return 0.0;
    // from_chars ignores the locale, which a GUI process may have changed.
    double value = 0.0;
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec ==
        std::errc::result_out_of_range) {
        // Too large, or too small to tell from 0: a non-zero digit before the point decides.
        const bool large = text.find_first_not_of('0') < text.find('.');
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace kelto::mci
