// The capture set's shared state and its record lookups.
#include "capture_state.h"

#include <strings.h>

CaptureState& State() {
    static CaptureState state;
    return state;
}

void ConfigureCapture(const CaptureSettings& settings) {
    State().settings = settings;
}

HWND__* FindWindowRecord(HWND window) {
    if (window == nullptr) return nullptr;
    for (auto& record : State().windows) {
        if (record.get() == window) return record.get();
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
    // A name below 0x10000 would be an atom; the program registers its class by name only.
    if (className == nullptr || reinterpret_cast<uintptr_t>(className) < 0x10000) return nullptr;
    for (auto& record : State().classes) {
        if (record->instance == instance && strcasecmp(record->name.c_str(), className) == 0) {
            return record.get();
        }
    }
    return nullptr;
}

void PostToQueue(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG posted = {};
    posted.hwnd = window;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = GetTickCount();
    State().queue.push_back(posted);
}

void DropQueuedMessages(HWND__* window) {
    auto& queue = State().queue;
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->hwnd == window ? queue.erase(it) : it + 1;
    }
}
