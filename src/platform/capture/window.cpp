// The module handle, window classes and windows. A window here has no pixels of its own: it
// covers the capture's display, and its rendering context draws into a buffer of that size.
#include "capture_state.h"

#include <algorithm>

namespace {

HINSTANCE__ ProgramModule = {"veskop"};
HICON__ WinLogoIcon = {32517};  // IDI_WINLOGO
HICON__ ArrowCursor = {32512};  // IDC_ARROW

const WPARAM SizeRestored = 0;  // SIZE_RESTORED

WORD ResourceIdOf(LPCSTR name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    return value < 0x10000 ? static_cast<WORD>(value) : 0;
}

// WM_SIZE's lParam: width in the low word, height in the high word, pixels.
LPARAM PackSize(int width, int height) {
    return static_cast<LPARAM>((static_cast<DWORD>(height & 0xffff) << 16) |
                               static_cast<DWORD>(width & 0xffff));
}

}  // namespace

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? &ProgramModule : nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
    LPCSTR name = windowClass->lpszClassName;
    if (name == nullptr || ResourceIdOf(name) != 0 || name[0] == '\0') return 0;
    if (FindClass(name, windowClass->hInstance) != nullptr) return 0;  // already registered
    auto record = std::make_unique<WindowClassRecord>();
    record->name = name;
    record->instance = windowClass->hInstance;
    record->procedure = windowClass->lpfnWndProc;
    record->windowCount = 0;
    State().classes.push_back(std::move(record));
    return State().nextAtom++;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    WindowClassRecord* record = FindClass(className, instance);
    if (record == nullptr || record->windowCount > 0) return FALSE;
    auto& classes = State().classes;
    classes.erase(std::find_if(classes.begin(), classes.end(),
                               [record](const auto& entry) { return entry.get() == record; }));
    return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
    if (instance == nullptr && ResourceIdOf(iconName) == WinLogoIcon.resourceId) return &WinLogoIcon;
    return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
    if (instance == nullptr && ResourceIdOf(cursorName) == ArrowCursor.resourceId) {
        return &ArrowCursor;
    }
    return nullptr;
}

// No frame is drawn around anything here, so the outer rectangle is the client rectangle.
BOOL WINAPI AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) { return rect != nullptr; }

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int,
                            HWND parent, HMENU, HINSTANCE instance, void*) {
    WindowClassRecord* windowClass = FindClass(className, instance);
    if (windowClass == nullptr) return nullptr;
    if (parent != nullptr && FindWindowRecord(parent) == nullptr) return nullptr;
    auto record = std::make_unique<HWND__>();
    record->windowClass = windowClass;
    record->dc.window = record.get();
    record->dc.pixelFormat = 0;
    HWND__* window = record.get();
    State().windows.push_back(std::move(record));
    windowClass->windowCount++;
    // The window fills the display, whatever size it was made with, and hears so with its first
    // message: the program then sets its viewport to the capture's size before the first frame.
    const CaptureSettings& settings = State().settings;
    PostToQueue(window, WM_SIZE, SizeRestored, PackSize(settings.width, settings.height));
    return window;
}

BOOL WINAPI DestroyWindow(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return FALSE;
    CaptureState& state = State();
    ForgetCurrentOn(&window->dc);
    DropQueuedMessages(window);
    if (state.focus == window) state.focus = nullptr;
    window->windowClass->windowCount--;
    auto& windows = state.windows;
    windows.erase(std::find_if(windows.begin(), windows.end(),
                               [window](const auto& entry) { return entry.get() == window; }));
    return TRUE;
}

// Every window counts as shown and active from its creation on (WindowActive starts true).
BOOL WINAPI ShowWindow(HWND, int) { return FALSE; }  // "was hidden before"

BOOL WINAPI SetForegroundWindow(HWND handle) { return FindWindowRecord(handle) != nullptr; }

HWND WINAPI SetFocus(HWND handle) {
    CaptureState& state = State();
    HWND__* previous = FindWindowRecord(state.focus);
    HWND__* window = FindWindowRecord(handle);
    if (handle != nullptr && window == nullptr) return nullptr;
    state.focus = window;
    return previous;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM, LPARAM) {
    HWND__* window = FindWindowRecord(handle);
    if (window != nullptr && message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

}  // extern "C"
