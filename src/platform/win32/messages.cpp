// The thread's message queue over SDL's events.
//
// As on Windows, input is posted and notifications are sent: key events become queued
// WM_KEYDOWN/WM_KEYUP/WM_SYSKEYDOWN/WM_SYSKEYUP messages that PeekMessageA returns, while size,
// activation and close events go straight to the window procedure from inside PeekMessageA, the
// way Windows delivers sent messages there. Nothing else is posted (no mouse messages), so the
// message PeekMessageA returned last is always a key, a character or WM_QUIT.
#include "sdl_state.h"

#include <time.h>

#include <cstdint>
#include <vector>

namespace {

const WPARAM VirtualKeyF10 = 0x79;
const WPARAM VirtualKeyMenu = 0x12;  // Alt
const WPARAM SizeRestored = 0;       // WM_SIZE's wParam
const WPARAM SizeMinimized = 1;
const WPARAM SizeMaximized = 2;

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

// Sends WM_ACTIVATE when the active or the minimised state changes.
void UpdateActivation(HWND__* window, bool active, bool minimised) {
    if (window->active == active && window->minimised == minimised) return;
    window->active = active;
    window->minimised = minimised;
    SendToWindow(window, WM_ACTIVATE, PackActivation(active, minimised), 0);
}

void ReportSize(HWND__* window) {
    WPARAM kind = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MAXIMIZED) ? SizeMaximized
                                                                          : SizeRestored;
    SendToWindow(window, WM_SIZE, kind, PackSize(window->clientWidth, window->clientHeight));
}

void Restore(HWND__* window) {
    if (!window->minimised) return;
    UpdateActivation(window, true, false);
    if (FindWindowRecord(window) == nullptr) return;
    SDL_GetWindowSize(window->sdl, &window->clientWidth, &window->clientHeight);
    ReportSize(window);
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    HWND__* window = FindWindowBySdlId(event.windowID);
    if (window == nullptr) return;  // a window that is gone, or a probe
    switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (window->minimised) break;
        if (event.data1 == window->clientWidth && event.data2 == window->clientHeight) break;
        window->clientWidth = event.data1;
        window->clientHeight = event.data2;
        ReportSize(window);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (window->minimised) break;
        UpdateActivation(window, false, true);
        if (FindWindowRecord(window) != nullptr) SendToWindow(window, WM_SIZE, SizeMinimized, 0);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        Restore(window);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        UpdateActivation(window, true, window->minimised);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        UpdateActivation(window, false, window->minimised);
        break;
    case SDL_WINDOWEVENT_CLOSE:  // the close box: the system command that DefWindowProcA closes on
        SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

void TranslateKeyEvent(const SDL_KeyboardEvent& event) {
    HWND__* window = FindWindowBySdlId(event.windowID);
    if (window == nullptr && event.windowID == 0) window = FindWindowRecord(State().focus);
    if (window == nullptr) return;
    BYTE virtualKey = VirtualKeyOf(event.keysym);
    if (virtualKey == 0) return;

    bool down = event.type == SDL_KEYDOWN;
    Uint16 modifiers = event.keysym.mod;
    bool alt = (modifiers & KMOD_ALT) != 0;
    bool control = (modifiers & KMOD_CTRL) != 0;
    // F10, Alt itself and keys pressed while Alt (without Ctrl) is held are system keys.
    bool system = virtualKey == VirtualKeyF10 || virtualKey == VirtualKeyMenu || (alt && !control);
    LPARAM lParam = KeyRepeatOnce;
    if (alt) lParam |= KeyAltContext;
    if (!down || event.repeat) lParam |= KeyWasDown;
    if (!down) lParam |= KeyReleasing;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    PostToQueue(window, message, virtualKey, lParam, modifiers);
}

// SIGINT, SIGTERM or SDL's own quit: close every window, as its close box would.
void CloseAllWindows() {
    StandInState& state = State();
    if (state.windows.empty()) {
        PostQuitMessage(0);
        return;
    }
    std::vector<HWND__*> windows;
    for (auto& window : state.windows) windows.push_back(window.get());
    for (HWND__* window : windows) SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0);
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

void PumpEvents() {
    if (State().videoReady) {
        if (DisplayPollDue()) SDL_PumpEvents();
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
            switch (event.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                TranslateKeyEvent(event.key);
                break;
            case SDL_WINDOWEVENT:
                TranslateWindowEvent(event.window);
                break;
            case SDL_QUIT:
                CloseAllWindows();
                break;
            }
        }
    }
    if (TakeCloseRequest()) CloseAllWindows();
}

bool InRange(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

}  // namespace

extern "C" {

BOOL WINAPI PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeFlags) {
    if (message == nullptr) return FALSE;
    PumpEvents();
    StandInState& state = State();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    for (auto it = state.queue.begin(); it != state.queue.end(); ++it) {
        if (window != nullptr && it->msg.hwnd != window) continue;
        if (!InRange(it->msg.message, filterMin, filterMax)) continue;
        *message = it->msg;
        if (remove) {
            // The key state follows the messages retrieved, as GetKeyState does on Windows.
            if (IsKeyMessage(it->msg.message)) state.keyModifiers = it->modifiers;
            state.queue.erase(it);
        }
        return TRUE;
    }
    // WM_QUIT comes when nothing else is pending, and only to a peek for the thread's messages.
    if (state.quitPending && window == nullptr && InRange(WM_QUIT, filterMin, filterMax)) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(state.quitCode);
        message->time = GetTickCount();
        if (remove) state.quitPending = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* message) {
    if (message == nullptr || !IsKeyMessage(message->message)) return FALSE;
    // Only a plain key-down types; Alt+key would be WM_SYSCHAR, which nothing here reads.
    if (message->message != WM_KEYDOWN || message->wParam > 0xff) return TRUE;
    HWND__* window = FindWindowRecord(message->hwnd);
    char typed = TypedCharacter(static_cast<BYTE>(message->wParam), State().keyModifiers);
    if (window != nullptr && typed != 0) {
        // Read next, before any later key message.
        PostToQueue(window, WM_CHAR, static_cast<BYTE>(typed), message->lParam,
                    State().keyModifiers, true);
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (message == nullptr) return 0;
    HWND__* window = FindWindowRecord(message->hwnd);
    if (window == nullptr) return 0;  // thread messages and messages of windows that are gone
    return SendToWindow(window, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    StandInState& state = State();
    state.quitPending = true;
    state.quitCode = exitCode;
}

}  // extern "C"
