#include "bench_process.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

std::uint32_t TickNow() {
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return std::uint32_t(std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u);
}

namespace {

void RedirectTo(int descriptor, const std::string& path) {
    const int file = path.empty() ? open("/dev/null", O_WRONLY)
                                  : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file >= 0) {
        dup2(file, descriptor);
        close(file);
    }
}

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

Process::Process(const Launch& launch) : outputPath_(launch.outputPath) {
    std::vector<char*> argv;
    for (const std::string& arg : launch.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (!outputPath_.empty()) unlink(outputPath_.c_str());  // no earlier run's output to read
    launchTick_ = TickNow();
    pid_ = fork();
    if (pid_ != 0) return;
    setpgid(0, 0);  // its own group, so that what it starts ends with it
    if (!launch.workingDirectory.empty() && chdir(launch.workingDirectory.c_str()) != 0) _exit(127);
    for (const auto& variable : launch.environment) {
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
    if (launch.realTimePriority > 0) {
        sched_param priority = {};
        priority.sched_priority = launch.realTimePriority;
        if (sched_setscheduler(0, SCHED_RR, &priority) != 0) _exit(126);
    }
    RedirectTo(1, launch.outputPath);
    RedirectTo(2, launch.errorsPath);
    execvp(argv[0], argv.data());
    _exit(127);
}

Process::~Process() {
    if (pid_ > 0) Wait(0.0);
}

Finished Process::Wait(double timeoutSeconds) {
    Finished finished;
    if (pid_ <= 0) return finished;
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    int waitStatus = 0;
    rusage usage = {};
    for (;;) {
        if (wait4(pid_, &waitStatus, WNOHANG, &usage) == pid_) break;
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (double(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) * 1e-9 >= timeoutSeconds) {
            kill(-pid_, SIGKILL);
            kill(pid_, SIGKILL);
            wait4(pid_, &waitStatus, 0, &usage);
            finished.timedOut = true;
            break;
        }
        usleep(2000);
    }
    pid_ = -1;
    finished.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    finished.cpuSeconds = double(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec * 1e-6 +
                          double(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec * 1e-6;
    finished.peakResidentKb = usage.ru_maxrss;
    if (!outputPath_.empty()) finished.output = ReadWhole(outputPath_);
    return finished;
}

bool Process::WaitForOutput(const std::string& text, double timeoutSeconds) {
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        if (ReadWhole(outputPath_).find(text) != std::string::npos) return true;
        siginfo_t ended = {};
        if (waitid(P_PID, id_t(pid_), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid_) {
            return false;
        }
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (double(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) * 1e-9 >= timeoutSeconds) return false;
        usleep(2000);
    }
}

Finished RunProgram(const Launch& launch, double timeoutSeconds) {
    Process process(launch);
    return process.Wait(timeoutSeconds);
}
