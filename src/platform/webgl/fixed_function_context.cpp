// Contexts: the WebGL context of each, which one is current, and their teardown.
#include "fixed_function_context.h"

#include <emscripten/html5.h>

#include <map>

#include "layer_state.h"

namespace {

LayerContext* Current = nullptr;
// The WebGL context of each layer context.
std::map<LayerContext*, EMSCRIPTEN_WEBGL_CONTEXT_HANDLE> WebGLContexts;

}  // namespace

LayerContext* CurrentLayer() { return Current; }

LayerContext* CreateFixedFunctionContext(const char* canvasSelector) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // A machine without a graphics card still draws, in software.
    attributes.failIfMajorPerformanceCaveat = EM_FALSE;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context(canvasSelector, &attributes);
    if (webgl <= 0) return nullptr;
    // The renderer's objects are made in the new context, which is then left current only if
    // it was asked to be.
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE previous = emscripten_webgl_get_current_context();
    if (emscripten_webgl_make_context_current(webgl) != EMSCRIPTEN_RESULT_SUCCESS) {
        emscripten_webgl_destroy_context(webgl);
        return nullptr;
    }
    LayerContext* context = new LayerContext();
    context->modelView.entries[0] = IdentityMatrix();
    context->projection.entries[0] = IdentityMatrix();
    int width = 0, height = 0;
    emscripten_webgl_get_drawing_buffer_size(webgl, &width, &height);
    context->renderer = CreateRenderer(width, height);
    emscripten_webgl_make_context_current(previous);
    if (context->renderer == nullptr) {
        delete context;
        emscripten_webgl_destroy_context(webgl);
        return nullptr;
    }
    WebGLContexts[context] = webgl;
    return context;
}

bool MakeFixedFunctionContextCurrent(LayerContext* context) {
    if (context == nullptr) {
        emscripten_webgl_make_context_current(0);
        Current = nullptr;
        return true;
    }
    auto found = WebGLContexts.find(context);
    if (found == WebGLContexts.end() ||
        emscripten_webgl_make_context_current(found->second) != EMSCRIPTEN_RESULT_SUCCESS) {
        emscripten_webgl_make_context_current(0);
        Current = nullptr;
        return false;
    }
    Current = context;
    return true;
}

void DeleteFixedFunctionContext(LayerContext* context) {
    auto found = WebGLContexts.find(context);
    if (found == WebGLContexts.end()) return;
    // Its objects are deleted in its own WebGL context.
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE previous = emscripten_webgl_get_current_context();
    if (emscripten_webgl_make_context_current(found->second) == EMSCRIPTEN_RESULT_SUCCESS) {
        DeleteListsAndTextures(*context);
        DeleteRenderer(context->renderer);
    }
    emscripten_webgl_make_context_current(previous == found->second ? 0 : previous);
    emscripten_webgl_destroy_context(found->second);
    WebGLContexts.erase(found);
    if (Current == context) Current = nullptr;
    delete context;
}
