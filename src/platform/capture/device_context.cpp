// Device contexts, the one pixel format there is, and the buffer swap, which is where a frame
// leaves the program: it is read back, handed to the capture's sink, and the clock moves on.
#include "capture_state.h"

namespace {

// RGBA with a depth buffer, double-buffered in the program's eyes: the frame it draws is seen
// only when it swaps.
const int OnlyFormat = 1;

std::vector<std::uint8_t> FramePixels;  // reused from frame to frame

}  // namespace

extern "C" {

HDC WINAPI GetDC(HWND handle) {
    HWND__* window = FindWindowRecord(handle);
    return window != nullptr ? &window->dc : nullptr;
}

int WINAPI ReleaseDC(HWND window, HDC handle) {
    HDC__* dc = FindDeviceContext(handle);
    return dc != nullptr && dc->window == window ? 1 : 0;
}

int WINAPI ChoosePixelFormat(HDC handle, const PIXELFORMATDESCRIPTOR* descriptor) {
    if (FindDeviceContext(handle) == nullptr || descriptor == nullptr) return 0;
    if ((descriptor->dwFlags & PFD_SUPPORT_OPENGL) == 0) return 0;
    if (descriptor->iPixelType != PFD_TYPE_RGBA) return 0;
    return OnlyFormat;
}

BOOL WINAPI SetPixelFormat(HDC handle, int format, const PIXELFORMATDESCRIPTOR*) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || format != OnlyFormat) return FALSE;
    dc->pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC handle) {
    CaptureState& state = State();
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || state.currentDC != dc || !ReadCurrentFrame(&FramePixels)) return FALSE;
    const CaptureSettings& settings = state.settings;
    CapturedFrame frame = {state.framesPresented, settings.width, settings.height,
                           FramePixels.data()};
    if (settings.sink != nullptr) settings.sink(frame);
    state.framesPresented++;
    return TRUE;
}

}  // extern "C"
