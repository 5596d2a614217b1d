// The thread's message queue, and the events a platform set reports into it.
//
// As on Windows, input is posted and notifications are sent: key events become queued
// WM_KEYDOWN/WM_KEYUP/WM_SYSKEYDOWN/WM_SYSKEYUP messages that PeekMessageA returns in the order
// they came, while size, activation and close events go straight to the window procedure from
// inside PeekMessageA, the way Windows delivers sent messages there. WM_QUIT comes when nothing
// else is pending.
#include "core.h"

#include <vector>

namespace {

const WPARAM VirtualKeyF10 = 0x79;
const WPARAM VirtualKeyMenu = 0x12;  // Alt

// Bits of a key message's lParam.
const LPARAM KeyRepeatOnce = 1;                      // repeat count, bits 0-15
const LPARAM KeyAltContext = LPARAM(1) << 29;        // Alt is held
const LPARAM KeyWasDown = LPARAM(1) << 30;           // down before: a repeat, or a release
const LPARAM KeyReleasing = LPARAM(DWORD(1) << 31);  // the key goes up

// WM_ACTIVATE's wParam: WA_ACTIVE (1) or WA_INACTIVE (0), and the minimised flag in the high word.
WPARAM PackActivation(bool active, bool minimised) {
    return (minimised ? WPARAM(1) << 16 : 0) | (active ? 1 : 0);
}

void Post(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG posted = {};
    posted.hwnd = window;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = GetTickCount();
    Core().queue.push_back(posted);
}

}  // namespace

CoreState& Core() {
    static CoreState core;
    return core;
}

HWND__* FindWindowRecord(HWND window) {
    if (window == nullptr) return nullptr;
    for (auto& record : Core().windows) {
        if (record.get() == window) return record.get();
    }
    return nullptr;
}

HDC__* FindDeviceContext(HDC dc) {
    if (dc == nullptr) return nullptr;
    for (auto& record : Core().windows) {
        if (&record->dc == dc) return &record->dc;
    }
    return nullptr;
}

HGLRC__* FindContextRecord(HGLRC context) {
    if (context == nullptr) return nullptr;
    for (auto& record : Core().contexts) {
        if (record.get() == context) return record.get();
    }
    return nullptr;
}

LRESULT SendToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return 0;
    return window->windowClass->procedure(window, message, wParam, lParam);
}

void SetActivation(HWND__* window, bool active, bool minimised) {
    if (window->active == active && window->minimised == minimised) return;
    window->active = active;
    window->minimised = minimised;
    SendToWindow(window, WM_ACTIVATE, PackActivation(active, minimised), 0);
}

void DropQueuedMessages(HWND__* window) {
    auto& queue = Core().queue;
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->hwnd == window ? queue.erase(it) : it + 1;
    }
}

void CoreReportKey(HWND handle, BYTE virtualKey, bool down, bool repeat, bool alt, bool control) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr || virtualKey == 0) return;
    bool system = virtualKey == VirtualKeyF10 || virtualKey == VirtualKeyMenu || (alt && !control);
    LPARAM lParam = KeyRepeatOnce;
    if (alt) lParam |= KeyAltContext;
    if (!down || repeat) lParam |= KeyWasDown;
    if (!down) lParam |= KeyReleasing;
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    Post(window, message, virtualKey, lParam);
}

void CoreReportSize(HWND handle, int width, int height, bool maximised) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr || window->minimised) return;
    if (width == window->clientWidth && height == window->clientHeight) return;
    window->clientWidth = width;
    window->clientHeight = height;
    SendToWindow(window, WM_SIZE, maximised ? SizeMaximized : SizeRestored, PackSize(width, height));
}

void CoreReportMinimised(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr || window->minimised) return;
    SetActivation(window, false, true);
    SendToWindow(window, WM_SIZE, SizeMinimized, 0);
}

void CoreReportRestored(HWND handle, int width, int height) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr || !window->minimised) return;
    SetActivation(window, true, false);
    if (FindWindowRecord(window) == nullptr) return;  // its procedure destroyed it
    window->clientWidth = width;
    window->clientHeight = height;
    SendToWindow(window, WM_SIZE, SizeRestored, PackSize(width, height));
}

void CoreReportFocus(HWND handle, bool focused) {
    HWND__* window = FindWindowRecord(handle);
    if (window != nullptr) SetActivation(window, focused, window->minimised);
}

void CoreReportCloseBox(HWND window) { SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void CoreCloseAllWindows() {
    auto& windows = Core().windows;
    if (windows.empty()) {
        PostQuitMessage(0);
        return;
    }
    std::vector<HWND> open;
    for (auto& window : windows) open.push_back(window.get());
    for (HWND window : open) CoreReportCloseBox(window);
}

extern "C" {

// The program peeks for every message of the thread and removes what it finds: no window or
// range filter is applied, and a message is always removed.
BOOL WINAPI PeekMessageA(MSG* message, HWND, UINT, UINT, UINT) {
    if (message == nullptr) return FALSE;
    BackendPumpEvents();
    CoreState& core = Core();
    if (!core.queue.empty()) {
        *message = core.queue.front();
        core.queue.pop_front();
        return TRUE;
    }
    if (core.quitPending) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(core.quitCode);
        message->time = GetTickCount();
        core.quitPending = false;
        return TRUE;
    }
    return FALSE;
}

// Characters are not made from keys: the program reads key messages only.
BOOL WINAPI TranslateMessage(const MSG* message) {
    return message != nullptr && (message->message == WM_KEYDOWN || message->message == WM_KEYUP ||
                                  message->message == WM_SYSKEYDOWN ||
                                  message->message == WM_SYSKEYUP);
}

// Thread messages and messages of windows that are gone go nowhere.
LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (message == nullptr) return 0;
    return SendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    CoreState& core = Core();
    core.quitPending = true;
    core.quitCode = exitCode;
}

}  // extern "C"
