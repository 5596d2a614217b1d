// The capture's display: always there, it takes every mode it is asked for (whatever the program
// asks, the frames come out at the capture's own size), and it draws no cursor.
#include "capture_backend.h"

CaptureState& Capture() {
    static CaptureState capture;
    return capture;
}

void ConfigureCapture(const CaptureSettings& settings) { Capture().settings = settings; }

bool BackendOpenDisplay() { return true; }

bool BackendEnterMode(int, int) { return true; }

void BackendLeaveMode() {}

void BackendShowCursor(bool) {}
