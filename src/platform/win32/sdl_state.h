// Shared records of the Win32 stand-in over SDL2: what the window, display-mode, device-context,
// GL-context, message and message-box files keep between calls. Internal to veskop_win32_sdl (and
// its own tests); the program sees only <windows.h>.
//
// Every handle the stand-in gives out is a pointer to one of these records, and every handle it
// is given is looked up among the live records first, so a stale or made-up handle fails the way
// the real call fails instead of being dereferenced.
//
// One thread, as the program has: nothing here is locked.
#ifndef VESKOP_WIN32_SDL_STATE_H
#define VESKOP_WIN32_SDL_STATE_H

#include <windows.h>

#include <SDL.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

// The one module there is: the program itself.
struct HINSTANCE__ {
    const char* name;  // for a person reading a debugger, nothing else
};

// A predefined icon or cursor; HCURSOR is the same type.
struct HICON__ {
    WORD resourceId;  // IDI_... or IDC_... value
};

// A registered window class. The two text pointers of `value` point into this record's strings.
struct WindowClassRecord {
    std::string name;
    std::string menuName;
    HINSTANCE instance;
    WNDCLASSA value;
    ATOM atom;
    int windowCount;  // live windows of this class; a class with windows cannot be unregistered
};

// A window's own device context (every window has one, as with CS_OWNDC).
struct HDC__ {
    HWND__* window;
    int pixelFormat;  // index into the pixel-format table, 1-based; 0 until SetPixelFormat
};

struct HWND__ {
    SDL_Window* sdl;
    Uint32 sdlId;  // SDL's id of `sdl`, to route its events here
    WindowClassRecord* windowClass;
    std::string title;
    DWORD style;
    DWORD exStyle;
    int x, y;                       // client area's top-left corner, screen pixels
    int clientWidth, clientHeight;  // last size reported with WM_SIZE, pixels
    int sdlFormat;  // pixel format whose attributes `sdl` was created with (1-based)
    bool visible;
    bool active;     // last WM_ACTIVATE told the window it is active
    bool minimised;  // last WM_SIZE was SIZE_MINIMIZED
    bool fullscreen;  // runs in the display mode that ChangeDisplaySettingsA set
    HDC__ dc;
};

struct HGLRC__ {
    SDL_GLContext sdl;
    int pixelFormat;  // that of the device context it was made for
};

// One posted message, with the modifier keys held when its key event arrived (TranslateMessage
// reads them as the key state of the message being translated).
struct PostedMessage {
    MSG msg;
    Uint16 modifiers;  // SDL KMOD_ bits
};

struct StandInState {
    std::vector<std::unique_ptr<WindowClassRecord>> classes;
    ATOM nextAtom = 0xC000;  // string atoms start here, as on Windows
    std::vector<std::unique_ptr<HWND__>> windows;  // in creation order
    HWND__* focus = nullptr;
    std::vector<std::unique_ptr<HGLRC__>> contexts;
    HGLRC__* currentContext = nullptr;
    HDC__* currentDC = nullptr;

    std::deque<PostedMessage> queue;
    bool quitPending = false;
    int quitCode = 0;
    Uint16 keyModifiers = 0;  // those of the last key message retrieved

    bool modeChanged = false;  // a CDS_FULLSCREEN change is in effect
    SDL_DisplayMode mode = {};  // the display mode it asked for
    int cursorCounter = 0;  // ShowCursor's display counter: the cursor shows while it is >= 0

    bool videoTried = false;
    bool videoReady = false;
    bool shutDown = false;  // the process is exiting: the SDL windows are gone
};

StandInState& State();

// Whether DISPLAY or WAYLAND_DISPLAY names a display to show windows and dialogs on.
bool HasDisplay();
// Starts SDL's video (once): our own signal handling instead of SDL's, and the exit-time
// clean-up that gives the display back its desktop mode. False when there is no display.
bool EnsureVideo();
// Installs (once) the handlers that turn SIGINT, SIGTERM and SIGHUP into close requests, and
// ignores SIGPIPE.
void InstallSignalHandling();
// Tells the signal handling whether a fullscreen mode change is in effect (ChangeDisplaySettingsA).
void NoteDisplayModeChanged(bool changed);
// True once per signal received since the last call.
bool TakeCloseRequest();

// Live-record lookups; null for a handle that is not (or no longer) one of ours.
HWND__* FindWindowRecord(HWND window);
HWND__* FindWindowBySdlId(Uint32 sdlId);
HDC__* FindDeviceContext(HDC dc);
HGLRC__* FindContextRecord(HGLRC context);
WindowClassRecord* FindClass(LPCSTR className, HINSTANCE instance);

// Calls the window's procedure at once, as SendMessage does. 0 for a window that is gone.
LRESULT SendToWindow(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam);
// Adds a message to the end of the queue (or the front, for the character of a key being
// translated now, so that it is read next).
void PostToQueue(HWND__* window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 modifiers,
                 bool front = false);
// Drops the queued messages of a window that is being destroyed.
void DropQueuedMessages(HWND__* window);

// Pixel formats (device_context.cpp).
// Sets SDL's OpenGL attributes for a pixel format; they apply to the next window or context.
void SetFormatAttributes(int format);
// Creates the SDL window of a record with a pixel format's attributes, shown or hidden as the
// record is, in the display mode when it is fullscreen. Null when SDL refuses those attributes.
SDL_Window* CreateSdlWindow(const HWND__& window, int format);
// Creates the SDL window of a new window record before its pixel format is chosen, with the first
// format the driver takes in the order ChoosePixelFormat prefers for the usual request (double
// buffered, 32-bit depth), so that setting that format later needs no new window. Returns the
// format, and the window in *created; 0 and null when the driver takes none.
int DefaultPixelFormat(const HWND__& window, SDL_Window** created);
// Releases the current context if it is current on this device context (whose window is being
// destroyed).
void ForgetCurrentOn(HDC__* dc);

// Keys (keys.cpp). 0 for a key that has no virtual-key code.
BYTE VirtualKeyOf(const SDL_Keysym& key);
// The character a key types with the given modifiers held (US layout for the punctuation); 0 for
// a key that types none.
char TypedCharacter(BYTE virtualKey, Uint16 modifiers);

// Bits of a key message's lParam.
const LPARAM KeyRepeatOnce = 1;                          // repeat count, bits 0-15
const LPARAM KeyAltContext = LPARAM(1) << 29;            // Alt is held
const LPARAM KeyWasDown = LPARAM(1) << 30;               // down before: a repeat, or a release
const LPARAM KeyReleasing = LPARAM(DWORD(1) << 31);      // the key goes up

// WM_SIZE's lParam: width in the low word, height in the high word, pixels.
inline LPARAM PackSize(int width, int height) {
    return static_cast<LPARAM>((static_cast<DWORD>(height & 0xffff) << 16) |
                               static_cast<DWORD>(width & 0xffff));
}

// WM_ACTIVATE's wParam: WA_ACTIVE (1) or WA_INACTIVE (0), and the minimised flag in the high word.
inline WPARAM PackActivation(bool active, bool minimised) {
    return (minimised ? WPARAM(1) << 16 : 0) | (active ? 1 : 0);
}

// Frame metrics shared by AdjustWindowRectEx and CreateWindowExA, so that they agree: the outer
// rectangle of a window is its client rectangle grown by these, in pixels.
struct FrameMetrics {
    int left, top, right, bottom;
};
FrameMetrics FrameOf(DWORD style, bool menu);

#endif
