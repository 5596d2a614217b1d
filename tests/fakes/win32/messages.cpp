// Fake thread message queue: messages a test posts, WM_QUIT after PostQuitMessage, dispatch to the
// procedure of the window's class. TranslateMessage posts no WM_CHAR: a test posts the messages
// the system would send.
#include "fake_state.h"

#include <cstdio>
#include <cstdlib>

using namespace fakewin32;

namespace {

// A message loop that never ends is a failure, not a hang.
const int PeekLimit = 100000;
const int RunawayQuitCode = 0x7E57;

void CheckRunaway(int peeks) {
    State& state = TheState();
    if (peeks == PeekLimit) {
        std::fprintf(stderr, "fake win32: %d PeekMessageA calls; posting WM_QUIT with 0x%x\n", peeks,
                     RunawayQuitCode);
        state.quitPending = true;
        state.quitCode = RunawayQuitCode;
    } else if (peeks >= 2 * PeekLimit) {
        std::fprintf(stderr, "fake win32: the message loop ignores WM_QUIT; aborting\n");
        std::abort();
    }
}

std::string Delivered(const MSG& message) {
    return "WM " + Hex(message.message) + " " + Hex(message.wParam);
}

}  // namespace

BOOL WINAPI PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    CallSlot slot = BeginCall("PeekMessageA", {HandleName(window), std::to_string(filterMin),
                                               std::to_string(filterMax), Hex(removeFlags)});
    State& state = TheState();
    CheckRunaway(state.callCounts["PeekMessageA"]);
    if (slot.fail || message == nullptr) {
        SetResult(slot, "none");
        return FALSE;
    }
    // The program peeks for every message of the thread and removes it; no filter is applied.
    if (!state.queue.empty()) {
        const QueuedMessage queued = state.queue.front();
        state.queue.pop_front();
        *message = MSG{LiveWindow(), queued.message, queued.wParam, queued.lParam, state.tick, {0, 0}};
        SetResult(slot, Delivered(*message));
        return TRUE;
    }
    // WM_QUIT comes only once nothing else is queued.
    if (state.quitPending) {
        *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0, state.tick, {0, 0}};
        state.quitPending = false;
        SetResult(slot, Delivered(*message));
        return TRUE;
    }
    SetResult(slot, "none");
    return FALSE;  // *message is left as it was
}

BOOL WINAPI TranslateMessage(const MSG* message) {
    UINT kind = message != nullptr ? message->message : 0;
    CallSlot slot = BeginCall("TranslateMessage", {Hex(kind)});
    if (slot.fail) return FALSE;
    return kind == WM_KEYDOWN || kind == WM_KEYUP || kind == WM_SYSKEYDOWN || kind == WM_SYSKEYUP;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (message == nullptr) {
        BeginCall("DispatchMessageA", {"null"});
        return 0;
    }
    CallSlot slot = BeginCall("DispatchMessageA",
                              {HandleName(message->hwnd), Hex(message->message), Hex(message->wParam)});
    WindowEntry* entry = FindWindowEntry(message->hwnd);
    if (slot.fail || entry == nullptr || !entry->alive) return 0;
    return entry->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    CallSlot slot = BeginCall("PostQuitMessage", {std::to_string(exitCode)});
    if (slot.fail) return;
    TheState().quitPending = true;
    TheState().quitCode = exitCode;
}

namespace fakewin32 {

void PostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    TheState().queue.push_back(QueuedMessage{message, wParam, lParam});
}

size_t PendingMessages() { return TheState().queue.size(); }
bool QuitPending() { return TheState().quitPending; }
void SetDefWindowProcResult(LRESULT result) { TheState().defWindowProcResult = result; }

}  // namespace fakewin32
