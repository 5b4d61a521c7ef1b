#include "samples/EncoderProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "samples/GstClipEncoder.h"
#include "samples/RecipeArgs.h"

extern char** environ;

namespace kelto::samples {

namespace {

std::string ToolPath() {
    const char* chosen = std::getenv("KELTO_MAKE_CLIP_TOOL");
    return chosen != nullptr && *chosen != '\0' ? chosen : KELTO_MAKE_CLIP_TOOL;
}

// Covers every attempt the child makes plus its start under sanitizers, so it
// only ever ends a child that has hung outright.
std::chrono::milliseconds ChildBound(const ClipRecipe& recipe) {
    return kEncodeAttempts * EncodeAttemptBound(recipe) + std::chrono::seconds(60);
}

class Child {
public:
    explicit Child(const std::vector<std::string>& argv) {
        std::vector<char*> raw;
        raw.reserve(argv.size() + 1);
        for (const std::string& word : argv) {
            raw.push_back(const_cast<char*>(word.c_str()));
        }
        raw.push_back(nullptr);
        const int error = posix_spawn(&pid_, raw[0], nullptr, nullptr, raw.data(), environ);
        if (error != 0) {
            throw std::system_error(error, std::generic_category(), "cannot start " + argv[0]);
        }
        // Through the system call: the C library's header for it is not fit for C++.
        pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Reap();
        }
        if (pidfd_ >= 0) {
            close(pidfd_);
        }
    }

    // How the child ended: its wait status, or nullopt when it outlived `bound`
    // (it is then killed).
    std::optional<int> Wait(std::chrono::milliseconds bound) {
        if (pidfd_ >= 0) {
            pollfd ready{pidfd_, POLLIN, 0};
            int polled = 0;
            do {
                polled = poll(&ready, 1, static_cast<int>(bound.count()));
            } while (polled < 0 && errno == EINTR);
            if (polled == 0) {
                return std::nullopt;
            }
        }
        // Without a process descriptor (a kernel older than 5.3) the child's
        // own bounds are what end it.
        return Reap();
    }

private:
    int Reap() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

    pid_t pid_ = -1;
    int pidfd_ = -1;
};

std::string Describe(const std::optional<int>& status) {
    if (!status) {
        return "hung and was killed";
    }
    if (WIFEXITED(*status)) {
        return "exited with " + std::to_string(WEXITSTATUS(*status));
    }
    if (WIFSIGNALED(*status)) {
        return "was ended by signal " + std::to_string(WTERMSIG(*status));
    }
    return "ended with status " + std::to_string(*status);
}

}  // namespace

void EncodeInOwnProcess(const ClipRecipe& recipe, const std::filesystem::path& target) {
    std::vector<std::string> argv{ToolPath()};
    for (std::string& word : RecipeToArgs(recipe)) {
        argv.push_back(std::move(word));
    }
    argv.push_back(target.string());

    constexpr int kAttempts = 3;
    std::string last;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        std::error_code ec;
        std::filesystem::remove(target, ec);
        Child child(argv);
        const std::optional<int> status = child.Wait(ChildBound(recipe));
        if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0 &&
            std::filesystem::is_regular_file(target, ec)) {
            return;
        }
        last = Describe(status);
    }
    std::error_code ec;
    std::filesystem::remove(target, ec);
    throw std::runtime_error("making " + target.string() + ": the clip tool " + last +
                             " on each of " + std::to_string(kAttempts) + " attempts");
}

}  // namespace kelto::samples
