// The seam between the Win32 core and the platform set beneath it.
//
// The core (this folder) gives the Win32 subset of <windows.h> its meaning once, for every set:
// window classes, handles and window records and their lifetime, the message queue and its order,
// WM_QUIT, the active and minimised state, pixel formats, device and rendering-context
// bookkeeping. A set is the rest, and implements every Backend function below, one file per
// concern: display.cpp (the display and its modes, the cursor), surface.cpp (window surfaces and
// their OpenGL contexts), input.cpp (events), clock.cpp and message_box.cpp. The build links one
// set: sdl (SDL2 and Mesa's GLX), capture (Mesa's surfaceless EGL, a frame clock) or web.
//
// Handles stay the core's: a set sees the HWND a surface belongs to only to name it when it
// reports an event. One thread, the program's; nothing here is locked.
#ifndef VESKOP_PLATFORM_BACKEND_H
#define VESKOP_PLATFORM_BACKEND_H

#include <windows.h>

// A window's drawable and an OpenGL rendering context, as each set makes them; owned by the set
// from its Create call to its Destroy or Delete call.
struct BackendSurface;
struct BackendContext;

// A new window, from CreateWindowExA's arguments.
struct SurfaceRequest {
    HWND window;        // the core's handle of the window the surface is for
    const char* title;  // valid during the call
    int x, y;           // client area's top-left corner, screen pixels
    int width, height;  // client area, pixels, 0 or more
    bool framed;        // a caption bar and a border (WS_CAPTION)
    bool resizable;     // a sizing border (WS_THICKFRAME)
    bool fullscreen;    // a popup that covers exactly the mode BackendEnterMode entered
};

// --- display.cpp ------------------------------------------------------------------------------
// Connects to the display once; later calls give the first answer. False, with the reason on
// standard error, when there is none to show windows on.
bool BackendOpenDisplay();
// True when the display offers width x height pixels in true colour; fullscreen surfaces made
// from then on show in that mode.
bool BackendEnterMode(int width, int height);
// Gives the display back its desktop mode; fullscreen surfaces become ordinary ones.
void BackendLeaveMode();
void BackendShowCursor(bool shown);

// --- surface.cpp ------------------------------------------------------------------------------
// True when a surface with a depthBits-bit depth buffer (32, 24, 16 or 0), double-buffered true
// colour, can be made.
bool BackendOffersDepth(int depthBits);
// A hidden surface with the deepest depth buffer of 32 bits or less that the set offers; null
// when none can be made.
BackendSurface* BackendCreateSurface(const SurfaceRequest& request);
// Gives the surface the pixel format chosen for it. False when the set cannot.
bool BackendSetSurfaceDepth(BackendSurface* surface, int depthBits);
void BackendShowSurface(BackendSurface* surface);
void BackendRaiseSurface(BackendSurface* surface);  // to the front, with the keyboard focus
void BackendDestroySurface(BackendSurface* surface);
// A context for the surface's pixel format, current nowhere or on that surface; null on failure.
BackendContext* BackendCreateContext(BackendSurface* surface);
// Makes context current on surface; with both null, no context is current. False on failure.
bool BackendMakeCurrent(BackendSurface* surface, BackendContext* context);
void BackendDeleteContext(BackendContext* context);
bool BackendSwapBuffers(BackendSurface* surface);

// --- input.cpp --------------------------------------------------------------------------------
// Reports what happened since the last call through the Core functions below. Runs at every
// PeekMessageA, before the queue is looked at.
void BackendPumpEvents();

// --- clock.cpp --------------------------------------------------------------------------------
// Milliseconds since the system started, wrapping at 2^32.
DWORD BackendTickCount();

// --- message_box.cpp --------------------------------------------------------------------------
// Shows the box and waits for the user: IDYES or IDNO for MB_YESNO, IDOK otherwise. Where nobody
// can be asked, the answer that changes nothing: IDNO to a question, IDOK to a notice.
int BackendMessageBox(const char* text, const char* caption, UINT type);

// --- what the core offers the pump (core/messages.cpp) ---------------------------------------
// Windows no longer alive (a surface's window destroyed meanwhile) are ignored by all of these.
//
// A key went down (again, when repeat) or up while the window had the keyboard. Posts
// WM_KEYDOWN or WM_KEYUP, or WM_SYSKEYDOWN or WM_SYSKEYUP for a system key: F10, Alt itself, and
// any key pressed while Alt without Ctrl is held.
void CoreReportKey(HWND window, BYTE virtualKey, bool down, bool repeat, bool alt, bool control);
// The client area is now width x height pixels (not while minimised): sends WM_SIZE if it changed.
void CoreReportSize(HWND window, int width, int height, bool maximised);
// Minimised, or back from it at width x height: sends WM_ACTIVATE and WM_SIZE.
void CoreReportMinimised(HWND window);
void CoreReportRestored(HWND window, int width, int height);
// The window got or lost the keyboard focus: sends WM_ACTIVATE when that changes its state.
void CoreReportFocus(HWND window, bool focused);
// The close box: the system command that the default window procedure closes the window on.
void CoreReportCloseBox(HWND window);
// The user or the system asks the program to end (a signal, a session ending): every window
// gets its close box pressed; with no window, WM_QUIT is posted.
void CoreCloseAllWindows();

#endif
