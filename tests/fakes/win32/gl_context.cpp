// Fake WGL rendering contexts: handles and which one is current, no OpenGL.
#include "fake_state.h"

#include <algorithm>

using namespace fakewin32;

namespace {

ContextEntry* FindLiveContext(HGLRC context) {
    for (ContextEntry& entry : TheState().contexts) {
        if (entry.handle == context && !entry.deleted) return &entry;
    }
    return nullptr;
}

}  // namespace

HGLRC WINAPI wglCreateContext(HDC dc) {
    CallSlot slot = BeginCall("wglCreateContext", {HandleName(dc)});
    // A context needs a device context whose pixel format is set.
    if (slot.fail || !DCHasPixelFormat(dc)) return nullptr;
    HGLRC context = MakeHandle<HGLRC>(HandleKind::Context);
    TheState().contexts.push_back(ContextEntry{context, dc, false});
    return context;
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    CallSlot slot = BeginCall("wglMakeCurrent", {HandleName(dc), HandleName(context)});
    if (slot.fail) return FALSE;
    State& state = TheState();
    if (context == nullptr) {  // release the current context; the dc is not looked at
        state.currentContext = nullptr;
        state.currentDC = nullptr;
        return TRUE;
    }
    if (FindLiveContext(context) == nullptr || !DCHasPixelFormat(dc)) return FALSE;
    state.currentContext = context;
    state.currentDC = dc;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    CallSlot slot = BeginCall("wglDeleteContext", {HandleName(context)});
    ContextEntry* entry = FindLiveContext(context);
    if (slot.fail || entry == nullptr) return FALSE;
    entry->deleted = true;
    State& state = TheState();
    if (state.currentContext == context) {  // deleting the current context releases it
        state.currentContext = nullptr;
        state.currentDC = nullptr;
    }
    return TRUE;
}

namespace fakewin32 {

HGLRC CurrentContext() { return TheState().currentContext; }
HDC CurrentContextDC() { return TheState().currentDC; }

int LiveContextCount() {
    const std::vector<ContextEntry>& contexts = TheState().contexts;
    return static_cast<int>(std::count_if(contexts.begin(), contexts.end(),
                                          [](const ContextEntry& entry) { return !entry.deleted; }));
}

}  // namespace fakewin32
