// The SDL set's own records, shared by its files: the surfaces and contexts it made (so that the
// exit-time clean-up can give the display back its mode), the display mode a fullscreen surface
// takes, and the process's close signals. Internal to the set; the core sees backend.h.
#ifndef VESKOP_PLATFORM_SDL_BACKEND_H
#define VESKOP_PLATFORM_SDL_BACKEND_H

#include "backend.h"

#include <SDL.h>

#include <memory>
#include <vector>

struct BackendSurface {
    SDL_Window* sdl;  // null once the exit-time clean-up destroyed it
    Uint32 sdlId;     // SDL's id of `sdl`, to route its events to `window`
    HWND window;
    SurfaceRequest shape;  // as asked for; shape.title is not kept
    int depthBits;         // of the pixel format `sdl` was created with
};

struct BackendContext {
    SDL_GLContext sdl;  // null once the exit-time clean-up deleted it
};

struct SdlState {
    std::vector<std::unique_ptr<BackendSurface>> surfaces;  // live ones
    std::vector<std::unique_ptr<BackendContext>> contexts;
    BackendSurface* raised = nullptr;  // raised last: it has the keyboard
    SDL_DisplayMode mode = {};  // the mode BackendEnterMode found, for fullscreen surfaces
    // How a fullscreen surface takes the display: SDL_WINDOW_FULLSCREEN switches to `mode` (and
    // back when it goes); SDL_WINDOW_FULLSCREEN_DESKTOP covers the display as it is, when its
    // mode is already the one asked for.
    Uint32 fullscreenKind = SDL_WINDOW_FULLSCREEN;
    bool cursorShown = true;    // the core's display counter is 0 or more
    bool videoTried = false;
    bool videoReady = false;
};

SdlState& Sdl();

// Whether DISPLAY or WAYLAND_DISPLAY names a display to show windows and dialogs on.
bool HasDisplay();

// Signals (input.cpp). Installs (once) the handlers that turn SIGINT, SIGTERM and SIGHUP into
// close requests, and ignores SIGPIPE.
void InstallSignalHandling();
// Tells the signal handling whether a fullscreen mode change is in effect.
void NoteDisplayModeChanged(bool changed);
// Tells the signal handling that a message box waits for the user (the program's own loop, which
// takes close requests, does not run meanwhile).
void NoteMessageBoxShowing(bool showing);

#endif
