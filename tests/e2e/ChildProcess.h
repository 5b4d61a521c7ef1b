#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelto::e2e {

// A program run by a test, ended (SIGTERM, then SIGKILL) when the object goes
// unless it has ended already. Standard error goes to `log` when one is given.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> argv;
        // Set (or, with an empty value, removed) on top of the test's own environment.
        std::map<std::string, std::string> env;
        std::filesystem::path workDir;
        std::filesystem::path log;
        // Standard output goes here when set, e.g. a pipe the caller reads.
        int stdoutFd = -1;
    };

    explicit ChildProcess(const Options& options);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t Pid() const { return pid_; }
    // Exit status once it has ended within `ceiling` (128 + signal for a
    // signal), nothing if it is still running then.
    std::optional<int> WaitForExit(std::chrono::milliseconds ceiling);
    bool Running();
    void Terminate();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Polls `done` every few milliseconds until it holds or `ceiling` has passed;
// returns its last answer.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds ceiling);

}  // namespace kelto::e2e

#include "tests/e2e/WaitUntil.inl"
