// Device contexts and pixel formats, rendering contexts, and the buffer swap.
//
// The pixel formats are double-buffered true colour with depth buffers of 32, 24, 16 and 0 bits,
// as far as the set offers them. ChoosePixelFormat gives the closest match, as Windows does: the
// deepest depth buffer up to the one asked for, else the shallowest deeper one.
#include "core.h"

#include <algorithm>

namespace {

const int FormatDepths[] = {32, 24, 16, 0};  // format n has FormatDepths[n - 1]
const int FormatCount = sizeof(FormatDepths) / sizeof(FormatDepths[0]);

int DepthOf(int format) { return FormatDepths[format - 1]; }

void ReleaseCurrent() {
    CoreState& core = Core();
    BackendMakeCurrent(nullptr, nullptr);
    core.currentContext = nullptr;
    core.currentDC = nullptr;
}

}  // namespace

void ForgetCurrentOn(HDC__* dc) {
    if (Core().currentDC == dc) ReleaseCurrent();
}

extern "C" {

HDC WINAPI GetDC(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    return window != nullptr ? &window->dc : nullptr;  // no screen device context here
}

int WINAPI ReleaseDC(HWND handle, HDC dc) {
    // A window's own device context stays valid; releasing it only checks that it is that one.
    HWND__* window = FindWindowRecord(handle);
    return window != nullptr && dc == &window->dc ? 1 : 0;
}

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (FindDeviceContext(dc) == nullptr || descriptor == nullptr) return 0;
    if ((descriptor->dwFlags & PFD_SUPPORT_OPENGL) == 0 || descriptor->iPixelType != PFD_TYPE_RGBA) {
        return 0;
    }
    const int asked = descriptor->cDepthBits;
    for (int format = 1; format <= FormatCount; format++) {  // deepest first
        if (DepthOf(format) <= asked && BackendOffersDepth(DepthOf(format))) return format;
    }
    for (int format = FormatCount; format >= 1; format--) {
        if (DepthOf(format) > asked && BackendOffersDepth(DepthOf(format))) return format;
    }
    return 0;
}

BOOL WINAPI SetPixelFormat(HDC handle, int format, const PIXELFORMATDESCRIPTOR*) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || format < 1 || format > FormatCount) return FALSE;
    if (dc->pixelFormat != 0) return dc->pixelFormat == format;  // a window's format is set once
    if (!BackendSetSurfaceDepth(dc->window->surface, DepthOf(format))) return FALSE;
    dc->pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC handle) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || dc->pixelFormat == 0) return FALSE;
    return BackendSwapBuffers(dc->window->surface) ? TRUE : FALSE;
}

HGLRC WINAPI wglCreateContext(HDC handle) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || dc->pixelFormat == 0) return nullptr;
    BackendContext* context = BackendCreateContext(dc->window->surface);
    if (context == nullptr) return nullptr;
    // A set may leave the new context current, where Windows leaves the current one as it was:
    // the program makes every context current as soon as it has made it.
    auto& contexts = Core().contexts;
    contexts.push_back(std::make_unique<HGLRC__>(HGLRC__{context, dc->pixelFormat}));
    return contexts.back().get();
}

BOOL WINAPI wglMakeCurrent(HDC handle, HGLRC contextHandle) {
    if (contextHandle == nullptr) {  // the device context does not matter then
        ReleaseCurrent();
        return TRUE;
    }
    HDC__* dc = FindDeviceContext(handle);
    HGLRC__* context = FindContextRecord(contextHandle);
    if (dc == nullptr || context == nullptr || dc->pixelFormat != context->pixelFormat) return FALSE;
    if (!BackendMakeCurrent(dc->window->surface, context->context)) return FALSE;
    CoreState& core = Core();
    core.currentContext = context;
    core.currentDC = dc;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC handle) {
    HGLRC__* context = FindContextRecord(handle);
    if (context == nullptr) return FALSE;
    CoreState& core = Core();
    if (core.currentContext == context) ReleaseCurrent();
    BackendDeleteContext(context->context);
    auto& contexts = core.contexts;
    contexts.erase(std::find_if(contexts.begin(), contexts.end(),
                                [context](const auto& entry) { return entry.get() == context; }));
    return TRUE;
}

}  // extern "C"
