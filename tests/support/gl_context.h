// A real OpenGL rendering context for tests: a hidden SDL window with a compatibility-profile,
// double-buffered context and a depth buffer, current on the calling thread while it lives.
// Needs a display (Xvfb); under it Mesa renders in software.
#ifndef VESKOP_TEST_GL_CONTEXT_H
#define VESKOP_TEST_GL_CONTEXT_H

#include <GL/gl.h>

#include <cstdint>
#include <vector>

struct SDL_Window;

class TestGLContext {
public:
    // Opens a window of width x height pixels (the viewport) and makes its context current.
    TestGLContext(int width = 640, int height = 480);
    ~TestGLContext();
    TestGLContext(const TestGLContext&) = delete;
    TestGLContext& operator=(const TestGLContext&) = delete;

    bool ok() const { return context_ != nullptr; }
    void MakeCurrent();
    int width() const { return width_; }
    int height() const { return height_; }

    // RGBA bytes of the back buffer, bottom row first (OpenGL's row order).
    std::vector<std::uint8_t> ReadBackBuffer();

private:
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    int width_;
    int height_;
};

#endif
