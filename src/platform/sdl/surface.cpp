// Window surfaces as SDL windows, their OpenGL contexts as SDL's, and the buffer swap.
//
// An SDL window takes its X visual, and so its pixel format, when it is created: a new surface is
// made with the format the program's usual request gets (the deepest depth buffer of 32 bits or
// less there is), and remade, while still hidden, when another format is set on it. Whether the
// driver has a format is learnt the first time a window is made with it.
#include "sdl_backend.h"

#include <algorithm>

namespace {

const int Depths[] = {32, 24, 16, 0};  // every format here is double-buffered true colour

enum class Support : char { Unknown, Yes, No };
Support DepthSupport[4];  // in the order of Depths

Support& SupportOf(int depthBits) {
    return DepthSupport[std::find(Depths, Depths + 4, depthBits) - Depths];
}

// SDL's OpenGL attributes for a format; they apply to the next window or context made.
void SetFormatAttributes(int depthBits) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// A hidden SDL window of the surface's shape with a format's attributes, in the display mode when
// the surface is fullscreen. Null when SDL refuses those attributes.
SDL_Window* CreateSdlWindow(const SurfaceRequest& shape, const char* title, int depthBits) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!shape.framed) flags |= SDL_WINDOW_BORDERLESS;
    if (shape.resizable) flags |= SDL_WINDOW_RESIZABLE;
    SetFormatAttributes(depthBits);
    // SDL cannot make a window of no pixels; the core keeps the size that was asked for.
    SDL_Window* sdl = SDL_CreateWindow(title, shape.x, shape.y, std::max(1, shape.width),
                                       std::max(1, shape.height), flags);
    SupportOf(depthBits) = sdl != nullptr ? Support::Yes : Support::No;
    if (sdl != nullptr && shape.fullscreen) {
        SDL_SetWindowDisplayMode(sdl, &Sdl().mode);
        SDL_SetWindowFullscreen(sdl, Sdl().fullscreenKind);
    }
    return sdl;
}

template <typename Record>
Record* Keep(std::vector<std::unique_ptr<Record>>& records, Record value) {
    records.push_back(std::make_unique<Record>(value));
    return records.back().get();
}

template <typename Record>
void Forget(std::vector<std::unique_ptr<Record>>& records, Record* record) {
    records.erase(std::find_if(records.begin(), records.end(),
                               [record](const auto& entry) { return entry.get() == record; }));
}

}  // namespace

bool BackendOffersDepth(int depthBits) {
    Support& support = SupportOf(depthBits);
    if (support == Support::Unknown) {  // asked of the driver with a hidden window
        SetFormatAttributes(depthBits);
        SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        support = probe != nullptr ? Support::Yes : Support::No;
        if (probe != nullptr) SDL_DestroyWindow(probe);
    }
    return support == Support::Yes;
}

BackendSurface* BackendCreateSurface(const SurfaceRequest& request) {
    for (int depthBits : Depths) {
        if (SupportOf(depthBits) == Support::No) continue;
        SDL_Window* sdl = CreateSdlWindow(request, request.title, depthBits);
        if (sdl == nullptr) continue;
        BackendSurface* surface = Keep(Sdl().surfaces, BackendSurface{sdl, SDL_GetWindowID(sdl),
                                                                      request.window, request,
                                                                      depthBits});
        surface->shape.title = nullptr;
        return surface;
    }
    return nullptr;
}

bool BackendSetSurfaceDepth(BackendSurface* surface, int depthBits) {
    if (surface->sdl == nullptr) return false;
    if (surface->depthBits == depthBits) return true;
    SDL_Window* sdl = CreateSdlWindow(surface->shape, SDL_GetWindowTitle(surface->sdl), depthBits);
    if (sdl == nullptr) return false;
    SDL_DestroyWindow(surface->sdl);
    surface->sdl = sdl;
    surface->sdlId = SDL_GetWindowID(sdl);
    surface->depthBits = depthBits;
    return true;
}

void BackendShowSurface(BackendSurface* surface) {
    if (surface->sdl != nullptr) SDL_ShowWindow(surface->sdl);  // fullscreen: the mode switches
}

void BackendRaiseSurface(BackendSurface* surface) {
    if (surface->sdl == nullptr) return;
    SDL_RaiseWindow(surface->sdl);
    SDL_SetWindowInputFocus(surface->sdl);
    Sdl().raised = surface;
}

void BackendDestroySurface(BackendSurface* surface) {
    if (surface->sdl != nullptr) SDL_DestroyWindow(surface->sdl);  // also ends its display mode
    if (Sdl().raised == surface) Sdl().raised = nullptr;
    Forget(Sdl().surfaces, surface);
}

BackendContext* BackendCreateContext(BackendSurface* surface) {
    if (surface->sdl == nullptr) return nullptr;
    SetFormatAttributes(surface->depthBits);
    SDL_GLContext sdl = SDL_GL_CreateContext(surface->sdl);  // and makes it current
    if (sdl == nullptr) return nullptr;
    return Keep(Sdl().contexts, BackendContext{sdl});
}

bool BackendMakeCurrent(BackendSurface* surface, BackendContext* context) {
    if (context == nullptr) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    if (surface->sdl == nullptr || context->sdl == nullptr) return false;
    return SDL_GL_MakeCurrent(surface->sdl, context->sdl) == 0;
}

void BackendDeleteContext(BackendContext* context) {
    if (context->sdl != nullptr) SDL_GL_DeleteContext(context->sdl);
    Forget(Sdl().contexts, context);
}

bool BackendSwapBuffers(BackendSurface* surface) {
    if (surface->sdl == nullptr) return false;
    SDL_GL_SwapWindow(surface->sdl);
    return true;
}
