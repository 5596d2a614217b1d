// Display modes and the cursor's display counter.
//
// A CDS_FULLSCREEN change is checked against the modes the display offers and remembered; the
// switch itself happens when a popup window covering exactly that mode is shown (SDL's exclusive
// fullscreen), and ends when the mode is restored, the window is destroyed or the process exits.
#include "sdl_state.h"

#include <cstddef>

extern "C" {

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) {
    StandInState& state = State();
    if (mode == nullptr) {  // back to the desktop mode
        state.modeChanged = false;
        NoteDisplayModeChanged(false);
        for (auto& window : state.windows) {
            if (!window->fullscreen) continue;
            window->fullscreen = false;
            if (window->sdl != nullptr) SDL_SetWindowFullscreen(window->sdl, 0);
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!EnsureVideo()) return DISP_CHANGE_FAILED;
    if (mode->dmSize < offsetof(DEVMODEA, dmPelsHeight) + sizeof(DWORD)) return DISP_CHANGE_BADMODE;

    // A field that is not named keeps the desktop's value, as on Windows.
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return DISP_CHANGE_FAILED;
    DWORD width = (mode->dmFields & DM_PELSWIDTH) ? mode->dmPelsWidth : DWORD(desktop.w);
    DWORD height = (mode->dmFields & DM_PELSHEIGHT) ? mode->dmPelsHeight : DWORD(desktop.h);
    DWORD bits = (mode->dmFields & DM_BITSPERPEL) ? mode->dmBitsPerPel : 32;
    // 24 and 32 bits per pixel are the same true-colour modes (32 counts the padding byte).
    if (bits != 24 && bits != 32) return DISP_CHANGE_BADMODE;

    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; i++) {  // SDL lists the highest refresh rate first
        SDL_DisplayMode offered;
        if (SDL_GetDisplayMode(0, i, &offered) != 0) continue;
        if (DWORD(offered.w) == width && DWORD(offered.h) == height &&
            SDL_BITSPERPIXEL(offered.format) >= 24) {
            state.mode = offered;
            state.modeChanged = true;
            NoteDisplayModeChanged(true);
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}

int WINAPI ShowCursor(BOOL show) {
    StandInState& state = State();
    state.cursorCounter += show ? 1 : -1;
    if (state.videoReady) SDL_ShowCursor(state.cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return state.cursorCounter;
}

}  // extern "C"
