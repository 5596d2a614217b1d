// Surfaces, OpenGL contexts without a display, and the buffer swap, which is where a frame leaves
// the program: it is read back, handed to the capture's sink, and the clock moves on.
//
// The contexts are Mesa's EGL on its surfaceless platform, compatibility profile (the program
// draws in immediate mode and with display lists). Each draws into a framebuffer object of the
// capture's size with a 32-bit depth buffer, as the program's pixel format asks (24 bits where the
// driver has no 32-bit one).
#include "capture_backend.h"

#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

EGLDisplay Display = EGL_NO_DISPLAY;
bool DisplayTried = false;

struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
};
FramebufferCalls Calls;

template <typename Function>
bool Load(Function* function, const char* name) {
    *function = reinterpret_cast<Function>(eglGetProcAddress(name));
    return *function != nullptr;
}

bool LoadFramebufferCalls() {
    return Load(&Calls.genFramebuffers, "glGenFramebuffers") &&
           Load(&Calls.bindFramebuffer, "glBindFramebuffer") &&
           Load(&Calls.genRenderbuffers, "glGenRenderbuffers") &&
           Load(&Calls.bindRenderbuffer, "glBindRenderbuffer") &&
           Load(&Calls.renderbufferStorage, "glRenderbufferStorage") &&
           Load(&Calls.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
           Load(&Calls.checkFramebufferStatus, "glCheckFramebufferStatus");
}

void Complain(const char* what) {
    std::fprintf(stderr, "OpenGL without a display: %s (EGL error 0x%x)\n", what, eglGetError());
}

// The surfaceless display, opened once for the whole process.
bool OpenEglDisplay() {
    if (DisplayTried) return Display != EGL_NO_DISPLAY;
    DisplayTried = true;
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions == nullptr || std::strstr(extensions, "EGL_MESA_platform_surfaceless") == nullptr) {
        Complain("EGL has no surfaceless platform (Mesa's libegl-mesa0 is needed)");
        return false;
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display = getPlatformDisplay != nullptr
                             ? getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY,
                                                  nullptr)
                             : EGL_NO_DISPLAY;
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) {
        Complain("the surfaceless display does not open");
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API) || !LoadFramebufferCalls()) {
        Complain("EGL offers no desktop OpenGL with framebuffer objects");
        eglTerminate(display);
        return false;
    }
    Display = display;
    return true;
}

bool MakeEglCurrent(BackendContext* context) {
    return eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE,
                          context != nullptr ? context->egl : EGL_NO_CONTEXT) == EGL_TRUE;
}

// In the current context: the framebuffer the program draws into, left bound.
bool CreateFramebuffer(BackendContext* context, int width, int height) {
    Calls.genFramebuffers(1, &context->framebuffer);
    Calls.bindFramebuffer(GL_FRAMEBUFFER, context->framebuffer);
    GLuint buffers[2];
    Calls.genRenderbuffers(2, buffers);
    context->colorBuffer = buffers[0];
    context->depthBuffer = buffers[1];
    Calls.bindRenderbuffer(GL_RENDERBUFFER, context->colorBuffer);
    Calls.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    Calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  context->colorBuffer);
    for (GLenum depthFormat : {GLenum(GL_DEPTH_COMPONENT32), GLenum(GL_DEPTH_COMPONENT24)}) {
        Calls.bindRenderbuffer(GL_RENDERBUFFER, context->depthBuffer);
        Calls.renderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
        Calls.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                      context->depthBuffer);
        if (Calls.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
            Calls.bindRenderbuffer(GL_RENDERBUFFER, 0);
            glViewport(0, 0, width, height);
            return true;
        }
    }
    return false;
}

// Reads the current context's framebuffer into pixels: RGBA, top row first. False when no
// context is current.
bool ReadCurrentFrame(std::vector<std::uint8_t>* pixels) {
    if (Capture().current == nullptr) return false;
    const CaptureSettings& settings = Capture().settings;
    const size_t rowBytes = static_cast<size_t>(settings.width) * 4;
    static std::vector<std::uint8_t> bottomUp;  // reused from frame to frame
    bottomUp.resize(rowBytes * static_cast<size_t>(settings.height));
    pixels->resize(bottomUp.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);  // RGBA rows are whole words anyway
    glReadPixels(0, 0, settings.width, settings.height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int row = 0; row < settings.height; row++) {
        std::memcpy(pixels->data() + rowBytes * static_cast<size_t>(row),
                    bottomUp.data() + rowBytes * static_cast<size_t>(settings.height - 1 - row),
                    rowBytes);
    }
    return true;
}

}  // namespace

// One pixel format: RGBA with a depth buffer, double-buffered in the program's eyes (the frame
// it draws is seen only when it swaps).
bool BackendOffersDepth(int depthBits) { return depthBits == 32; }

BackendSurface* BackendCreateSurface(const SurfaceRequest& request) {
    auto& surfaces = Capture().surfaces;
    surfaces.push_back(std::make_unique<BackendSurface>(BackendSurface{request.window, false}));
    return surfaces.back().get();
}

bool BackendSetSurfaceDepth(BackendSurface*, int depthBits) { return depthBits == 32; }

// Every window counts as shown and active from the start.
void BackendShowSurface(BackendSurface*) {}

void BackendRaiseSurface(BackendSurface*) {}

template <typename Record>
void Forget(std::vector<std::unique_ptr<Record>>& records, Record* record) {
    records.erase(std::find_if(records.begin(), records.end(),
                               [record](const auto& entry) { return entry.get() == record; }));
}

void BackendDestroySurface(BackendSurface* surface) { Forget(Capture().surfaces, surface); }

BackendContext* BackendCreateContext(BackendSurface*) {
    if (!OpenEglDisplay()) return nullptr;
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(Display, wanted, &config, 1, &configs) || configs == 0) config = nullptr;
    EGLContext egl = eglCreateContext(Display, config, EGL_NO_CONTEXT, nullptr);
    if (egl == EGL_NO_CONTEXT) {
        Complain("no OpenGL context");
        return nullptr;
    }
    // The framebuffer is made in the new context; the current one is then put back.
    BackendContext context = {egl, 0, 0, 0};
    const CaptureSettings& settings = Capture().settings;
    eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl);
    bool made = CreateFramebuffer(&context, settings.width, settings.height);
    MakeEglCurrent(Capture().current);
    if (!made) {
        Complain("no framebuffer of the capture's size with a depth buffer");
        eglDestroyContext(Display, egl);
        return nullptr;
    }
    auto& contexts = Capture().contexts;
    contexts.push_back(std::make_unique<BackendContext>(context));
    return contexts.back().get();
}

bool BackendMakeCurrent(BackendSurface*, BackendContext* context) {
    if (context == nullptr && Display == EGL_NO_DISPLAY) return true;  // nothing was ever current
    if (!MakeEglCurrent(context)) return false;
    Capture().current = context;
    return true;
}

void BackendDeleteContext(BackendContext* context) {
    if (Capture().current == context) BackendMakeCurrent(nullptr, nullptr);
    eglDestroyContext(Display, context->egl);  // its framebuffer goes with it
    Forget(Capture().contexts, context);
}

bool BackendSwapBuffers(BackendSurface*) {
    static std::vector<std::uint8_t> pixels;  // reused from frame to frame
    CaptureState& capture = Capture();
    if (!ReadCurrentFrame(&pixels)) return false;
    const CaptureSettings& settings = capture.settings;
    CapturedFrame frame = {capture.framesPresented, settings.width, settings.height, pixels.data()};
    if (settings.sink != nullptr) settings.sink(frame);
    capture.framesPresented++;
    return true;
}
