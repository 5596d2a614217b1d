// The display: SDL's video started once, the fullscreen mode, the cursor, a display connection
// that breaks, and the exit-time clean-up that gives the display back its desktop mode.
//
// A mode BackendEnterMode finds is only remembered; the switch itself happens when a fullscreen
// surface is shown (SDL's exclusive fullscreen), and ends when the mode is left, the surface is
// destroyed or the process exits. SDL switches back to the mode the display had when the
// program started, so when that is already the mode asked for (another show holds the display in
// it, say) nothing is switched: a fullscreen surface then covers the display as it is, and the
// program leaves the mode to whoever set it, as the other show's end puts back its own desktop
// mode. Whichever of two shows ends last, the display ends in the mode it had before the first.
#include "sdl_backend.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The X server went away (it ended, or the session closed): nothing can be drawn or asked any
// more. Xlib's own handler exits from inside the failing call, and the exit-time clean-up would
// then wait forever for answers on the dead connection; this one marks the display lost first,
// so that the clean-up leaves it alone. Must not return: Xlib exits when it does.
bool DisplayLost = false;
bool ReleasingDisplay = false;

int OnDisplayLost(Display*) {
    if (DisplayLost || ReleasingDisplay) _exit(1);  // lost again while exiting: no second exit
    DisplayLost = true;
    std::fputs("Display lost: the connection to the X server is broken\n", stderr);
    std::exit(1);
}

// Runs at every normal process exit, also the exits that skip the program's teardown (the end of
// the show): destroying the SDL windows gives the display back the mode it had before a
// fullscreen window changed it. Only video is shut down; the sound player closes its own SDL
// audio later, from its exit-time destructor.
void ReleaseDisplayAtExit() {
    SdlState& sdl = Sdl();
    if (!sdl.videoReady) return;
    ReleasingDisplay = true;
    sdl.videoReady = false;
    if (DisplayLost) return;  // the server and its modes are gone with it
    SDL_GL_MakeCurrent(nullptr, nullptr);
    for (auto& context : sdl.contexts) {
        SDL_GL_DeleteContext(context->sdl);
        context->sdl = nullptr;
    }
    for (auto& surface : sdl.surfaces) {
        if (surface->sdl != nullptr) SDL_DestroyWindow(surface->sdl);
        surface->sdl = nullptr;
        surface->sdlId = 0;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    NoteDisplayModeChanged(false);
}

}  // namespace

SdlState& Sdl() {
    static SdlState sdl;
    return sdl;
}

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

bool BackendOpenDisplay() {
    SdlState& sdl = Sdl();
    if (sdl.videoTried) return sdl.videoReady;
    sdl.videoTried = true;
    InstallSignalHandling();
    // A driver asked for by name is taken as it is; otherwise only one that shows a window on
    // the user's screen will do, not SDL's invisible offscreen or dummy ones.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    bool driverAsked = asked != nullptr && asked[0] != '\0';
    if (!driverAsked && !HasDisplay()) {
        std::fprintf(stderr, "No display: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
        return false;
    }
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Closing the last window is the program's business (WM_CLOSE), not a quit of SDL's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A fullscreen window that loses the focus to another program stays as it is, in its mode,
    // and goes on drawing, as on Windows; SDL would minimise it and switch the mode back.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "No display: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driverAsked && driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr, "No display: SDL found only its %s video driver\n", driver);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(OnDisplayLost);
    SDL_StopTextInput();  // keys only; no input method
    SDL_ShowCursor(sdl.cursorShown ? SDL_ENABLE : SDL_DISABLE);
    std::atexit(ReleaseDisplayAtExit);
    sdl.videoReady = true;
    return true;
}

bool BackendEnterMode(int width, int height) {
    SdlState& sdl = Sdl();
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w == width && desktop.h == height &&
        SDL_BITSPERPIXEL(desktop.format) >= 24) {
        sdl.mode = desktop;
        sdl.fullscreenKind = SDL_WINDOW_FULLSCREEN_DESKTOP;
        return true;
    }
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; i++) {  // SDL lists the highest refresh rate first
        SDL_DisplayMode offered;
        if (SDL_GetDisplayMode(0, i, &offered) != 0) continue;
        if (offered.w == width && offered.h == height && SDL_BITSPERPIXEL(offered.format) >= 24) {
            sdl.mode = offered;
            sdl.fullscreenKind = SDL_WINDOW_FULLSCREEN;
            NoteDisplayModeChanged(true);
            return true;
        }
    }
    return false;
}

void BackendLeaveMode() {
    NoteDisplayModeChanged(false);
    for (auto& surface : Sdl().surfaces) {
        if (!surface->shape.fullscreen) continue;
        surface->shape.fullscreen = false;
        if (surface->sdl != nullptr) SDL_SetWindowFullscreen(surface->sdl, 0);
    }
}

void BackendShowCursor(bool shown) {
    SdlState& sdl = Sdl();
    sdl.cursorShown = shown;
    if (sdl.videoReady) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}
