// The demo's own scenes (the real InitScene and DrawFrame, with data/'s images and the compiled-in
// meshes) drawn on the fixed-function layer in a page of their own, on a frame clock, so that
// each picture can be set beside Mesa's of the same moment.
//
// Until the page has its platform backend, the one Win32 call that the demo code makes is provided
// here: the tick count, of the frame clock.
#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <emscripten.h>

#include "demo/scene_setup.h"
#include "demo/timeline.h"
#include "fixed_function_context.h"

namespace {

const int Width = 640;
const int Height = 480;

DWORD Tick = 0;       // ms, what GetTickCount returns now
DWORD StartTick = 0;  // ms, the tick count when the set-up ran

// clang-format off
// Keeps the canvas's picture of the frame just drawn, as a PNG data URL, before the browser
// presents (and so clears) the drawing buffer.
EM_JS(void, KeepFrame, (int frame), {
    Module.keptFrames[frame] = Module.canvas.toDataURL('image/png');
});

// clang-format on

}  // namespace

extern "C" {

DWORD WINAPI GetTickCount(void) { return Tick; }

// Draws the show as a machine drawing exactly fps frames a second would: the set-up at tick
// startTick, frame n at startTick + n * 1000 / fps ms (frame 0 at time zero). The frames listed
// in keep (count of them, rising) are kept in Module.keptFrames. Returns 0 when the page gives
// no WebGL 2, 1 otherwise. Runs once per page: the demo's state is not made new.
EMSCRIPTEN_KEEPALIVE int RenderShowFrames(unsigned startTick, int fps, const int* keep, int count) {
    LayerContext* context = CreateFixedFunctionContext("#canvas");
    if (context == nullptr || !MakeFixedFunctionContextCurrent(context)) return 0;
    // What the window's creation does before the set-up (ResizeScene for 640x480).
    glViewport(0, 0, Width, Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(Width) / Height, double(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Tick = StartTick = startTick;
    InitScene();
    for (int frame = 0, next = 0; next < count; frame++) {
        Tick = static_cast<DWORD>(startTick + static_cast<unsigned long long>(frame) * 1000 / fps);
        DrawFrame();
        if (frame == keep[next]) KeepFrame(keep[next++]);
    }
    return 1;
}

// After RenderShowFrames: draws count more frames, all at elapsed ms into the show, for
// measuring a scene's frame rate.
EMSCRIPTEN_KEEPALIVE void DrawFramesAt(int elapsed, int count) {
    Tick = StartTick + static_cast<DWORD>(elapsed);
    for (int i = 0; i < count; i++) DrawFrame();
}

}  // extern "C"

int main() { return 0; }
