// The module handle, window classes, the predefined icon and cursor, and windows: frame metrics,
// creation, showing, activation and focus, destruction, and the default window procedure.
#include "core.h"

#include <algorithm>
#include <cstring>

namespace {

HINSTANCE__ ProgramModule = {"the program"};
HICON__ WinLogoIcon = {32517};  // IDI_WINLOGO
HICON__ ArrowCursor = {32512};  // IDC_ARROW

const WPARAM VirtualKeyF4 = 0x73;
const LPARAM KeyAltContext = LPARAM(1) << 29;  // a key message's "Alt is held" bit

// The numeric id of a MAKEINTRESOURCE name; 0 for a name that is text.
WORD ResourceIdOf(LPCSTR name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    return value < 0x10000 ? static_cast<WORD>(value) : 0;
}

WindowClass* FindClass(LPCSTR name, HINSTANCE instance) {
    if (name == nullptr || ResourceIdOf(name) != 0) return nullptr;
    for (auto& record : Core().classes) {
        if (record->instance == instance && record->name == name) return record.get();
    }
    return nullptr;
}

// Windows 10 at 96 dpi: an 8-pixel sizing frame, or a 3-pixel fixed one under a caption, and a
// 23-pixel caption bar. AdjustWindowRectEx adds them and CreateWindowExA takes them off again, so
// the two agree.
struct FrameMetrics {
    int side, top;  // pixels: left, right and bottom are `side`
};

FrameMetrics FrameOf(DWORD style) {
    const DWORD caption = WS_CAPTION;
    int side = 0;
    if (style & WS_THICKFRAME) {
        side = 8;
    } else if (style & caption) {
        side = 3;
    }
    return FrameMetrics{side, (style & caption) == caption ? side + 23 : side};
}

// A popup without a caption that covers exactly the mode ChangeDisplaySettingsA set.
bool CoversChangedMode(DWORD style, int x, int y, int width, int height) {
    const CoreState& core = Core();
    return core.modeChanged && (style & WS_POPUP) && (style & WS_CAPTION) == 0 && x == 0 &&
           y == 0 && width == core.modeWidth && height == core.modeHeight;
}

}  // namespace

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    // The program is the only module its callers ask about.
    return moduleName == nullptr ? &ProgramModule : nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    static ATOM nextAtom = 0xC000;  // string atoms start here, as on Windows
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
    LPCSTR name = windowClass->lpszClassName;
    if (name == nullptr || ResourceIdOf(name) != 0 || name[0] == '\0') return 0;
    if (FindClass(name, windowClass->hInstance) != nullptr) return 0;  // already registered
    Core().classes.push_back(std::make_unique<WindowClass>(
        WindowClass{name, windowClass->hInstance, windowClass->lpfnWndProc, 0}));
    return nextAtom++;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    WindowClass* record = FindClass(className, instance);
    if (record == nullptr || record->windowCount > 0) return FALSE;
    auto& classes = Core().classes;
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

// The extended styles callers use here (WS_EX_APPWINDOW, WS_EX_WINDOWEDGE) add no frame, and no
// window here has a menu bar.
BOOL WINAPI AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD) {
    if (rect == nullptr) return FALSE;
    FrameMetrics frame = FrameOf(style);
    rect->left -= frame.side;
    rect->top -= frame.top;
    rect->right += frame.side;
    rect->bottom += frame.side;
    return TRUE;
}

// No parent windows and no menus: the program makes top-level windows only.
HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU, HINSTANCE instance, void*) {
    WindowClass* windowClass = FindClass(className, instance);
    if (windowClass == nullptr || !BackendOpenDisplay()) return nullptr;

    // The outer size includes the frame AdjustWindowRectEx added; the surface is the client area.
    FrameMetrics frame = FrameOf(style);
    auto record = std::make_unique<HWND__>();
    HWND__* window = record.get();
    SurfaceRequest request = {};
    request.window = window;
    request.title = windowName != nullptr ? windowName : "";
    request.x = x + frame.side;
    request.y = y + frame.top;
    request.width = std::max(0, width - 2 * frame.side);
    request.height = std::max(0, height - frame.top - frame.side);
    request.framed = (style & WS_CAPTION) != 0;
    request.resizable = (style & WS_THICKFRAME) != 0;
    request.fullscreen = CoversChangedMode(style, x, y, width, height);
    window->surface = BackendCreateSurface(request);
    if (window->surface == nullptr) return nullptr;
    window->windowClass = windowClass;
    window->clientWidth = request.width;
    window->clientHeight = request.height;
    window->active = false;
    window->minimised = false;
    window->dc = HDC__{window, 0};
    Core().windows.push_back(std::move(record));
    windowClass->windowCount++;

    // Windows sizes a new window before CreateWindowEx returns, so its procedure hears of it.
    SendToWindow(window, WM_SIZE, SizeRestored, PackSize(window->clientWidth, window->clientHeight));
    return FindWindowRecord(window);  // null if its procedure destroyed it meanwhile
}

BOOL WINAPI DestroyWindow(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return FALSE;
    ForgetCurrentOn(&window->dc);
    DropQueuedMessages(window);
    BackendDestroySurface(window->surface);  // a fullscreen one also ends its display mode
    window->windowClass->windowCount--;
    auto& windows = Core().windows;
    windows.erase(std::find_if(windows.begin(), windows.end(),
                               [window](const auto& entry) { return entry.get() == window; }));
    return TRUE;
}

// The program shows its window once, with SW_SHOW; a shown window becomes the active one.
BOOL WINAPI ShowWindow(HWND handle, int) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return FALSE;
    BackendShowSurface(window->surface);  // a fullscreen surface switches the display mode here
    SetActivation(window, true, window->minimised);
    return FALSE;  // it was hidden before
}

BOOL WINAPI SetForegroundWindow(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return FALSE;
    BackendRaiseSurface(window->surface);
    SetActivation(window, true, window->minimised);
    return TRUE;
}

// Keyboard messages come for the window whose surface has the focus; the previous focus is not
// asked for by the program.
HWND WINAPI SetFocus(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    if (window == nullptr) return nullptr;
    BackendRaiseSurface(window->surface);
    return nullptr;
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
