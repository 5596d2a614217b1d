#include "gl_context.h"

#include <SDL.h>

#include <cstdio>

TestGLContext::TestGLContext(int width, int height) : width_(width), height_(height) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "test GL context: %s\n", SDL_GetError());
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window_ = SDL_CreateWindow("veskop test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                               height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_ == nullptr) {
        std::fprintf(stderr, "test GL context: %s\n", SDL_GetError());
        return;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) {
        std::fprintf(stderr, "test GL context: %s\n", SDL_GetError());
        return;
    }
    MakeCurrent();
    glViewport(0, 0, width, height);
}

TestGLContext::~TestGLContext() {
    if (context_ != nullptr) {
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
}

void TestGLContext::MakeCurrent() {
    if (context_ != nullptr) SDL_GL_MakeCurrent(window_, context_);
}

std::vector<std::uint8_t> TestGLContext::ReadBackBuffer() {
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width_) * height_ * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
