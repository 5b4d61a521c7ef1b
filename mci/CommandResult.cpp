#include "mci/CommandResult.h"

namespace kelto::mci {

bool IsSuccess(const std::string& result) { return result == kSuccess; }

std::string ResultDisplayText(const std::string& result) {
    return result.substr(0, result.find('\0'));
}

}  // namespace kelto::mci
