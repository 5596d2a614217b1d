// Capabilities, depth, blending, clearing, the viewport and hints. Depth and blending are
// WebGL's own; lighting, normalisation and texturing are the layer's shading switches.
#include <webgl/webgl1.h>  // emscripten_gl*, and GL_* values that match gl.h's
#include <webgl/webgl2.h>

#include "layer_state.h"

namespace {

void SetCapability(GLenum cap, bool on) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr) return;
    switch (cap) {
    case GL_BLEND:
    case GL_DEPTH_TEST:
        if (on) {
            emscripten_glEnable(cap);
        } else {
            emscripten_glDisable(cap);
        }
        break;
    case GL_LIGHTING:
        context->lighting = on;
        break;
    case GL_LIGHT0:
        context->light0 = on;
        break;
    case GL_NORMALIZE:
        context->normalize = on;
        break;
    case GL_TEXTURE_2D:
        context->texture2D = on;
        break;
    }
}

}  // namespace

extern "C" {

void glEnable(GLenum cap) { SetCapability(cap, true); }

void glDisable(GLenum cap) { SetCapability(cap, false); }

void glDepthFunc(GLenum func) {
    if (CurrentLayer() != nullptr) emscripten_glDepthFunc(func);
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    if (CurrentLayer() != nullptr) emscripten_glBlendFunc(sfactor, dfactor);
}

void glClear(GLbitfield mask) {
    if (CurrentLayer() != nullptr) emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    if (CurrentLayer() != nullptr) emscripten_glClearColor(red, green, blue, alpha);
}

void glClearDepth(GLclampd depth) {
    if (CurrentLayer() != nullptr) emscripten_glClearDepthf(static_cast<float>(depth));
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (CurrentLayer() != nullptr && width >= 0 && height >= 0) emscripten_glViewport(x, y, width, height);
}

void glHint(GLenum, GLenum) {
    // The only hint the program gives asks for perspective-correct interpolation, which WebGL
    // always does.
}

}  // extern "C"
