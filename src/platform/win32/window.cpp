// The module handle, window classes, the predefined icon and cursor, and windows: frame metrics,
// creation, showing, activation and focus, destruction, and the default window procedure.
#include "sdl_state.h"

#include <algorithm>

namespace {

HINSTANCE__ ProgramModule = {"the program"};
HICON__ WinLogoIcon = {32517};  // IDI_WINLOGO
HICON__ ArrowCursor = {32512};  // IDC_ARROW

const WPARAM VirtualKeyF4 = 0x73;
const WPARAM SizeRestored = 0;  // SIZE_RESTORED, WM_SIZE's wParam

// The numeric id of a MAKEINTRESOURCE name; 0 for a name that is text.
WORD ResourceIdOf(LPCSTR name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    return value < 0x10000 ? static_cast<WORD>(value) : 0;
}

bool IsFullscreenCandidate(DWORD style, int x, int y, int width, int height) {
    const StandInState& state = State();
    return state.modeChanged && (style & WS_POPUP) && (style & WS_CAPTION) == 0 && x == 0 &&
           y == 0 && width == state.mode.w && height == state.mode.h;
}

void Activate(HWND__* window) {
    if (window->active) return;
    window->active = true;
    SendToWindow(window, WM_ACTIVATE, PackActivation(true, window->minimised), 0);
}

}  // namespace

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    // The program is the only module its callers ask about; no other is loaded by name here.
    return moduleName == nullptr ? &ProgramModule : nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
    LPCSTR name = windowClass->lpszClassName;
    if (name == nullptr || ResourceIdOf(name) != 0 || name[0] == '\0') return 0;
    if (FindClass(name, windowClass->hInstance) != nullptr) return 0;  // already registered

    StandInState& state = State();
    auto record = std::make_unique<WindowClassRecord>();
    record->name = name;
    record->instance = windowClass->hInstance;
    record->value = *windowClass;
    record->value.lpszClassName = record->name.c_str();
    if (windowClass->lpszMenuName != nullptr && ResourceIdOf(windowClass->lpszMenuName) == 0) {
        record->menuName = windowClass->lpszMenuName;
        record->value.lpszMenuName = record->menuName.c_str();
    }
    record->atom = state.nextAtom++;
    record->windowCount = 0;
    ATOM atom = record->atom;
    state.classes.push_back(std::move(record));
    return atom;
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
    // The program has no icon resources of its own; of the system's icons, the logo is known.
    if (instance == nullptr && ResourceIdOf(iconName) == WinLogoIcon.resourceId) return &WinLogoIcon;
    return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
    if (instance == nullptr && ResourceIdOf(cursorName) == ArrowCursor.resourceId) {
        return &ArrowCursor;
    }
    return nullptr;
}

// The extended styles callers use here (WS_EX_APPWINDOW, WS_EX_WINDOWEDGE) add no frame.
BOOL WINAPI AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD) {
    if (rect == nullptr) return FALSE;
    FrameMetrics frame = FrameOf(style, menu != FALSE);
    rect->left -= frame.left;
    rect->top -= frame.top;
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU, HINSTANCE instance,
                            void*) {
    WindowClassRecord* windowClass = FindClass(className, instance);
    if (windowClass == nullptr) return nullptr;
    if (parent != nullptr && FindWindowRecord(parent) == nullptr) return nullptr;
    if (!EnsureVideo()) return nullptr;

    // The outer size includes the frame that AdjustWindowRectEx added; SDL sizes the client area
    // and leaves the frame to the window manager.
    FrameMetrics frame = FrameOf(style, false);
    auto record = std::make_unique<HWND__>();
    record->windowClass = windowClass;
    record->title = windowName != nullptr ? windowName : "";
    record->style = style;
    record->exStyle = exStyle;
    record->x = x + frame.left;
    record->y = y + frame.top;
    record->clientWidth = std::max(0, width - frame.left - frame.right);
    record->clientHeight = std::max(0, height - frame.top - frame.bottom);
    record->visible = false;
    record->active = false;
    record->minimised = false;
    record->fullscreen = IsFullscreenCandidate(style, x, y, width, height);
    record->dc.window = record.get();
    record->dc.pixelFormat = 0;

    SDL_Window* sdl = nullptr;
    record->sdlFormat = DefaultPixelFormat(*record, &sdl);
    if (sdl == nullptr) return nullptr;
    record->sdl = sdl;
    record->sdlId = SDL_GetWindowID(sdl);

    HWND__* window = record.get();
    State().windows.push_back(std::move(record));
    windowClass->windowCount++;

    // Windows sizes a new window before CreateWindowEx returns, so its procedure hears of it.
    SendToWindow(window, WM_SIZE, SizeRestored,
                 PackSize(window->clientWidth, window->clientHeight));
    if ((style & WS_VISIBLE) && FindWindowRecord(window) != nullptr) ShowWindow(window, SW_SHOW);
    return FindWindowRecord(window);  // null if its procedure destroyed it meanwhile
}

BOOL WINAPI DestroyWindow(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return FALSE;
    StandInState& state = State();
    ForgetCurrentOn(&window->dc);
    DropQueuedMessages(window);
    if (state.focus == window) state.focus = nullptr;
    if (window->sdl != nullptr) SDL_DestroyWindow(window->sdl);  // also ends its display mode
    window->windowClass->windowCount--;
    auto& windows = state.windows;
    windows.erase(std::find_if(windows.begin(), windows.end(),
                               [window](const auto& entry) { return entry.get() == window; }));
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND handle, int showCommand) {
    const int hideCommand = 0;  // SW_HIDE
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr || window->sdl == nullptr) return FALSE;
    BOOL wasVisible = window->visible ? TRUE : FALSE;
    if (showCommand == hideCommand) {
        SDL_HideWindow(window->sdl);
        window->visible = false;
        return wasVisible;
    }
    SDL_ShowWindow(window->sdl);  // a fullscreen window switches the display mode here
    window->visible = true;
    Activate(window);
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr || window->sdl == nullptr) return FALSE;
    SDL_RaiseWindow(window->sdl);
    Activate(window);
    return TRUE;
}

HWND WINAPI SetFocus(HWND handle) {
    StandInState& state = State();
    HWND__* previous = FindWindowRecord(state.focus);
    if (handle == nullptr) {
        state.focus = nullptr;
        return previous;
    }
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return nullptr;
    state.focus = window;
    if (window->visible && window->sdl != nullptr) SDL_SetWindowInputFocus(window->sdl);
    return previous;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return 0;
    switch (message) {
    case WM_SYSKEYDOWN:
        if (wParam == VirtualKeyF4 && (lParam & KeyAltContext)) {
            SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_SYSCOMMAND:
        // The low four bits of a system command are the system's own.
        if ((wParam & 0xFFF0) == SC_CLOSE) SendToWindow(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    }
    return 0;
}

}  // extern "C"
