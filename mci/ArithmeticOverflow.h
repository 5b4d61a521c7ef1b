#pragma once

#include <stdexcept>

namespace kelto::mci {

// Raised when checked integer arithmetic or a real-to-integer conversion leaves
// the range of its target type. Callers that must keep going catch exactly this.
class ArithmeticOverflow : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

}  // namespace kelto::mci
