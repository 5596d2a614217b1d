// Standard output sent somewhere else for a while: a file, a pipe or a terminal, as the show's
// standard output may be. A pipe and a terminal are drained by a thread, as a reader would.
#ifndef VESKOP_BENCH_OUTPUT_H
#define VESKOP_BENCH_OUTPUT_H

#include <string>
#include <thread>

enum class OutputKind { File, Pipe, Terminal };
const char* OutputKindName(OutputKind kind);
// "file", "pipe" or "terminal"; false for anything else.
bool ParseOutputKind(const std::string& name, OutputKind* kind);

class RedirectedOutput {
public:
    // Flushes standard output, then points descriptor 1 at a new file (removed again), pipe or
    // pseudo-terminal.
    explicit RedirectedOutput(OutputKind kind);
    ~RedirectedOutput();  // flushes, and puts the old standard output back
    RedirectedOutput(const RedirectedOutput&) = delete;
    RedirectedOutput& operator=(const RedirectedOutput&) = delete;

    bool ok() const { return saved_ >= 0; }
    long long bytesDrained() const { return drained_; }  // pipe and terminal only

private:
    int saved_ = -1;   // the old descriptor 1
    int reader_ = -1;  // the end the thread drains
    std::thread drain_;
    long long drained_ = 0;
};

#endif
