#include "capture/leftovers.h"

#include <limits.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const int MaxFiles = 8;
const int MaxProcesses = 4;

// Written by the program's thread with signals able to arrive at any moment: an entry is filled
// before it is marked in use, and a path is never changed while in use.
char FilePaths[MaxFiles][PATH_MAX];
volatile sig_atomic_t FileInUse[MaxFiles];
volatile sig_atomic_t FileGoesLast[MaxFiles];
volatile pid_t Processes[MaxProcesses];

void WriteText(const char* text) {
    ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void OnSignal(int signalNumber) {
    RemoveLeftovers();
    WriteText("\nveskop-capture: interrupted; nothing written\n");
    _exit(128 + signalNumber);
}

}  // namespace

bool AddLeftoverFile(const std::string& path, bool last) {
    if (path.size() >= PATH_MAX) return false;
    for (int i = 0; i < MaxFiles; i++) {
        if (FileInUse[i]) continue;
        std::memcpy(FilePaths[i], path.c_str(), path.size() + 1);
        FileGoesLast[i] = last ? 1 : 0;
        FileInUse[i] = 1;
        return true;
    }
    return false;
}

void ForgetLeftoverFile(const std::string& path) {
    for (int i = 0; i < MaxFiles; i++) {
        if (FileInUse[i] && path == FilePaths[i]) FileInUse[i] = 0;
    }
}

void AddLeftoverProcess(pid_t pid) {
    for (int i = 0; i < MaxProcesses; i++) {
        if (Processes[i] == 0) {
            Processes[i] = pid;
            return;
        }
    }
}

void ForgetLeftoverProcess(pid_t pid) {
    for (int i = 0; i < MaxProcesses; i++) {
        if (Processes[i] == pid) Processes[i] = 0;
    }
}

void RemoveLeftovers() {
    for (int i = 0; i < MaxProcesses; i++) {
        pid_t pid = Processes[i];
        if (pid <= 0) continue;
        kill(-pid, SIGKILL);  // the whole group: whatever the encoder started too
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        Processes[i] = 0;
    }
    for (int last = 0; last < 2; last++) {
        for (int i = 0; i < MaxFiles; i++) {
            if (!FileInUse[i] || FileGoesLast[i] != last) continue;
            unlink(FilePaths[i]);
            FileInUse[i] = 0;
        }
    }
}

void RemoveLeftoversOnSignals() {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Further signals wait while the first one's handler removes the leftovers.
    for (int signalNumber : EndingSignals) sigaddset(&action.sa_mask, signalNumber);
    for (int signalNumber : EndingSignals) sigaction(signalNumber, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}
