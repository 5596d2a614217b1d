// Device contexts and pixel formats, and the buffer swap.
//
// The pixel formats are a fixed table of double- and single-buffered RGB formats with depth
// buffers of 32, 24, 16 and 0 bits. Whether the driver gives one is learnt the first time a window
// is created with it (SDL picks the X visual then, and refuses attributes it has no visual for).
// An SDL window takes its visual at creation, so a window whose pixel format is set to another
// format than it was created with is made again with that format, while still hidden.
#include "sdl_state.h"

namespace {

struct PixelFormatEntry {
    bool doubleBuffer;
    int depthBits;
};

const PixelFormatEntry PixelFormats[] = {
    {true, 32}, {true, 24}, {true, 16}, {true, 0},
    {false, 32}, {false, 24}, {false, 16}, {false, 0},
};
const int FormatCount = sizeof(PixelFormats) / sizeof(PixelFormats[0]);

enum class Support : char { Unknown, Yes, No };
Support FormatSupport[FormatCount];

// Asks SDL whether the driver has a visual for a format, by making a hidden window with it.
bool IsSupported(int format) {
    Support& support = FormatSupport[format - 1];
    if (support == Support::Unknown) {
        SetFormatAttributes(format);
        SDL_Window* probe =
            SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        support = probe != nullptr ? Support::Yes : Support::No;
        if (probe != nullptr) SDL_DestroyWindow(probe);
    }
    return support == Support::Yes;
}

// The formats in the order of preference for a request: the same buffering first; within it the
// deepest depth buffer up to the one asked for, then the shallowest deeper one. A closest match,
// as Windows gives.
int PreferenceOrder(bool doubleBuffer, int depthBits, int* order) {
    int count = 0;
    for (int pass = 0; pass < 2; pass++) {
        bool buffering = pass == 0 ? doubleBuffer : !doubleBuffer;
        for (int format = 1; format <= FormatCount; format++) {  // depths run deepest first
            const PixelFormatEntry& entry = PixelFormats[format - 1];
            if (entry.doubleBuffer == buffering && entry.depthBits <= depthBits) order[count++] = format;
        }
        for (int format = FormatCount; format >= 1; format--) {
            const PixelFormatEntry& entry = PixelFormats[format - 1];
            if (entry.doubleBuffer == buffering && entry.depthBits > depthBits) order[count++] = format;
        }
    }
    return count;
}

}  // namespace

void SetFormatAttributes(int format) {
    const PixelFormatEntry& entry = PixelFormats[format - 1];
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, entry.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, entry.doubleBuffer ? 1 : 0);
}

SDL_Window* CreateSdlWindow(const HWND__& window, int format) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((window.style & WS_CAPTION) == 0) flags |= SDL_WINDOW_BORDERLESS;
    if (window.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    SetFormatAttributes(format);
    // SDL cannot make a window of no pixels; the record keeps the size it was asked for.
    SDL_Window* sdl = SDL_CreateWindow(window.title.c_str(), window.x, window.y,
                                       window.clientWidth > 0 ? window.clientWidth : 1,
                                       window.clientHeight > 0 ? window.clientHeight : 1, flags);
    FormatSupport[format - 1] = sdl != nullptr ? Support::Yes : Support::No;
    if (sdl == nullptr) return nullptr;
    if (window.fullscreen) {
        SDL_SetWindowDisplayMode(sdl, &State().mode);
        SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN);
    }
    if (window.visible) SDL_ShowWindow(sdl);
    return sdl;
}

int DefaultPixelFormat(const HWND__& window, SDL_Window** created) {
    int order[FormatCount];
    int count = PreferenceOrder(true, 32, order);
    for (int i = 0; i < count; i++) {
        if (FormatSupport[order[i] - 1] == Support::No) continue;
        *created = CreateSdlWindow(window, order[i]);
        if (*created != nullptr) return order[i];
    }
    *created = nullptr;
    return 0;
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
    int order[FormatCount];
    int count = PreferenceOrder((descriptor->dwFlags & PFD_DOUBLEBUFFER) != 0,
                                descriptor->cDepthBits, order);
    for (int i = 0; i < count; i++) {
        if (IsSupported(order[i])) return order[i];
    }
    return 0;
}

BOOL WINAPI SetPixelFormat(HDC handle, int format, const PIXELFORMATDESCRIPTOR*) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || format < 1 || format > FormatCount) return FALSE;
    if (dc->pixelFormat != 0) return dc->pixelFormat == format;  // a window's format is set once
    HWND__* window = dc->window;
    if (window->sdl == nullptr) return FALSE;
    if (window->sdlFormat != format) {
        SDL_Window* sdl = CreateSdlWindow(*window, format);
        if (sdl == nullptr) return FALSE;
        SDL_DestroyWindow(window->sdl);
        window->sdl = sdl;
        window->sdlId = SDL_GetWindowID(sdl);
        window->sdlFormat = format;
    }
    dc->pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC handle) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || dc->pixelFormat == 0 || dc->window->sdl == nullptr) return FALSE;
    SDL_GL_SwapWindow(dc->window->sdl);
    return TRUE;
}

}  // extern "C"
