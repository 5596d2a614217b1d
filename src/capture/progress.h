// How far a capture has got, on standard error: on a terminal a bar redrawn in place (frames
// done, the total, the time left), otherwise a plain line at every tenth of the frames.
#ifndef VESKOP_CAPTURE_PROGRESS_H
#define VESKOP_CAPTURE_PROGRESS_H

#include <chrono>

struct Progress {
    long total = 0;                // frames
    bool terminal = false;         // standard error is a terminal
    bool barShown = false;         // terminal: the bar is on the current line
    long lastTenth = 0;            // plain lines: the last tenth reported
    std::chrono::steady_clock::time_point started;   // at the first frame
    std::chrono::steady_clock::time_point lastDrawn;  // terminal: the bar's last redraw
};

void StartProgress(Progress* progress, long totalFrames);
// After each frame; `done` counts from 1.
void UpdateProgress(Progress* progress, long done);
// Ends the bar's line on a terminal, so that what follows starts on a line of its own.
void EndProgress(Progress* progress);
// Seconds since the first frame.
double ProgressSeconds(const Progress& progress);

#endif
