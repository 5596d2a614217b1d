// Fake module handle, window class and window calls.
#include "fake_state.h"

#include <cstring>

using namespace fakewin32;

namespace {

// The process has one module; its handle never changes, across Reset() too.
HINSTANCE ModuleHandle() {
    return reinterpret_cast<HINSTANCE>((static_cast<std::uintptr_t>(HandleKind::Instance) << 16) | 1);
}

// System icons and cursors are shared objects: the same resource id gives the same handle, which
// prints with the id ("hcursor32512").
template <typename Handle>
Handle SystemResource(HandleKind kind, LPCSTR name) {
    std::uintptr_t id = reinterpret_cast<std::uintptr_t>(name);
    return reinterpret_cast<Handle>((static_cast<std::uintptr_t>(kind) << 16) | id);
}

bool IsResourceId(LPCSTR name) {
    std::uintptr_t id = reinterpret_cast<std::uintptr_t>(name);
    return id != 0 && id <= 0xffff;
}

// Frame sizes in pixels, so that a framed window's outer size differs from its client size.
constexpr LONG ThickFrame = 8;
constexpr LONG ThinFrame = 3;
constexpr LONG CaptionHeight = 23;
constexpr LONG MenuHeight = 20;

std::string Pointer(const void* pointer) {
    return pointer == nullptr ? "null" : Hex(reinterpret_cast<std::uintptr_t>(pointer));
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    CallSlot slot = BeginCall("GetModuleHandleA", {Text(moduleName)});
    if (slot.fail || moduleName != nullptr) return nullptr;  // no other module is loaded
    return ModuleHandle();
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr) {
        BeginCall("RegisterClassA", {"null"});
        return 0;
    }
    const WNDCLASSA& value = *windowClass;
    CallSlot slot = BeginCall(
        "RegisterClassA",
        {Text(value.lpszClassName), Hex(value.style), Pointer(reinterpret_cast<const void*>(value.lpfnWndProc)),
         HandleName(value.hInstance), HandleName(value.hIcon), HandleName(value.hCursor),
         HandleName(value.hbrBackground), Text(value.lpszMenuName), std::to_string(value.cbClsExtra),
         std::to_string(value.cbWndExtra)});
    State& state = TheState();
    WindowClassRecord record{value, Text(value.lpszClassName), Text(value.lpszMenuName)};
    record.value.lpszClassName = nullptr;  // the texts live in the record's strings
    record.value.lpszMenuName = nullptr;
    state.registeredClasses.push_back(record);
    if (slot.fail || value.lpszClassName == nullptr || value.lpfnWndProc == nullptr) return 0;
    if (FindClassEntry(value.lpszClassName) != nullptr) return 0;  // already registered
    state.classes.push_back(ClassEntry{value, value.lpszClassName});
    return static_cast<ATOM>(0xC000 + state.classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    CallSlot slot = BeginCall("UnregisterClassA", {Text(className), HandleName(instance)});
    if (slot.fail) return FALSE;
    State& state = TheState();
    ClassEntry* entry = FindClassEntry(className);
    if (entry == nullptr) return FALSE;
    for (const WindowEntry& window : state.windows) {
        if (window.alive && window.className == entry->name) return FALSE;  // still in use
    }
    state.classes.erase(state.classes.begin() + (entry - state.classes.data()));
    return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
    CallSlot slot = BeginCall("LoadIconA", {HandleName(instance), Text(iconName)});
    // Only the system's icons exist; the program has no icon resources.
    if (slot.fail || instance != nullptr || !IsResourceId(iconName)) return nullptr;
    return SystemResource<HICON>(HandleKind::Icon, iconName);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
    CallSlot slot = BeginCall("LoadCursorA", {HandleName(instance), Text(cursorName)});
    if (slot.fail || instance != nullptr || !IsResourceId(cursorName)) return nullptr;
    return SystemResource<HCURSOR>(HandleKind::Cursor, cursorName);
}

BOOL WINAPI AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle) {
    RECT before = rect != nullptr ? *rect : RECT{0, 0, 0, 0};
    CallSlot slot = BeginCall("AdjustWindowRectEx",
                              {Rect(before), Hex(style), Flag(menu), Hex(exStyle)});
    if (slot.fail || rect == nullptr) return FALSE;
    LONG frame = (style & WS_THICKFRAME) != 0 ? ThickFrame : (style & WS_CAPTION) != 0 ? ThinFrame : 0;
    LONG caption = (style & WS_CAPTION) == WS_CAPTION ? CaptionHeight : 0;
    rect->left -= frame;
    rect->right += frame;
    rect->top -= frame + caption + (menu ? MenuHeight : 0);
    rect->bottom += frame;
    SetResult(slot, Rect(*rect));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                            void* param) {
    CallSlot slot = BeginCall(
        "CreateWindowExA",
        {Hex(exStyle), Text(className), Text(windowName), Hex(style), std::to_string(x),
         std::to_string(y), std::to_string(width), std::to_string(height), HandleName(parent),
         HandleName(menu), HandleName(instance), Pointer(param)});
    State& state = TheState();
    WindowCreation creation{exStyle, Text(className), Text(windowName), style, x, y, width, height,
                            parent, menu, instance, param, nullptr};
    ClassEntry* windowClass = FindClassEntry(className);
    if (!slot.fail && windowClass != nullptr) {
        creation.result = MakeHandle<HWND>(HandleKind::Window);
        state.windows.push_back(
            WindowEntry{creation.result, windowClass->name, windowClass->value.lpfnWndProc, true});
    }
    state.windowCreations.push_back(creation);
    return creation.result;
}

BOOL WINAPI DestroyWindow(HWND window) {
    CallSlot slot = BeginCall("DestroyWindow", {HandleName(window)});
    if (slot.fail) return FALSE;
    WindowEntry* entry = FindWindowEntry(window);
    if (entry == nullptr || !entry->alive) return FALSE;
    entry->alive = false;
    if (TheState().focus == window) TheState().focus = nullptr;
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
    BeginCall("ShowWindow", {HandleName(window), std::to_string(showCommand)});
    return FALSE;  // "was not visible before": every window starts hidden and is shown once
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    CallSlot slot = BeginCall("SetForegroundWindow", {HandleName(window)});
    WindowEntry* entry = FindWindowEntry(window);
    return !slot.fail && entry != nullptr && entry->alive;
}

HWND WINAPI SetFocus(HWND window) {
    CallSlot slot = BeginCall("SetFocus", {HandleName(window)});
    WindowEntry* entry = FindWindowEntry(window);
    if (slot.fail || (window != nullptr && (entry == nullptr || !entry->alive))) return nullptr;
    HWND previous = TheState().focus;
    TheState().focus = window;
    return previous;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BeginCall("DefWindowProcA", {HandleName(window), Hex(message), Hex(wParam),
                                 Hex(static_cast<std::uintptr_t>(lParam))});
    return TheState().defWindowProcResult;
}
