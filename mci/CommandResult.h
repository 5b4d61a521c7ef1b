#pragma once

#include <string>
#include <string_view>

namespace kelto::mci {

// What every command wrapper returns when the service accepted the command.
// Any other value is the service's error text, which fills a 128-byte buffer
// (the text, then NULs).
inline constexpr std::string_view kSuccess = "Success";

// Exact comparison: a result counts as success only when it is the seven
// letters of kSuccess, nothing before or after.
bool IsSuccess(const std::string& result);

// The part of a result that a label shows: everything before the first NUL.
std::string ResultDisplayText(const std::string& result);

}  // namespace kelto::mci
