#include "tests/e2e/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace kelto::e2e {

namespace {

int StatusOf(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
    if (options.argv.empty()) throw std::invalid_argument("no program to run");
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string line(*entry);
        const std::string name = line.substr(0, line.find('='));
        if (options.env.count(name) == 0) env.push_back(line);
    }
    for (const auto& [name, value] : options.env) {
        if (!value.empty()) env.push_back(std::string(name).append("=").append(value));
    }
    std::vector<char*> argv;
    argv.reserve(options.argv.size() + 1);
    for (const std::string& arg : options.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    envp.reserve(env.size() + 1);
    for (std::string& line : env) envp.push_back(line.data());
    envp.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // Its own process group, so that ending it ends whatever it started.
        setpgid(0, 0);
        if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(options.stdoutFd >= 0 ? options.stdoutFd : null, STDOUT_FILENO);
        if (!options.log.empty()) {
            const int log = open(options.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (log >= 0) dup2(log, STDERR_FILENO);
        } else {
            dup2(null, STDERR_FILENO);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Running() {
    if (status_) return false;
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
        status_ = StatusOf(raw);
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds ceiling) {
    WaitUntil([this] { return !Running(); }, ceiling);
    return status_;
}

void ChildProcess::Terminate() {
    if (!Running()) return;
    kill(-pid_, SIGTERM);
    if (WaitForExit(std::chrono::seconds(10))) return;
    kill(-pid_, SIGKILL);
    int raw = 0;
    waitpid(pid_, &raw, 0);
    status_ = StatusOf(raw);
}

}  // namespace kelto::e2e
