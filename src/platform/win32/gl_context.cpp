// OpenGL rendering contexts over SDL's: creation for a device context's pixel format, making
// current, deletion. A context can be current on any window of its pixel format.
#include "sdl_state.h"

#include <algorithm>

namespace {

// SDL makes a context current when it creates it; Windows leaves the current one as it was.
void RestoreCurrent() {
    StandInState& state = State();
    if (state.currentContext != nullptr && state.currentDC != nullptr) {
        SDL_GL_MakeCurrent(state.currentDC->window->sdl, state.currentContext->sdl);
    } else {
        SDL_GL_MakeCurrent(nullptr, nullptr);
    }
}

void ReleaseCurrent() {
    StandInState& state = State();
    SDL_GL_MakeCurrent(nullptr, nullptr);
    state.currentContext = nullptr;
    state.currentDC = nullptr;
}

}  // namespace

void ForgetCurrentOn(HDC__* dc) {
    if (State().currentDC == dc) ReleaseCurrent();
}

extern "C" {

HGLRC WINAPI wglCreateContext(HDC handle) {
    HDC__* dc = FindDeviceContext(handle);
    if (dc == nullptr || dc->pixelFormat == 0 || dc->window->sdl == nullptr) return nullptr;
    SetFormatAttributes(dc->pixelFormat);
    SDL_GLContext sdl = SDL_GL_CreateContext(dc->window->sdl);
    RestoreCurrent();
    if (sdl == nullptr) return nullptr;
    auto record = std::make_unique<HGLRC__>();
    record->sdl = sdl;
    record->pixelFormat = dc->pixelFormat;
    HGLRC__* context = record.get();
    State().contexts.push_back(std::move(record));
    return context;
}

BOOL WINAPI wglMakeCurrent(HDC handle, HGLRC contextHandle) {
    if (contextHandle == nullptr) {  // the device context does not matter then
        ReleaseCurrent();
        return TRUE;
    }
    HDC__* dc = FindDeviceContext(handle);
    HGLRC__* context = FindContextRecord(contextHandle);
    if (dc == nullptr || context == nullptr || dc->window->sdl == nullptr) return FALSE;
    if (dc->pixelFormat != context->pixelFormat) return FALSE;
    if (SDL_GL_MakeCurrent(dc->window->sdl, context->sdl) != 0) return FALSE;
    StandInState& state = State();
    state.currentContext = context;
    state.currentDC = dc;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC handle) {
    HGLRC__* context = FindContextRecord(handle);
    if (context == nullptr) return FALSE;
    StandInState& state = State();
    if (state.currentContext == context) ReleaseCurrent();
    if (context->sdl != nullptr) SDL_GL_DeleteContext(context->sdl);
    auto& contexts = state.contexts;
    contexts.erase(std::find_if(contexts.begin(), contexts.end(),
                                [context](const auto& entry) { return entry.get() == context; }));
    return TRUE;
}

}  // extern "C"
