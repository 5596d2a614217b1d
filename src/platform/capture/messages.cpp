// The thread's message queue: what the capture set posts itself (the new window's size, WM_QUIT)
// and dispatch to the window's procedure. There is no keyboard, so TranslateMessage has nothing
// to translate.
#include "capture_state.h"

namespace {

bool InFilter(UINT message, UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

}  // namespace

extern "C" {

BOOL WINAPI PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (message == nullptr) return FALSE;
    CaptureState& state = State();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    for (auto queued = state.queue.begin(); queued != state.queue.end(); ++queued) {
        if (!InFilter(queued->message, filterMin, filterMax)) continue;
        if (window != nullptr && queued->hwnd != window) continue;
        *message = *queued;
        if (remove) state.queue.erase(queued);
        return TRUE;
    }
    // WM_QUIT comes once nothing else is queued.
    if (state.quitPending && InFilter(WM_QUIT, filterMin, filterMax)) {
        *message = MSG{};
        message->message = WM_QUIT;
        message->wParam = static_cast<WPARAM>(state.quitCode);
        message->time = GetTickCount();
        if (remove) state.quitPending = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (message == nullptr) return 0;
    HWND__* window = FindWindowRecord(message->hwnd);
    if (window == nullptr) return 0;
    return window->windowClass->procedure(window, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    CaptureState& state = State();
    state.quitPending = true;
    state.quitCode = exitCode;
}

}  // extern "C"
