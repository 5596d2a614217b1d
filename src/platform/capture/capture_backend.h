// The capture set's own records, shared by its files: the settings, the surfaces (a window here
// has no pixels of its own: it covers the capture's display) and the rendering contexts, which
// draw into framebuffer objects of the display's size. Internal to the set; the core sees
// backend.h, the capture program capture_platform.h.
#ifndef VESKOP_PLATFORM_CAPTURE_BACKEND_H
#define VESKOP_PLATFORM_CAPTURE_BACKEND_H

#include "backend.h"
#include "capture_platform.h"

#include <EGL/egl.h>

#include <memory>
#include <vector>

struct BackendSurface {
    HWND window;
    bool sizeReported;  // the window has heard that it covers the display
};

// An OpenGL context of its own with a framebuffer object that stands in for the window's buffers:
// the program draws into it, the buffer swap reads it back.
struct BackendContext {
    EGLContext egl;
    unsigned framebuffer;  // GL names, in `egl`
    unsigned colorBuffer;
    unsigned depthBuffer;
};

struct CaptureState {
    CaptureSettings settings;
    long framesPresented = 0;
    std::vector<std::unique_ptr<BackendSurface>> surfaces;  // live ones
    std::vector<std::unique_ptr<BackendContext>> contexts;
    BackendContext* current = nullptr;  // made current last, or null
};

CaptureState& Capture();

#endif
