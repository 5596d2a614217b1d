// Fake device contexts, pixel formats and buffer swaps.
#include "fake_state.h"

#include <algorithm>

using namespace fakewin32;

namespace {

// The index ChoosePixelFormat answers with; not 1, so that a caller passing a made-up index to
// SetPixelFormat is caught.
constexpr int ChosenFormat = 7;

DCEntry* FindDC(HDC dc) {
    for (DCEntry& entry : TheState().dcs) {
        if (entry.handle == dc) return &entry;
    }
    return nullptr;
}

DCEntry* FindLiveDC(HDC dc) {
    DCEntry* entry = FindDC(dc);
    return entry != nullptr && !entry->released ? entry : nullptr;
}

std::string Descriptor(const PIXELFORMATDESCRIPTOR* descriptor) {
    if (descriptor == nullptr) return "null";
    return "{flags " + Hex(descriptor->dwFlags) + ", color " + std::to_string(descriptor->cColorBits) +
           ", depth " + std::to_string(descriptor->cDepthBits) + "}";
}

}  // namespace

HDC WINAPI GetDC(HWND window) {
    CallSlot slot = BeginCall("GetDC", {HandleName(window)});
    WindowEntry* entry = FindWindowEntry(window);
    // GetDC(null) is the screen's context; any other window must exist.
    if (slot.fail || (window != nullptr && (entry == nullptr || !entry->alive))) return nullptr;
    HDC dc = MakeHandle<HDC>(HandleKind::DC);
    TheState().dcs.push_back(DCEntry{dc, window, 0, false});
    return dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    CallSlot slot = BeginCall("ReleaseDC", {HandleName(window), HandleName(dc)});
    DCEntry* entry = FindLiveDC(dc);
    if (slot.fail || entry == nullptr || entry->window != window) return 0;
    entry->released = true;
    return 1;
}

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    CallSlot slot = BeginCall("ChoosePixelFormat", {HandleName(dc), Descriptor(descriptor)});
    if (descriptor != nullptr) TheState().chosenDescriptors.push_back(*descriptor);
    if (slot.fail || FindLiveDC(dc) == nullptr || descriptor == nullptr) return 0;
    return ChosenFormat;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
    CallSlot slot = BeginCall("SetPixelFormat",
                              {HandleName(dc), std::to_string(format), Descriptor(descriptor)});
    if (descriptor != nullptr) TheState().setDescriptors.push_back(*descriptor);
    DCEntry* entry = FindLiveDC(dc);
    if (slot.fail || entry == nullptr || format != ChosenFormat) return FALSE;
    if (entry->pixelFormat != 0 && entry->pixelFormat != format) return FALSE;  // set once only
    entry->pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC dc) {
    CallSlot slot = BeginCall("SwapBuffers", {HandleName(dc)});
    return !slot.fail && FindLiveDC(dc) != nullptr;
}

namespace fakewin32 {

bool DCHasPixelFormat(HDC dc) {
    DCEntry* entry = FindLiveDC(dc);
    return entry != nullptr && entry->pixelFormat != 0;
}

int LiveDCCount() {
    const std::vector<DCEntry>& dcs = TheState().dcs;
    return static_cast<int>(
        std::count_if(dcs.begin(), dcs.end(), [](const DCEntry& entry) { return !entry.released; }));
}

}  // namespace fakewin32
