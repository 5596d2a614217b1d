// One capture of the show: the files it writes, what happens at each frame the show presents,
// and the end. The show itself runs unchanged inside WinMain and ends the process when it is
// over; the capture finishes its files in an exit-time handler then.
#ifndef VESKOP_CAPTURE_SESSION_H
#define VESKOP_CAPTURE_SESSION_H

#include "capture/capture_options.h"

// The show's length: its last frame is the one drawn 55000 ms after time zero.
const long ShowLastMs = 55000;
// The tick count at time zero: a machine that has been up for an hour, as the show's mesh drift
// expects of a machine freshly started.
const unsigned long CaptureStartTick = 3600000;

// Frames of the show at framesPerSecond: those whose time, frame * 1000 / framesPerSecond ms
// rounded down, is at most ShowLastMs.
long ShowFrameCount(int framesPerSecond);

// Checks the outputs can be written and the encoder is there, creates the temporary files beside
// the outputs, starts the video encoder and sets up the capture's platform, its exit-time
// handler and its signal handlers. False, after saying why on standard error and removing what
// it made, when the capture cannot run.
bool StartCaptureSession(const CaptureOptions& options);

#endif
