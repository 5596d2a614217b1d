// The capture's display takes every mode it is asked for: whatever the program asks, the frames
// come out at the capture's own size. The cursor is never drawn; only its counter is kept.
#include "capture_state.h"

extern "C" {

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA*, DWORD) { return DISP_CHANGE_SUCCESSFUL; }

int WINAPI ShowCursor(BOOL show) {
    CaptureState& state = State();
    state.cursorCounter += show ? 1 : -1;
    return state.cursorCounter;
}

}  // extern "C"
