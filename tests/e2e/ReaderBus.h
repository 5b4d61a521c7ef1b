#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/XDisplay.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::e2e {

// One object of the accessible tree, as read_tree.py prints it.
struct ReaderNode {
    int depth = 0;
    std::string role;
    std::string name;
    std::string description;
    std::optional<double> value, minimum, maximum;
    std::string valueText;
    std::string states;
    bool Has(const std::string& state) const;
};
std::string ToString(const ReaderNode& node);

// A private session bus with the accessibility bus launcher on it, for one
// test: a program started with PlayerEnv() joins it, and ReadTree() reads
// that program's accessible tree over it as a screen reader would.
class ReaderBus {
public:
    explicit ReaderBus(const XDisplay& display);
    ReaderBus(const ReaderBus&) = delete;
    ReaderBus& operator=(const ReaderBus&) = delete;
    ~ReaderBus();

    std::map<std::string, std::string> PlayerEnv() const;
    // The player's tree now; empty while it has not joined the bus.
    std::vector<ReaderNode> ReadTree() const;
    // The first object with that role and name, waiting up to the ceiling
    // until `ready` holds for it.
    template <typename Predicate>
    std::optional<ReaderNode> WaitForNode(const std::string& role, const std::string& name,
                                          Predicate ready) const;

private:
    const XDisplay& display_;
    testing::TempFolder folder_;
    std::string address_;
    std::unique_ptr<ChildProcess> sessionBus_;
    std::unique_ptr<ChildProcess> launcher_;
};

}  // namespace kelto::e2e

#include "tests/e2e/ReaderBus.inl"
