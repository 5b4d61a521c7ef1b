#include "tests/e2e/ChildProcess.h"

#include <signal.h>
#include <unistd.h>

#include <QProcessEnvironment>
#include <QStringList>
#include <stdexcept>

namespace kelto::e2e {

ChildProcess::ChildProcess(const Options& options) {
    if (options.argv.empty()) throw std::invalid_argument("no program to run");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : options.env) {
        if (value.empty()) {
            env.remove(QString::fromStdString(name));
        } else {
            env.insert(QString::fromStdString(name), QString::fromStdString(value));
        }
    }
    process_.setProcessEnvironment(env);
    if (!options.workDir.empty()) {
        process_.setWorkingDirectory(QString::fromStdString(options.workDir.string()));
    }
    process_.setStandardInputFile(QProcess::nullDevice());
    if (!options.readOutput) process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(options.log.empty()
                                      ? QProcess::nullDevice()
                                      : QString::fromStdString(options.log.string()));
    // Its own process group, so that ending it ends whatever it started.
    process_.setChildProcessModifier([] { setpgid(0, 0); });
    QStringList arguments;
    for (std::size_t i = 1; i < options.argv.size(); ++i) {
        arguments << QString::fromStdString(options.argv[i]);
    }
    process_.start(QString::fromStdString(options.argv[0]), arguments);
    if (!process_.waitForStarted(60000)) {
        throw std::runtime_error("cannot start " + options.argv[0] + ": " +
                                 process_.errorString().toStdString());
    }
}

ChildProcess::~ChildProcess() { Terminate(); }

std::string ChildProcess::ReadLine(std::chrono::milliseconds ceiling) {
    WaitUntil(
        [this] {
            process_.waitForReadyRead(10);
            return process_.canReadLine() || process_.state() == QProcess::NotRunning;
        },
        ceiling);
    if (!process_.canReadLine()) return {};
    return process_.readLine().trimmed().toStdString();
}

bool ChildProcess::Running() {
    // Lets the process object see an exit that has happened.
    process_.waitForFinished(0);
    return process_.state() != QProcess::NotRunning;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds ceiling) {
    if (!WaitUntil([this] { return !Running(); }, ceiling)) return std::nullopt;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : 128;
}

void ChildProcess::Terminate() {
    if (!Running()) return;
    const auto group = static_cast<pid_t>(process_.processId());
    kill(-group, SIGTERM);
    if (WaitForExit(std::chrono::seconds(10))) return;
    kill(-group, SIGKILL);
    process_.waitForFinished(60000);
}

}  // namespace kelto::e2e
