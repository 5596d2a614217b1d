#include "capture/progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

const int BarWidth = 30;  // characters
const double RedrawSeconds = 0.1;

std::string Clock(double seconds) {
    long whole = seconds > 0 ? static_cast<long>(seconds + 0.5) : 0;
    char text[32];
    std::snprintf(text, sizeof(text), "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// Time left at the rate so far; unknown before the first frames.
std::string TimeLeft(const Progress& progress, long done) {
    double seconds = ProgressSeconds(progress);
    if (done < 2 || seconds <= 0) return "--:--";
    return Clock(seconds / static_cast<double>(done) * static_cast<double>(progress.total - done));
}

}  // namespace

void StartProgress(Progress* progress, long totalFrames) {
    progress->total = totalFrames;
    progress->terminal = isatty(STDERR_FILENO) == 1;
    progress->lastTenth = 0;
    progress->barShown = false;
    progress->started = std::chrono::steady_clock::now();
    progress->lastDrawn = progress->started;
}

double ProgressSeconds(const Progress& progress) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.started)
        .count();
}

void UpdateProgress(Progress* progress, long done) {
    if (progress->total <= 0) return;
    if (!progress->terminal) {
        long tenth = done * 10 / progress->total;
        if (tenth <= progress->lastTenth) return;
        progress->lastTenth = tenth;
        std::fprintf(stderr, "veskop-capture: %ld/%ld frames, %s left\n", done, progress->total,
                     TimeLeft(*progress, done).c_str());
        return;
    }
    auto now = std::chrono::steady_clock::now();
    bool last = done >= progress->total;
    if (!last && std::chrono::duration<double>(now - progress->lastDrawn).count() < RedrawSeconds) {
        return;
    }
    progress->lastDrawn = now;
    int filled = static_cast<int>(done * BarWidth / progress->total);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(BarWidth - filled), '.');
    std::fprintf(stderr, "\r[%s] %ld/%ld frames, %s left ", bar.c_str(), done, progress->total,
                 TimeLeft(*progress, done).c_str());
    std::fflush(stderr);
    progress->barShown = true;
}

void EndProgress(Progress* progress) {
    if (progress->barShown) std::fputc('\n', stderr);
    progress->barShown = false;
}
