// The canvas as the program's window, the fixed-function layer's contexts on it, and the buffer
// swap, where the program's own loop gives the browser its turn: the page presents the frame,
// runs its events and the sound output's timer, and the loop goes on at the next animation frame
// (or at once, with pacing=off). Until the user's click that starts the show, the loop waits at
// its second swap, with the clock held meanwhile.
#include "web_backend.h"

#include <emscripten.h>

#include <algorithm>

namespace {

const long FramesBeforeStart = 2;

// clang-format off
// Makes the canvas width x height pixels; a WebGL context made after this draws at that size.
EM_JS(void, SizeCanvas, (int width, int height), {
    var canvas = Module.canvas;
    if (!canvas) return;
    canvas.width = Math.max(1, width);
    canvas.height = Math.max(1, height);
});

// True once the page has been told to start the show (its click, or Play again).
EM_JS(int, ShowStarted, (), {
    return !Module.veskopStart || Module.veskopStart.done ? 1 : 0;
});

// While the show waits for its start, its music waits too, whatever the browser allows: the
// sound output's clock stands still, and nothing is mixed.
EM_JS(void, HoldSound, (int held), {
    var output = Module.veskopSoundOutput;
    if (!output) return;
    output.held = !!held;
    if (held) output.context.suspend(); else output.context.resume();
});

// Returns to the browser and resumes at the next animation frame (unpaced: at the next turn of
// its task queue, without waiting for a frame), or, with forStart, once the page says start.
// An exit of the program inside the resumed code ends as an ExitStatus thrown up to here: the
// page has heard the status already (onExit), so nothing is left to report.
EM_JS(void, YieldToPage, (int unpaced, int forStart), {
    return Asyncify.handleSleep(function(wakeUp) {
        function resume() {
            try {
                wakeUp();
            } catch (error) {
                if (!(error instanceof ExitStatus)) throw error;
            }
        }
        if (forStart) {
            Module.veskopStart.then(resume);
        } else if (unpaced) {
            var channel = Module.veskopChannel;
            if (!channel) {
                channel = Module.veskopChannel = new MessageChannel();
                channel.port1.onmessage = function() { channel.resume(); };
            }
            channel.resume = resume;
            channel.port2.postMessage(0);
        } else {
            requestAnimationFrame(resume);
        }
    });
});
// clang-format on

template <typename Record>
void Forget(std::vector<std::unique_ptr<Record>>& records, Record* record) {
    records.erase(std::find_if(records.begin(), records.end(),
                               [record](const auto& entry) { return entry.get() == record; }));
}

}  // namespace

// WebGL's drawing buffer has a 24-bit depth buffer, which is what a 32-bit request gets.
bool BackendOffersDepth(int depthBits) { return depthBits == 24; }

BackendSurface* BackendCreateSurface(const SurfaceRequest& request) {
    SizeCanvas(request.width, request.height);
    auto& surfaces = Web().surfaces;
    surfaces.push_back(std::make_unique<BackendSurface>(BackendSurface{request.window,
                                                                       request.fullscreen}));
    return surfaces.back().get();
}

bool BackendSetSurfaceDepth(BackendSurface*, int depthBits) { return depthBits == 24; }

void BackendShowSurface(BackendSurface* surface) { ShowCanvas(surface->fullscreen); }

void BackendRaiseSurface(BackendSurface* surface) { Web().focused = surface; }

void BackendDestroySurface(BackendSurface* surface) {
    WebState& web = Web();
    if (surface->fullscreen) LeaveFullscreen();  // its display mode ends with it
    if (web.focused == surface) web.focused = nullptr;
    Forget(web.surfaces, surface);
}

BackendContext* BackendCreateContext(BackendSurface*) {
    LayerContext* layer = CreateFixedFunctionContext(CanvasSelector);
    if (layer == nullptr) return nullptr;
    auto& contexts = Web().contexts;
    contexts.push_back(std::make_unique<BackendContext>(BackendContext{layer}));
    return contexts.back().get();
}

bool BackendMakeCurrent(BackendSurface*, BackendContext* context) {
    return MakeFixedFunctionContextCurrent(context != nullptr ? context->layer : nullptr);
}

void BackendDeleteContext(BackendContext* context) {
    DeleteFixedFunctionContext(context->layer);
    Forget(Web().contexts, context);
}

bool BackendSwapBuffers(BackendSurface*) {
    WebState& web = Web();
    web.framesPresented++;
    // The first frame is drawn at the show's time zero, where it shows nothing yet; the second
    // is its first picture, which the page shows under "click to start".
    if (web.framesPresented >= FramesBeforeStart && !ShowStarted()) {
        PauseClock();
        HoldSound(1);
        YieldToPage(0, 1);
        HoldSound(0);
        ResumeClock();
    }
    YieldToPage(FramesUnpaced() ? 1 : 0, 0);
    return true;
}
