// Child processes for tests: a program started with its own environment, working directory and
// logged standard output and error, waited for with a timeout, and killed if a test forgets it.
#ifndef VESKOP_TEST_CHILD_PROCESS_H
#define VESKOP_TEST_CHILD_PROCESS_H

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

struct ChildOptions {
    std::string workingDirectory;  // empty: the test's own
    std::vector<std::pair<std::string, std::string>> environment;  // set or replaced; the last wins
    std::vector<std::string> unsetEnvironment;                      // removed
    // Standard output and error go to logPrefix + ".stdout" and ".stderr", which are kept. Empty:
    // temporary files, removed with the ChildProcess.
    std::string logPrefix;
    int passDescriptor = -1;  // an open descriptor handed to the child as descriptor 3
    // Standard output is a pipe whose reader has gone, as `| head` leaves it once it has read its
    // lines: every write to it fails. The output log then stays empty.
    bool outputReaderGone = false;
};

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options = {});
    ~ChildProcess();  // Kill()
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    bool Running();
    // True when the child ended within timeoutSeconds; ExitStatus() is valid then.
    bool WaitForExit(double timeoutSeconds);
    // The exit code, or 128 + the signal number when a signal ended it; -1 while it runs.
    int ExitStatus() const { return exitStatus_; }
    void Signal(int signalNumber);
    void Kill();  // SIGKILL to its process group (also after the child itself ended), then reaps it

    // What the child has written so far.
    std::string Output() const;
    std::string Errors() const;
    // Waits until the standard output holds `text`; false on timeout or when the child ended
    // without writing it.
    bool WaitForOutput(const std::string& text, double timeoutSeconds);
    bool WaitForErrors(const std::string& text, double timeoutSeconds);

    const std::string& outputPath() const { return outputPath_; }
    const std::string& errorsPath() const { return errorsPath_; }

private:
    bool WaitForText(const std::string& path, const std::string& text, double timeoutSeconds);
    void Reap(int waitStatus);

    pid_t pid_ = -1;
    bool reaped_ = false;
    int exitStatus_ = -1;
    std::string outputPath_;
    std::string errorsPath_;
    bool removeLogs_ = false;
};

struct CommandResult {
    int status = -1;  // as ChildProcess::ExitStatus
    bool timedOut = false;
    std::string output;
    std::string errors;
};

// Runs a command to its end (killing it after timeoutSeconds).
CommandResult RunCommand(const std::vector<std::string>& argv, const ChildOptions& options = {},
                         double timeoutSeconds = 30.0);

// Seconds on a monotonic clock, for deadlines.
double NowSeconds();
void SleepSeconds(double seconds);

std::string ReadFile(const std::string& path);
// A new empty directory under $TMPDIR (or /tmp), named after `stem`.
std::string MakeTemporaryDirectory(const std::string& stem);

#endif
