// Fake display-mode change and cursor counter.
#include "fake_state.h"

using namespace fakewin32;

namespace {

std::string Mode(const DEVMODEA* mode) {
    if (mode == nullptr) return "null";
    return "{size " + std::to_string(mode->dmSize) + ", " + std::to_string(mode->dmPelsWidth) + "x" +
           std::to_string(mode->dmPelsHeight) + "x" + std::to_string(mode->dmBitsPerPel) +
           ", fields " + Hex(mode->dmFields) + "}";
}

}  // namespace

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    CallSlot slot = BeginCall("ChangeDisplaySettingsA", {Mode(mode), Hex(flags)});
    State& state = TheState();
    if (mode != nullptr) state.requestedModes.push_back(*mode);
    if (slot.fail) return DISP_CHANGE_BADMODE;
    // A mode given switches the display; none (with flags 0) goes back to the registry's mode.
    state.displayModeChanged = mode != nullptr;
    return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
    CallSlot slot = BeginCall("ShowCursor", {Flag(show)});
    State& state = TheState();
    if (!slot.fail) state.cursorCounter += show ? 1 : -1;
    return state.cursorCounter;
}

namespace fakewin32 {

bool DisplayModeChanged() { return TheState().displayModeChanged; }
int CursorCounter() { return TheState().cursorCounter; }

}  // namespace fakewin32
