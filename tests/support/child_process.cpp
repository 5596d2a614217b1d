#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

// The environment of the child: ours, less the removed names, with the set ones replaced.
std::vector<std::string> ChildEnvironment(const ChildOptions& options) {
    std::vector<std::string> result;
    auto named = [](const std::string& entry, const std::string& name) {
        return entry.compare(0, name.size(), name) == 0 && entry.size() > name.size() &&
               entry[name.size()] == '=';
    };
    for (char** entry = environ; *entry != nullptr; entry++) {
        std::string text = *entry;
        bool dropped = false;
        for (const auto& name : options.unsetEnvironment) dropped = dropped || named(text, name);
        for (const auto& pair : options.environment) dropped = dropped || named(text, pair.first);
        if (!dropped) result.push_back(text);
    }
    // A name set twice takes its last value.
    for (size_t i = 0; i < options.environment.size(); i++) {
        const auto& pair = options.environment[i];
        bool setAgain = false;
        for (size_t j = i + 1; j < options.environment.size(); j++) {
            setAgain = setAgain || options.environment[j].first == pair.first;
        }
        if (!setAgain) result.push_back(pair.first + "=" + pair.second);
    }
    return result;
}

// execve does not search PATH; find the program here, before forking.
std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return name;
}

std::string TemporaryPath(const std::string& stem) {
    const char* folder = getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr ? folder : "/tmp") + "/" + stem + "XXXXXX";
    int fd = mkstemp(&pattern[0]);
    if (fd >= 0) close(fd);
    return pattern;
}

}  // namespace

double NowSeconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

void SleepSeconds(double seconds) {
    if (seconds <= 0) return;
    timespec pause;
    pause.tv_sec = static_cast<time_t>(seconds);
    pause.tv_nsec = static_cast<long>((seconds - pause.tv_sec) * 1e9);
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string MakeTemporaryDirectory(const std::string& stem) {
    const char* folder = getenv("TMPDIR");
    std::string pattern = std::string(folder != nullptr ? folder : "/tmp") + "/" + stem + "XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return "";
    return pattern;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options) {
    if (argv.empty()) return;
    if (options.logPrefix.empty()) {
        outputPath_ = TemporaryPath("child-stdout-");
        errorsPath_ = TemporaryPath("child-stderr-");
        removeLogs_ = true;
    } else {
        outputPath_ = options.logPrefix + ".stdout";
        errorsPath_ = options.logPrefix + ".stderr";
    }
    // Everything the child needs is made before fork: after it only async-signal-safe calls.
    std::string program = FindProgram(argv[0]);
    std::vector<char*> arguments;
    for (const auto& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    std::vector<std::string> environment = ChildEnvironment(options);
    std::vector<char*> variables;
    for (const auto& variable : environment) variables.push_back(const_cast<char*>(variable.c_str()));
    variables.push_back(nullptr);
    int output = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (options.outputReaderGone && output >= 0) {
        close(output);
        output = -1;
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) == 0) {
            close(pipeEnds[0]);
            output = pipeEnds[1];
        }
    }
    int errors = open(errorsPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (output < 0 || errors < 0 || input < 0) {
        std::fprintf(stderr, "cannot open the logs of %s\n", argv[0].c_str());
    } else {
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);  // its own group, so that Kill() reaches whatever it starts
            if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
                _exit(126);
            }
            if (options.passDescriptor == 3) {
                fcntl(3, F_SETFD, 0);  // keep it open across exec
            } else if (options.passDescriptor >= 0) {
                dup2(options.passDescriptor, 3);  // the copy is kept open across exec
            }
            dup2(input, 0);
            dup2(output, 1);
            dup2(errors, 2);
            execve(program.c_str(), arguments.data(), variables.data());
            _exit(127);
        }
        if (pid_ < 0) std::fprintf(stderr, "cannot start %s: %s\n", argv[0].c_str(), strerror(errno));
    }
    for (int fd : {output, errors, input}) {
        if (fd >= 0) close(fd);
    }
}

ChildProcess::~ChildProcess() {
    Kill();
    if (removeLogs_) {
        unlink(outputPath_.c_str());
        unlink(errorsPath_.c_str());
    }
}

void ChildProcess::Reap(int waitStatus) {
    exitStatus_ = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    reaped_ = true;
}

bool ChildProcess::Running() {
    if (pid_ <= 0 || reaped_) return false;
    int waitStatus = 0;
    pid_t result = waitpid(pid_, &waitStatus, WNOHANG);
    if (result == pid_) {
        Reap(waitStatus);
        return false;
    }
    return result == 0;
}

bool ChildProcess::WaitForExit(double timeoutSeconds) {
    double deadline = NowSeconds() + timeoutSeconds;
    while (Running()) {
        if (NowSeconds() >= deadline) return false;
        SleepSeconds(0.005);
    }
    return exitStatus_ >= 0;
}

void ChildProcess::Signal(int signalNumber) {
    if (Running()) kill(pid_, signalNumber);
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    // The group too when the child itself has ended: a launcher (faketime, apitrace) may have
    // left the program it started running.
    kill(-pid_, SIGKILL);
    if (!Running()) return;
    kill(pid_, SIGKILL);
    int waitStatus = 0;
    if (waitpid(pid_, &waitStatus, 0) == pid_) Reap(waitStatus);
}

std::string ChildProcess::Output() const {
    return ReadFile(outputPath_);
}

std::string ChildProcess::Errors() const {
    return ReadFile(errorsPath_);
}

bool ChildProcess::WaitForText(const std::string& path, const std::string& text,
                               double timeoutSeconds) {
    double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        bool running = Running();
        if (ReadFile(path).find(text) != std::string::npos) return true;
        if (!running || NowSeconds() >= deadline) return false;
        SleepSeconds(0.01);
    }
}

bool ChildProcess::WaitForOutput(const std::string& text, double timeoutSeconds) {
    return WaitForText(outputPath_, text, timeoutSeconds);
}

bool ChildProcess::WaitForErrors(const std::string& text, double timeoutSeconds) {
    return WaitForText(errorsPath_, text, timeoutSeconds);
}

CommandResult RunCommand(const std::vector<std::string>& argv, const ChildOptions& options,
                         double timeoutSeconds) {
    CommandResult result;
    ChildProcess child(argv, options);
    if (!child.started()) return result;
    result.timedOut = !child.WaitForExit(timeoutSeconds);
    child.Kill();
    result.status = child.ExitStatus();
    result.output = child.Output();
    result.errors = child.Errors();
    return result;
}
