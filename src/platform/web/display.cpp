// The display: the Fullscreen API stands in for the display mode. A fullscreen window fills the
// screen with the page's screen element (the canvas on black, its shape kept, at the mode's
// pixels); leaving the mode puts the canvas back into the page at its own size. The browser
// enters fullscreen only during a user gesture: the click that starts the show (the page asks
// for it then) or the F1 press that makes a fullscreen window again.
#include "web_backend.h"

#include <emscripten.h>

#include <cstdlib>

namespace {

// clang-format off
// The page's state of the display, shared with the input's fullscreen-change handler:
// `entered` once the screen is fullscreen, `leaving` while the program itself leaves it.
EM_JS(void, OpenPageDisplay, (), {
    Module.veskopDisplay = { entered: false, leaving: false };
});

// At the program's exit: the page gets its screen, cursor and keys back.
EM_JS(void, ReleasePageDisplay, (), {
    var display = Module.veskopDisplay;
    if (!display) return;
    if (Module.veskopInput) Module.veskopInput.remove();
    if (navigator.keyboard && navigator.keyboard.unlock) navigator.keyboard.unlock();
    if (Module.canvas) Module.canvas.style.removeProperty('cursor');
    if (display.entered && document.fullscreenElement) {
        display.leaving = true;
        document.exitFullscreen().catch(function() {});
    }
});

EM_JS(void, SetCursorShown, (int shown), {
    if (Module.canvas) Module.canvas.style.cursor = shown ? 'auto' : 'none';
});
// clang-format on

void ReleaseDisplayAtExit() {
    if (!Web().displayOpen) return;
    Web().displayOpen = false;
    ReleasePageDisplay();
}

}  // namespace

// clang-format off
// Shows the canvas as a fullscreen window or as one in the page. Before the show has started,
// the canvas waits in the page: the click that starts it asks for fullscreen. Later (F1) it is
// asked of the browser here, which grants it during the key's gesture only.
EM_JS(void, ShowCanvas, (int fullscreen), {
    var screen = Module.veskopScreen;
    if (!screen) return;
    var started = !Module.veskopStart || Module.veskopStart.done;
    var gesture = !navigator.userActivation || navigator.userActivation.isActive;
    if (fullscreen && started && gesture && document.fullscreenElement !== screen &&
        screen.requestFullscreen) {
        screen.requestFullscreen().catch(function() {});
    }
});

// Leaves fullscreen on the program's own account: not to be taken for the user's Escape.
EM_JS(void, LeaveFullscreen, (), {
    var display = Module.veskopDisplay;
    if (!display || !document.fullscreenElement) return;
    display.leaving = true;
    document.exitFullscreen().catch(function() {});
});
// clang-format on

WebState& Web() {
    static WebState web;
    return web;
}

bool BackendOpenDisplay() {
    WebState& web = Web();
    if (web.displayOpen) return true;
    OpenPageDisplay();
    ListenToPage();
    std::atexit(ReleaseDisplayAtExit);
    web.displayOpen = true;
    return true;
}

// The canvas is scaled to the screen by the browser, so every mode is offered.
bool BackendEnterMode(int, int) { return true; }

void BackendLeaveMode() {
    for (auto& surface : Web().surfaces) surface->fullscreen = false;
    LeaveFullscreen();
}

void BackendShowCursor(bool shown) { SetCursorShown(shown ? 1 : 0); }
