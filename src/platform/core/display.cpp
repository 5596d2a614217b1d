// Display modes, the cursor's display counter, message boxes and the tick count: the set's, with
// the Win32 meaning of their arguments and results kept here.
#include "core.h"

#include <cstddef>
#include <cstdio>

extern "C" {

// A CDS_FULLSCREEN change is checked against the modes the display offers and remembered; a
// popup window that covers exactly that mode then shows in it, until the mode is restored, the
// window is destroyed or the process exits.
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) {
    CoreState& core = Core();
    if (mode == nullptr) {  // back to the desktop mode
        core.modeChanged = false;
        BackendLeaveMode();
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!BackendOpenDisplay()) return DISP_CHANGE_FAILED;
    // The program names the size and the depth; 24 and 32 bits per pixel are the same true-colour
    // modes (32 counts the padding byte).
    const DWORD named = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    if (mode->dmSize < offsetof(DEVMODEA, dmPelsHeight) + sizeof(DWORD) ||
        (mode->dmFields & named) != named || (mode->dmBitsPerPel != 24 && mode->dmBitsPerPel != 32)) {
        return DISP_CHANGE_BADMODE;
    }
    const int width = static_cast<int>(mode->dmPelsWidth);
    const int height = static_cast<int>(mode->dmPelsHeight);
    if (!BackendEnterMode(width, height)) return DISP_CHANGE_BADMODE;
    core.modeChanged = true;
    core.modeWidth = width;
    core.modeHeight = height;
    return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
    CoreState& core = Core();
    core.cursorCounter += show ? 1 : -1;
    BackendShowCursor(core.cursorCounter >= 0);
    return core.cursorCounter;
}

// The program's boxes have no owner window. The caption and the text also go to standard error,
// so that a user at a terminal, or a log, reads them too.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "Error";  // Windows' caption for a box without one
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    return BackendMessageBox(text, caption, type);
}

DWORD WINAPI GetTickCount(void) { return BackendTickCount(); }

}  // extern "C"
