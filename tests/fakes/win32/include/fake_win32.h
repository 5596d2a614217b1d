// Control of the recording Win32 fake (library veskop_fake_win32), for tests.
//
// The fake implements every function of our <windows.h> except WinMain, which is the program's.
// Linked instead of the SDL stand-in, it lets a test drive the program's window and loop code
// with no display:
//   - every call is recorded in order, with the arguments that matter, as text;
//   - any chosen call can be made to fail (it then returns its failure value and has no effect);
//   - message boxes are answered from a script;
//   - GetTickCount serves a clock the test sets;
//   - PeekMessageA delivers the messages a test posts, in order, then WM_QUIT once
//     PostQuitMessage has run, and DispatchMessageA calls the window procedure that the window's
//     class was registered with; a loop that never ends fails instead of hanging (after 100000
//     peeks the fake posts WM_QUIT with 0x7E57, after twice as many it aborts);
//   - hooks run test code at the start of a chosen call (post a key while the loop runs, count
//     idle passes through SwapBuffers, change the clock between two reads).
// DefWindowProcA does no default processing: it records the call and returns what the test set.
// Handles are distinct and never null; they print as their kind and a serial ("hwnd1", "hdc2").
// The WGL calls only keep track of handles: no OpenGL context is made or made current.
//
// Everything is global and single-threaded, like the API it stands for. Reset() between tests.
#ifndef VESKOP_FAKE_WIN32_H
#define VESKOP_FAKE_WIN32_H

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace fakewin32 {

// One recorded call. Arguments are rendered so that tests compare plain strings:
//   handles      "hwnd1", "hdc1", "hglrc1", "hinstance1", "hicon1", "hcursor1", or "null"
//   texts        the text itself, without quotes; a null pointer is "null"
//   resource ids "#32512" (a MAKEINTRESOURCE name)
//   styles/flags hexadecimal, "0x30"
//   numbers      decimal; BOOL arguments as "true"/"false"
//   records      their meaningful fields, "{0,0,640,480}" for a RECT
struct Call {
    std::string name;
    std::vector<std::string> args;
    bool failed = false;  // the fake made this call fail on the test's request
    std::string result;   // what it gave, where that tells a story: PeekMessageA's message
                          // ("WM 0x100 0x1b" or "none"), GetTickCount's value, MessageBoxA's answer

    std::string Text() const;  // "ReleaseDC(hwnd1, hdc1)", with " -> result" when there is one
};

// The arguments of one MessageBoxA call and the answer the fake gave.
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
    int answer;
};

// One CreateWindowExA call, whether or not it succeeded.
struct WindowCreation {
    DWORD exStyle;
    std::string className;
    std::string title;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
    void* param;
    HWND result;  // null when the call failed
};

// A RegisterClassA argument, copied. The copy's two text pointers are cleared; the texts are in
// className and menuName, rendered as arguments are ("null" for a null pointer).
struct WindowClassRecord {
    WNDCLASSA value;
    std::string className;
    std::string menuName;
};

// Back to the start state: no calls, no failures, no hooks, empty queue, no quit pending, tick 0
// with no auto-advance, no classes, windows or contexts, cursor counter 0, display mode untouched,
// handle serials restarted.
void Reset();

// --- the record -------------------------------------------------------------------------------
const std::vector<Call>& Calls();
std::vector<std::string> CallNames();                       // every call, in order
std::vector<std::string> CallNamesExcept(std::initializer_list<const char*> skipped);
std::vector<Call> CallsNamed(const char* name);
int CallCount(const char* name);
void ClearCalls();                                          // forget the record so far, keep the state
// Adds a line of the test's own to the record, so that calls of a test's replacement procedure
// (InitScene, DrawFrame) are ordered with the fake's calls.
void Note(const char* name, std::vector<std::string> args = {});

const std::vector<MessageBoxRecord>& MessageBoxes();
const std::vector<WindowCreation>& WindowCreations();
const std::vector<WindowClassRecord>& RegisteredClasses();     // every RegisterClassA argument
const std::vector<PIXELFORMATDESCRIPTOR>& ChosenDescriptors();  // every ChoosePixelFormat argument
const std::vector<PIXELFORMATDESCRIPTOR>& SetDescriptors();     // every SetPixelFormat argument
const std::vector<DEVMODEA>& RequestedModes();                 // every non-null ChangeDisplaySettingsA mode

// --- failures ---------------------------------------------------------------------------------
// Makes calls of `name` fail. With nth = 0 every call from now on fails; with nth = k the k-th
// call of `name` counted from Reset() fails (later ones succeed again). An unknown name aborts.
// Failure values: 0 / FALSE / null as the real function reports failure; ChangeDisplaySettingsA
// gives DISP_CHANGE_BADMODE; MessageBoxA gives 0; PeekMessageA finds no message.
void FailCall(const char* name, int nth = 0);

// --- message boxes ----------------------------------------------------------------------------
// Answers for the next message boxes, in order. When the script is used up, a box is answered
// IDNO if it asks Yes/No and IDOK otherwise (what a user who cannot see it would get).
void ScriptAnswers(std::initializer_list<int> answers);

// --- clock ------------------------------------------------------------------------------------
void SetTickCount(DWORD ms);
void AdvanceTicks(DWORD ms);  // wraps at 32 bits, as the real counter does
// Every GetTickCount call returns the current value and then advances it by `ms`.
void SetTickStep(DWORD ms);
DWORD TickCount();

// --- messages ---------------------------------------------------------------------------------
// Queues a message for the demo window. Its hwnd is filled in when PeekMessageA delivers it:
// the window that is alive then, or null when there is none.
void PostWindowMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
size_t PendingMessages();
bool QuitPending();
// DefWindowProcA's result (default 0), to tell its result from a handled message's.
void SetDefWindowProcResult(LRESULT result);

// --- hooks ------------------------------------------------------------------------------------
// Runs `hook` at the start of every call of `name`, before the fake works out its result, with the
// number of that call counted from Reset() (1 for the first). One hook per name; an empty function
// removes it. An unknown name aborts.
void OnCall(const char* name, std::function<void(int nth)> hook);

// --- state ------------------------------------------------------------------------------------
HWND LiveWindow();               // the window created last and not destroyed, or null
int LiveWindowCount();
bool ClassRegistered(const char* className);
bool DisplayModeChanged();       // a fullscreen mode is set and not yet restored
int CursorCounter();             // ShowCursor's display counter, 0 at start
HGLRC CurrentContext();          // the context made current last, or null
HDC CurrentContextDC();
int LiveContextCount();          // contexts created and not deleted
int LiveDCCount();               // device contexts got and not released
std::string HandleName(const void* handle);  // "hwnd1", or "null"

}  // namespace fakewin32

#endif
