// The stand-in's shared state, SDL video start-up, the exit-time clean-up and the close signals.
#include "sdl_state.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

volatile sig_atomic_t CloseSignalled = 0;
// A fullscreen mode change may be in effect: set when one is asked for, cleared when the desktop
// mode is back. Read by the signal handler, so a plain flag of its own, not the shared state.
volatile sig_atomic_t DisplayModeAway = 0;

// SIGINT, SIGTERM and SIGHUP (the terminal that started the program is gone) ask the program to
// close, like the close box, however many arrive while a fullscreen mode is set: the program's
// teardown, or the exit-time clean-up, then gives the display back its desktop mode, which a
// process killed by a signal would leave changed. With the desktop mode on, a second signal
// before the program has taken the first (it waits in a message box, say) ends it the default
// way: nothing is left to restore then.
void OnCloseSignal(int signalNumber) {
    if (CloseSignalled && !DisplayModeAway) {
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
        return;
    }
    CloseSignalled = 1;
}

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
// the show, a failed image load): destroying the SDL windows gives the display back the mode it
// had before a fullscreen window changed it. Only video is shut down; the sound player closes its
// own SDL audio later, from its exit-time destructor.
void ReleaseDisplayAtExit() {
    StandInState& state = State();
    if (!state.videoReady) return;
    ReleasingDisplay = true;
    if (DisplayLost) {  // the server and its modes are gone with it
        state.videoReady = false;
        state.shutDown = true;
        return;
    }
    SDL_GL_MakeCurrent(nullptr, nullptr);
    state.currentContext = nullptr;
    state.currentDC = nullptr;
    for (auto& context : state.contexts) {
        SDL_GL_DeleteContext(context->sdl);
        context->sdl = nullptr;
    }
    for (auto& window : state.windows) {
        if (window->sdl != nullptr) SDL_DestroyWindow(window->sdl);
        window->sdl = nullptr;
        window->sdlId = 0;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    DisplayModeAway = 0;
    state.videoReady = false;
    state.shutDown = true;
}

}  // namespace

StandInState& State() {
    static StandInState state;
    return state;
}

void InstallSignalHandling() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action = {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A reader of standard output that goes away (veskop | head) must not end the show: writes
    // to the closed pipe then fail quietly instead of killing the process.
    signal(SIGPIPE, SIG_IGN);
}

void NoteDisplayModeChanged(bool changed) { DisplayModeAway = changed ? 1 : 0; }

bool TakeCloseRequest() {
    if (!CloseSignalled) return false;
    CloseSignalled = 0;
    return true;
}

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

bool EnsureVideo() {
    StandInState& state = State();
    if (state.videoTried) return state.videoReady;
    state.videoTried = true;
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
    // Characters come from TranslateMessage, as on Windows, not from an input method.
    SDL_StopTextInput();
    SDL_ShowCursor(state.cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    std::atexit(ReleaseDisplayAtExit);
    state.videoReady = true;
    return true;
}

HWND__* FindWindowRecord(HWND window) {
    if (window == nullptr) return nullptr;
    for (auto& record : State().windows) {
        if (record.get() == window) return record.get();
    }
    return nullptr;
}

HWND__* FindWindowBySdlId(Uint32 sdlId) {
    if (sdlId == 0) return nullptr;
    for (auto& record : State().windows) {
        if (record->sdlId == sdlId) return record.get();
    }
    return nullptr;
}

HDC__* FindDeviceContext(HDC dc) {
    if (dc == nullptr) return nullptr;
    for (auto& record : State().windows) {
        if (&record->dc == dc) return &record->dc;
    }
    return nullptr;
}

HGLRC__* FindContextRecord(HGLRC context) {
    if (context == nullptr) return nullptr;
    for (auto& record : State().contexts) {
        if (record.get() == context) return record.get();
    }
    return nullptr;
}

WindowClassRecord* FindClass(LPCSTR className, HINSTANCE instance) {
    if (className == nullptr) return nullptr;
    // A name below 0x10000 is an atom (MAKEINTATOM), not a pointer to text.
    bool byAtom = reinterpret_cast<uintptr_t>(className) < 0x10000;
    for (auto& record : State().classes) {
        if (record->instance != instance) continue;
        if (byAtom ? record->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(className))
                   : strcasecmp(record->name.c_str(), className) == 0) {
            return record.get();
        }
    }
    return nullptr;
}

LRESULT SendToWindow(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (FindWindowRecord(window) == nullptr) return 0;
    return window->windowClass->value.lpfnWndProc(window, message, wParam, lParam);
}

void PostToQueue(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 modifiers,
                 bool front) {
    PostedMessage posted = {};
    posted.msg.hwnd = window;
    posted.msg.message = message;
    posted.msg.wParam = wParam;
    posted.msg.lParam = lParam;
    posted.msg.time = GetTickCount();
    posted.modifiers = modifiers;
    if (front) {
        State().queue.push_front(posted);
    } else {
        State().queue.push_back(posted);
    }
}

void DropQueuedMessages(HWND__* window) {
    auto& queue = State().queue;
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->msg.hwnd == window ? queue.erase(it) : it + 1;
    }
}

FrameMetrics FrameOf(DWORD style, bool menu) {
    // Windows 10 at 96 dpi: an 8-pixel sizing frame, or a 3-pixel fixed one under a caption, and a
    // 23-pixel caption bar (19 more for a menu bar).
    const DWORD captionBits = WS_CAPTION;
    int border = 0;
    if (style & WS_THICKFRAME) {
        border = 8;
    } else if (style & captionBits) {
        border = 3;
    }
    int top = border;
    if ((style & captionBits) == captionBits) top += 23;
    if (menu) top += 19;
    return FrameMetrics{border, top, border, border};
}
