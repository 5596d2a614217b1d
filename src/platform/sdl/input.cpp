// Input: SDL's events reported to the core, the keys the program reads, and the process's close
// signals.
//
// Of the keyboard, the program acts on Escape and F1 to F3, and the default window procedure on
// Alt+F4; F10 and keys held with Alt are system keys, which the program must not take for its
// own. So only Escape and the function keys become key messages, with Alt and Ctrl as they were
// held. Nothing else is posted (no mouse messages).
#include "sdl_backend.h"

#include <signal.h>
#include <time.h>

#include <cstdint>

namespace {

volatile sig_atomic_t CloseSignalled = 0;  // the number of the last close signal not yet taken
// A fullscreen mode change may be in effect: set when one is asked for, cleared when the desktop
// mode is back. Read by the signal handler, so a plain flag of its own.
volatile sig_atomic_t DisplayModeAway = 0;
// A message box waits for the user: the program's own loop, which takes close requests, does
// not run meanwhile.
volatile sig_atomic_t MessageBoxShowing = 0;

void EndAsSignalled(int signalNumber) {
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

// SIGINT, SIGTERM and SIGHUP (the terminal that started the program is gone) ask the program to
// close, like the close box, however many arrive while a fullscreen mode is set: the program's
// teardown, or the exit-time clean-up, then gives the display back its desktop mode, which a
// process killed by a signal would leave changed. With the desktop mode on, nothing is left to
// restore: a signal the program cannot take now (it waits in a message box), or a second one
// before it took the first, ends it the default way, as the sender asked.
void OnCloseSignal(int signalNumber) {
    if (!DisplayModeAway && (MessageBoxShowing || CloseSignalled)) {
        EndAsSignalled(signalNumber);
        return;
    }
    CloseSignalled = signalNumber;
}

const BYTE VirtualKeyEscape = 0x1B;
const BYTE VirtualKeyF1 = 0x70;

BYTE VirtualKeyOf(SDL_Scancode scancode) {
    if (scancode == SDL_SCANCODE_ESCAPE) return VirtualKeyEscape;
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        return static_cast<BYTE>(VirtualKeyF1 + (scancode - SDL_SCANCODE_F1));
    }
    return 0;
}

HWND WindowOf(Uint32 sdlId) {
    for (auto& surface : Sdl().surfaces) {
        if (sdlId != 0 && surface->sdlId == sdlId) return surface->window;
    }
    return nullptr;
}

void ReportKey(const SDL_KeyboardEvent& event) {
    HWND window = WindowOf(event.windowID);
    // A key SDL saw with no window focused goes to the window raised last, which has the keyboard.
    if (window == nullptr && event.windowID == 0 && Sdl().raised != nullptr) {
        window = Sdl().raised->window;
    }
    const Uint16 modifiers = event.keysym.mod;
    CoreReportKey(window, VirtualKeyOf(event.keysym.scancode), event.type == SDL_KEYDOWN,
                  event.repeat != 0, (modifiers & KMOD_ALT) != 0, (modifiers & KMOD_CTRL) != 0);
}

void ReportWindowEvent(const SDL_WindowEvent& event) {
    HWND window = WindowOf(event.windowID);
    if (window == nullptr) return;  // a window that is gone, or a probe
    int width = 0, height = 0;
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        SDL_Window* sdl = SDL_GetWindowFromID(event.windowID);
        bool maximised = sdl != nullptr && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MAXIMIZED) != 0;
        CoreReportSize(window, event.data1, event.data2, maximised);
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        CoreReportMinimised(window);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        SDL_GetWindowSize(SDL_GetWindowFromID(event.windowID), &width, &height);
        CoreReportRestored(window, width, height);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST:
        CoreReportFocus(window, event.event == SDL_WINDOWEVENT_FOCUS_GAINED);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        CoreReportCloseBox(window);
        break;
    }
}

// Asking the display connection for new events costs a few system calls that find nothing when
// nothing came, and the main loop peeks once per frame, so the display is asked at most once per
// interval; events SDL already holds (those it queued itself, or that were pushed) are taken at
// every call. 2 ms is far below a frame of any display, and below what a key press can be felt in.
const std::int64_t DisplayPollIntervalNs = 2000000;
std::int64_t LastDisplayPollNs = -DisplayPollIntervalNs;

bool DisplayPollDue() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t ns = std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    if (ns - LastDisplayPollNs < DisplayPollIntervalNs) return false;
    LastDisplayPollNs = ns;
    return true;
}

}  // namespace

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

void NoteMessageBoxShowing(bool showing) {
    MessageBoxShowing = showing ? 1 : 0;
    // A close request that came just before the box, with nothing to restore, is taken now.
    if (showing && CloseSignalled && !DisplayModeAway) EndAsSignalled(CloseSignalled);
}

void BackendPumpEvents() {
    if (Sdl().videoReady) {
        if (DisplayPollDue()) SDL_PumpEvents();
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
            switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                ReportKey(event.key);
                break;
            case SDL_WINDOWEVENT:
                ReportWindowEvent(event.window);
                break;
            case SDL_QUIT:
                CoreCloseAllWindows();
                break;
            }
        }
    }
    if (CloseSignalled) {
        CloseSignalled = 0;
        CoreCloseAllWindows();
    }
}
