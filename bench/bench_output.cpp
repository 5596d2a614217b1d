#include "bench_output.h"

#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

const char* OutputKindName(OutputKind kind) {
    switch (kind) {
    case OutputKind::File:
        return "file";
    case OutputKind::Pipe:
        return "pipe";
    case OutputKind::Terminal:
        return "terminal";
    }
    return "?";
}

bool ParseOutputKind(const std::string& name, OutputKind* kind) {
    for (OutputKind candidate : {OutputKind::File, OutputKind::Pipe, OutputKind::Terminal}) {
        if (name == OutputKindName(candidate)) {
            *kind = candidate;
            return true;
        }
    }
    return false;
}

RedirectedOutput::RedirectedOutput(OutputKind kind) {
    std::fflush(stdout);
    int writer = -1;
    if (kind == OutputKind::File) {
        const char* folder = getenv("TMPDIR");
        std::string path = std::string(folder != nullptr && folder[0] ? folder : "/tmp") +
                           "/veskop-bench-XXXXXX";
        writer = mkstemp(&path[0]);
        if (writer >= 0) unlink(path.c_str());
    } else if (kind == OutputKind::Pipe) {
        int ends[2];
        if (pipe(ends) == 0) {
            reader_ = ends[0];
            writer = ends[1];
        }
    } else {
        int master = -1;
        if (openpty(&master, &writer, nullptr, nullptr, nullptr) == 0) reader_ = master;
    }
    if (writer < 0) return;
    saved_ = dup(1);
    dup2(writer, 1);
    close(writer);
    if (reader_ >= 0) {
        drain_ = std::thread([this] {
            char buffer[4096];
            ssize_t got;
            while ((got = read(reader_, buffer, sizeof buffer)) > 0) drained_ += got;
        });
    }
}

RedirectedOutput::~RedirectedOutput() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, 1);  // the last writer end closes: the reader sees the end (EIO on a terminal)
    close(saved_);
    if (drain_.joinable()) drain_.join();
    if (reader_ >= 0) close(reader_);
}
