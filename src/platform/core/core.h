// The Win32 core's records, shared by its files: what the window, context, message and display
// calls keep between calls. Internal to the core; the program sees <windows.h>, a platform set
// sees backend.h.
//
// Every handle the core gives out is a pointer to one of these records, and every handle it is
// given is looked up among the live records first, so a stale or made-up handle fails the way the
// real call fails instead of being dereferenced.
#ifndef VESKOP_PLATFORM_CORE_H
#define VESKOP_PLATFORM_CORE_H

#include "backend.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

// The one module there is: the program itself.
struct HINSTANCE__ {
    const char* name;  // for a person reading a debugger
};

// A predefined icon or cursor; HCURSOR is the same type.
struct HICON__ {
    WORD resourceId;  // IDI_... or IDC_... value
};

struct WindowClass {
    std::string name;  // matched exactly
    HINSTANCE instance;
    WNDPROC procedure;
    int windowCount;  // live windows of the class; a class with windows cannot be unregistered
};

// A window's own device context (every window has one, as with CS_OWNDC).
struct HDC__ {
    HWND__* window;
    int pixelFormat;  // 1-based index into the pixel formats (contexts.cpp); 0 until set
};

struct HWND__ {
    WindowClass* windowClass;
    BackendSurface* surface;        // the set's, destroyed with the window
    int clientWidth, clientHeight;  // last size sent with WM_SIZE, pixels
    bool active;                    // last WM_ACTIVATE told the window it is active
    bool minimised;                 // last WM_SIZE was SIZE_MINIMIZED
    HDC__ dc;
};

struct HGLRC__ {
    BackendContext* context;  // the set's, deleted with the record
    int pixelFormat;          // that of the device context it was made for
};

struct CoreState {
    std::vector<std::unique_ptr<WindowClass>> classes;
    std::vector<std::unique_ptr<HWND__>> windows;  // in creation order
    std::vector<std::unique_ptr<HGLRC__>> contexts;
    HGLRC__* currentContext = nullptr;
    HDC__* currentDC = nullptr;

    std::deque<MSG> queue;  // posted messages, oldest first
    bool quitPending = false;
    int quitCode = 0;

    bool modeChanged = false;  // a CDS_FULLSCREEN change is in effect
    int modeWidth = 0;         // the mode it asked for, pixels
    int modeHeight = 0;
    int cursorCounter = 0;  // ShowCursor's display counter: the cursor shows while it is >= 0
};

CoreState& Core();

// Live-record lookups; null for a handle that is not (or no longer) one of ours.
HWND__* FindWindowRecord(HWND window);
HDC__* FindDeviceContext(HDC dc);
HGLRC__* FindContextRecord(HGLRC context);

// Calls the window's procedure at once, as SendMessage does; 0 for a window that is gone.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_ACTIVATE when the active or the minimised state changes.
void SetActivation(HWND__* window, bool active, bool minimised);
// Drops the queued messages of a window that is being destroyed.
void DropQueuedMessages(HWND__* window);
// Releases the current context if it is current on this device context (whose window goes).
void ForgetCurrentOn(HDC__* dc);

// WM_SIZE's wParam values, and its lParam: width in the low word, height in the high word.
const WPARAM SizeRestored = 0;
const WPARAM SizeMinimized = 1;
const WPARAM SizeMaximized = 2;
inline LPARAM PackSize(int width, int height) {
    return static_cast<LPARAM>((static_cast<DWORD>(height & 0xffff) << 16) |
                               static_cast<DWORD>(width & 0xffff));
}

#endif
