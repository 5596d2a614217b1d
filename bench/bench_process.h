// Programs run by the benchmark table: started at a known tick count, their standard output in a
// file, waited for with the CPU time and peak resident size the kernel reports for them.
#ifndef VESKOP_BENCH_PROCESS_H
#define VESKOP_BENCH_PROCESS_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct Launch {
    std::vector<std::string> argv;
    std::string workingDirectory;                                   // empty: ours
    std::vector<std::pair<std::string, std::string>> environment;  // set on top of ours
    std::string outputPath;  // standard output; empty: discarded
    std::string errorsPath;  // standard error; empty: discarded
    // Above 0: it runs under round-robin real-time scheduling at this priority (1 to 99, root
    // only), so that nothing else on the machine gets between two runs that are compared; it
    // is not started (status 126) where that is refused.
    int realTimePriority = 0;
};

struct Finished {
    int status = -1;         // exit code, or 128 + signal; -1 when it could not be started
    bool timedOut = false;   // killed after the time allowed
    double cpuSeconds = 0;   // user and system time of the process and its waited-for children
    long peakResidentKb = 0;
    std::string output;      // what it wrote to outputPath
};

class Process {
public:
    explicit Process(const Launch& launch);
    ~Process();  // kills it if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Milliseconds of CLOCK_BOOTTIME just before the process was made: the show's own clock.
    std::uint32_t launchTick() const { return launchTick_; }
    Finished Wait(double timeoutSeconds);
    // Waits until its standard output holds `text`; false when it ended or the time ran out first.
    bool WaitForOutput(const std::string& text, double timeoutSeconds);

private:
    pid_t pid_ = -1;
    std::uint32_t launchTick_ = 0;
    std::string outputPath_;
};

// Runs a program to its end.
Finished RunProgram(const Launch& launch, double timeoutSeconds);

// The tick count now (CLOCK_BOOTTIME, milliseconds, low 32 bits).
std::uint32_t TickNow();

#endif
