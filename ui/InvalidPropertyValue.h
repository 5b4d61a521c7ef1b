#pragma once

#include <stdexcept>
#include <string>

namespace kelto::ui {

// Thrown when a control property is written with a value outside its range;
// the control is left exactly as it was.
class InvalidPropertyValue : public std::out_of_range {
public:
    explicit InvalidPropertyValue(const std::string& what) : std::out_of_range(what) {}
};

}  // namespace kelto::ui
