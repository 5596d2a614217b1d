// The web set's own records, shared by its files: the surfaces (every window of the program is
// the page's one canvas), the rendering contexts (the fixed-function layer's, on that canvas),
// the frames presented, and what each file offers the others. Internal to the set; the core sees
// backend.h, and the page what packaging/web/veskop_page.js says it gives the program.
#ifndef VESKOP_PLATFORM_WEB_BACKEND_H
#define VESKOP_PLATFORM_WEB_BACKEND_H

#include "backend.h"
#include "fixed_function_context.h"

#include <memory>
#include <vector>

// The canvas the page gives the program, as a CSS selector; the page replaces it with a fresh
// one for every show, so no WebGL context outlives its program.
const char CanvasSelector[] = "#canvas";

struct BackendSurface {
    HWND window;
    bool fullscreen;  // covers the display mode: shown, it fills the screen
};

struct BackendContext {
    LayerContext* layer;  // owned; deleted with the record
};

struct WebState {
    std::vector<std::unique_ptr<BackendSurface>> surfaces;  // live ones
    std::vector<std::unique_ptr<BackendContext>> contexts;
    BackendSurface* focused = nullptr;  // raised last: the keys are its
    bool displayOpen = false;
    long framesPresented = 0;  // buffer swaps so far
};

WebState& Web();

// The display (display.cpp): shows the canvas fullscreen (1) or in the page (0), and leaves
// fullscreen on the program's own account.
extern "C" void ShowCanvas(int fullscreen);
extern "C" void LeaveFullscreen();

// The input (input.cpp): starts listening to the page's keys, focus and fullscreen changes.
void ListenToPage();

// The clock (clock.cpp). Time the page spends waiting for the user's click to start the show
// is not counted: the show's time zero is at the click.
void PauseClock();
void ResumeClock();
// Whether the page's address asks for frames back to back (pacing=off) instead of one per
// animation frame of the browser.
bool FramesUnpaced();

#endif
