// There is no keyboard and nobody to close a window: the one event is that a new window covers
// the display, whatever size it was made with. It hears so at the program's first look at its
// messages, after its rendering context is current, so the program sets its viewport to the
// capture's size before the first frame.
#include "capture_backend.h"

void BackendPumpEvents() {
    CaptureState& capture = Capture();
    for (auto& surface : capture.surfaces) {
        if (surface->sizeReported) continue;
        surface->sizeReported = true;
        CoreReportSize(surface->window, capture.settings.width, capture.settings.height, false);
    }
}
