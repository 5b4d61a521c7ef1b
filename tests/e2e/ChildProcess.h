#pragma once

#include <QProcess>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kelto::e2e {

// A program run by a test in a process group of its own, ended (SIGTERM to
// the group, then SIGKILL) when the object goes unless it has ended already.
// Standard error goes to `log` when one is given.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> argv;
        // Set (or, with an empty value, removed) on top of the test's own environment.
        std::map<std::string, std::string> env;
        std::filesystem::path workDir;
        std::filesystem::path log;
        // Standard output is kept for ReadLine() when set, else dropped.
        bool readOutput = false;
    };

    explicit ChildProcess(const Options& options);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // The first line of standard output that comes within `ceiling`, without
    // its line break; empty when none came.
    std::string ReadLine(std::chrono::milliseconds ceiling);
    // Exit status once it has ended within `ceiling` (128 when a signal ended
    // it), nothing if it is still running then.
    std::optional<int> WaitForExit(std::chrono::milliseconds ceiling);
    bool Running();
    void Terminate();

private:
    QProcess process_;
};

// Polls `done` every few milliseconds until it holds or `ceiling` has passed;
// returns its last answer.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds ceiling);

}  // namespace kelto::e2e

#include "tests/e2e/WaitUntil.inl"
