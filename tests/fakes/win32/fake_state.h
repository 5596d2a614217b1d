// The recording Win32 fake's shared state: the record, the failure switches, the hooks and the
// objects (classes, windows, device contexts, rendering contexts) that the per-concern files
// create and look up. Internal to the fake; tests use fake_win32.h.
#ifndef VESKOP_FAKE_WIN32_STATE_H
#define VESKOP_FAKE_WIN32_STATE_H

#include "fake_win32.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fakewin32 {

// Handle kinds; a handle is (kind << 16) | serial, so kinds never collide and none is null.
enum class HandleKind : std::uintptr_t {
    Instance = 1,
    Window = 2,
    DC = 3,
    Context = 4,
    Icon = 5,
    Cursor = 6,
};

struct ClassEntry {
    WNDCLASSA value;
    std::string name;
};

struct WindowEntry {
    HWND handle;
    std::string className;
    WNDPROC procedure;
    bool alive;
};

struct DCEntry {
    HDC handle;
    HWND window;
    int pixelFormat;  // 0 until SetPixelFormat
    bool released;
};

struct ContextEntry {
    HGLRC handle;
    HDC dc;
    bool deleted;
};

struct QueuedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct State {
    std::vector<Call> calls;
    std::map<std::string, int> callCounts;
    std::set<std::string> failAlways;
    std::map<std::string, std::set<int>> failNth;
    std::map<std::string, std::function<void(int)>> hooks;

    std::vector<MessageBoxRecord> messageBoxes;
    std::deque<int> answers;
    std::vector<WindowCreation> windowCreations;
    std::vector<WindowClassRecord> registeredClasses;
    std::vector<PIXELFORMATDESCRIPTOR> chosenDescriptors;
    std::vector<PIXELFORMATDESCRIPTOR> setDescriptors;
    std::vector<DEVMODEA> requestedModes;

    std::vector<ClassEntry> classes;  // registered now
    std::vector<WindowEntry> windows;
    std::vector<DCEntry> dcs;
    std::vector<ContextEntry> contexts;
    std::map<HandleKind, std::uintptr_t> serials;

    DWORD tick = 0;
    DWORD tickStep = 0;

    std::deque<QueuedMessage> queue;
    bool quitPending = false;
    int quitCode = 0;
    HWND focus = nullptr;
    LRESULT defWindowProcResult = 0;

    bool displayModeChanged = false;
    int cursorCounter = 0;
    HGLRC currentContext = nullptr;
    HDC currentDC = nullptr;
};

State& TheState();

// Records a call of `name` with its rendered arguments: counts it, runs its hook first (so what
// the hook does comes before it in the record), and tells whether the test asked it to fail.
// `index` addresses the record for SetResult (a reference would not survive nested calls).
struct CallSlot {
    size_t index;
    bool fail;
};
CallSlot BeginCall(const char* name, std::vector<std::string> args);
void SetResult(const CallSlot& slot, std::string result);

template <typename Handle>
Handle MakeHandle(HandleKind kind) {
    std::uintptr_t serial = ++TheState().serials[kind];
    return reinterpret_cast<Handle>((static_cast<std::uintptr_t>(kind) << 16) | serial);
}

// Argument renderings (see Call in fake_win32.h).
std::string Hex(std::uintptr_t value);
std::string Text(const char* text);      // "null" for a null pointer, MAKEINTRESOURCE as "#id"
std::string Flag(BOOL value);
std::string Rect(const RECT& rect);

WindowEntry* FindWindowEntry(HWND window);  // null when unknown
WindowEntry* FindLiveWindow();             // the last created window still alive
ClassEntry* FindClassEntry(const char* name);  // registered now
bool DCHasPixelFormat(HDC dc);                 // a live device context with its format set

}  // namespace fakewin32

#endif
