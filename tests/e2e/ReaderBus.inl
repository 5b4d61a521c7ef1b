#pragma once

#include <chrono>

namespace kelto::e2e {

template <typename Predicate>
std::optional<ReaderNode> ReaderBus::WaitForNode(const std::string& role, const std::string& name,
                                                 Predicate ready) const {
    std::optional<ReaderNode> found;
    WaitUntil(
        [&] {
            found.reset();
            for (const ReaderNode& node : ReadTree()) {
                if (node.role == role && node.name == name) {
                    found = node;
                    break;
                }
            }
            return found && ready(*found);
        },
        std::chrono::seconds(90));
    return found;
}

}  // namespace kelto::e2e
