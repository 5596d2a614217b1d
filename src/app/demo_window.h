// The demo's one window and its OpenGL rendering context: creation (with the fullscreen display
// mode), teardown, the projection for its size, and the window procedure that records the keyboard
// and active state for the main loop.
#ifndef VESKOP_DEMO_WINDOW_H
#define VESKOP_DEMO_WINDOW_H

#include <windows.h>

// Indexed by Windows virtual-key code: true from a key-down message until the key-up message.
// Written by DemoWindowProc; the main loop clears the VK_F1 entry when it acts on it.
extern bool KeyDown[256];
// True while the window is not minimised; the main loop draws frames only while it is set.
extern bool WindowActive;
// The current window was created fullscreen, with the display mode changed.
extern bool Fullscreen;

// Handles held between a successful CreateDemoWindow and DestroyDemoWindow; null otherwise.
extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HDC WindowDC;
extern HGLRC GLContext;

// Creates the window with a client area of width x height pixels and colour depth bits, makes its
// rendering context current, sets the projection and runs the scene set-up. On failure it has
// already released what it made and told the user, and returns false.
bool CreateDemoWindow(const char* title, int width, int height, int bits, bool fullscreen);

// Restores the display mode (when fullscreen) and releases the context, device context, window
// and class. Safe with any handle null; each failed release is reported and the rest goes on.
void DestroyDemoWindow();

// Sets the viewport to width x height pixels and a 45-degree perspective of that aspect ratio.
void ResizeScene(int width, int height);

LRESULT CALLBACK DemoWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
