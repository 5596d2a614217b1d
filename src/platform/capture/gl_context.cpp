// OpenGL rendering contexts without a display: Mesa's EGL on its surfaceless platform, with a
// compatibility-profile context (the program draws in immediate mode and with display lists).
// Each context draws into a framebuffer object of the capture's size, with a 32-bit depth buffer
// as the program's pixel format asks (24 bits where the driver has no 32-bit one).
#include "capture_state.h"

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
bool OpenDisplay() {
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

void MakeCurrentOrRelease(HGLRC__* context) {
    eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE,
                   context != nullptr ? context->egl : EGL_NO_CONTEXT);
}

// In the current context: the framebuffer the program draws into, left bound.
bool CreateFramebuffer(HGLRC__* context, int width, int height) {
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

void ReleaseCurrent() {
    CaptureState& state = State();
    if (Display != EGL_NO_DISPLAY) MakeCurrentOrRelease(nullptr);
    state.currentContext = nullptr;
    state.currentDC = nullptr;
}

}  // namespace

void ForgetCurrentOn(HDC__* dc) {
    if (State().currentDC == dc) ReleaseCurrent();
}

bool ReadCurrentFrame(std::vector<std::uint8_t>* pixels) {
    CaptureState& state = State();
    if (state.currentContext == nullptr) return false;
    const int width = state.settings.width;
    const int height = state.settings.height;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    static std::vector<std::uint8_t> bottomUp;
    bottomUp.resize(rowBytes * static_cast<size_t>(height));
    pixels->resize(bottomUp.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);  // RGBA rows are whole words anyway
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    for (int row = 0; row < height; row++) {
        std::memcpy(pixels->data() + rowBytes * static_cast<size_t>(row),
                    bottomUp.data() + rowBytes * static_cast<size_t>(height - 1 - row), rowBytes);
    }
    return true;
}

extern "C" {

HGLRC WINAPI wglCreateContext(HDC handle) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || dc->pixelFormat == 0 || !OpenDisplay()) return nullptr;
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(Display, wanted, &config, 1, &configs) || configs == 0) config = nullptr;
    EGLContext egl = eglCreateContext(Display, config, EGL_NO_CONTEXT, nullptr);
    if (egl == EGL_NO_CONTEXT) {
        Complain("no OpenGL context");
        return nullptr;
    }
    auto record = std::make_unique<HGLRC__>();
    record->egl = egl;
    // The framebuffer is made in the new context; the current one is then put back, as
    // wglCreateContext leaves it.
    CaptureState& state = State();
    eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl);
    bool made = CreateFramebuffer(record.get(), state.settings.width, state.settings.height);
    MakeCurrentOrRelease(state.currentContext);
    if (!made) {
        Complain("no framebuffer of the capture's size with a depth buffer");
        eglDestroyContext(Display, egl);
        return nullptr;
    }
    HGLRC__* context = record.get();
    state.contexts.push_back(std::move(record));
    return context;
}

BOOL WINAPI wglMakeCurrent(HDC handle, HGLRC contextHandle) {
    if (contextHandle == nullptr) {  // the device context does not matter then
        ReleaseCurrent();
        return TRUE;
    }
    HDC__* dc = FindDeviceContext(handle);
    HGLRC__* context = FindContextRecord(contextHandle);
    if (dc == nullptr || context == nullptr || dc->pixelFormat == 0) return FALSE;
    if (!eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE, context->egl)) return FALSE;
    CaptureState& state = State();
    state.currentContext = context;
    state.currentDC = dc;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC contextHandle) {
    HGLRC__* context = FindContextRecord(contextHandle);
    if (context == nullptr) return FALSE;
    CaptureState& state = State();
    if (state.currentContext == context) ReleaseCurrent();
    eglDestroyContext(Display, context->egl);  // its framebuffer goes with it
    auto& contexts = state.contexts;
    contexts.erase(std::find_if(contexts.begin(), contexts.end(),
                                [context](const auto& entry) { return entry.get() == context; }));
    return TRUE;
}

}  // extern "C"
