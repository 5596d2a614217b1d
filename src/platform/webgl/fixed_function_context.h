// Rendering contexts of the fixed-function layer (gl.h, glu.h) for the web page's platform
// backend: each is a WebGL 2 context of a canvas with OpenGL 1.1 state of its own (matrices,
// lists, textures, lights), as a wglCreateContext context is. The layer's calls act on the
// context made current here.
#ifndef VESKOP_FIXED_FUNCTION_CONTEXT_H
#define VESKOP_FIXED_FUNCTION_CONTEXT_H

struct LayerContext;

// A new context on the canvas that the CSS selector names ("#canvas"): no alpha in the picture
// (a window has none), a depth buffer, no stencil, no antialiasing. Null when the browser gives
// no WebGL 2 context for it. Does not make it current.
LayerContext* CreateFixedFunctionContext(const char* canvasSelector);

// Makes context current (null: none). False, with no context current, when WebGL refuses.
bool MakeFixedFunctionContextCurrent(LayerContext* context);

// Frees the context with its lists and textures; no longer current if it was. Null does nothing.
void DeleteFixedFunctionContext(LayerContext* context);

#endif
