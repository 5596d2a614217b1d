#include "fake_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace fakewin32 {

namespace {

// The functions the fake implements; failures and hooks may name only these.
const char* const FunctionNames[] = {
    "GetModuleHandleA", "RegisterClassA",     "UnregisterClassA",  "LoadIconA",
    "LoadCursorA",      "AdjustWindowRectEx", "CreateWindowExA",   "DestroyWindow",
    "ShowWindow",       "SetForegroundWindow", "SetFocus",         "DefWindowProcA",
    "ChangeDisplaySettingsA", "ShowCursor",   "GetDC",             "ReleaseDC",
    "ChoosePixelFormat", "SetPixelFormat",    "SwapBuffers",       "wglCreateContext",
    "wglMakeCurrent",   "wglDeleteContext",   "PeekMessageA",      "TranslateMessage",
    "DispatchMessageA", "PostQuitMessage",    "MessageBoxA",       "GetTickCount",
};

void RequireKnownName(const char* name) {
    for (const char* known : FunctionNames) {
        if (std::string(known) == name) return;
    }
    std::fprintf(stderr, "fake win32: no function named \"%s\"\n", name);
    std::abort();
}

const char* KindName(HandleKind kind) {
    switch (kind) {
        case HandleKind::Instance: return "hinstance";
        case HandleKind::Window: return "hwnd";
        case HandleKind::DC: return "hdc";
        case HandleKind::Context: return "hglrc";
        case HandleKind::Icon: return "hicon";
        case HandleKind::Cursor: return "hcursor";
    }
    return "handle";
}

}  // namespace

State& TheState() {
    static State state;
    return state;
}

CallSlot BeginCall(const char* name, std::vector<std::string> args) {
    State& state = TheState();
    int nth = ++state.callCounts[name];
    auto hook = state.hooks.find(name);
    if (hook != state.hooks.end()) {
        std::function<void(int)> run = hook->second;  // the hook may replace itself
        run(nth);
    }
    bool fail = state.failAlways.count(name) != 0;
    auto nthFailures = state.failNth.find(name);
    if (nthFailures != state.failNth.end() && nthFailures->second.count(nth) != 0) fail = true;
    Call call;
    call.name = name;
    call.args = std::move(args);
    call.failed = fail;
    state.calls.push_back(std::move(call));
    return CallSlot{state.calls.size() - 1, fail};
}

void SetResult(const CallSlot& slot, std::string result) {
    std::vector<Call>& calls = TheState().calls;
    if (slot.index < calls.size()) calls[slot.index].result = std::move(result);  // ClearCalls may have run
}

std::string Hex(std::uintptr_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string Text(const char* text) {
    if (text == nullptr) return "null";
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(text);
    if (value <= 0xffff) return "#" + std::to_string(value);  // MAKEINTRESOURCE
    return text;
}

std::string Flag(BOOL value) { return value ? "true" : "false"; }

std::string Rect(const RECT& rect) {
    return "{" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "}";
}

WindowEntry* FindWindowEntry(HWND window) {
    for (WindowEntry& entry : TheState().windows) {
        if (entry.handle == window) return &entry;
    }
    return nullptr;
}

WindowEntry* FindLiveWindow() {
    std::vector<WindowEntry>& windows = TheState().windows;
    for (auto entry = windows.rbegin(); entry != windows.rend(); ++entry) {
        if (entry->alive) return &*entry;
    }
    return nullptr;
}

ClassEntry* FindClassEntry(const char* name) {
    if (name == nullptr) return nullptr;
    for (ClassEntry& entry : TheState().classes) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::string Call::Text() const {
    std::string line = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0) line += ", ";
        line += args[i];
    }
    line += ")";
    if (!result.empty()) line += " -> " + result;
    return line;
}

void Reset() { TheState() = State(); }

const std::vector<Call>& Calls() { return TheState().calls; }

std::vector<std::string> CallNames() { return CallNamesExcept({}); }

std::vector<std::string> CallNamesExcept(std::initializer_list<const char*> skipped) {
    std::vector<std::string> names;
    for (const Call& call : TheState().calls) {
        bool skip = std::any_of(skipped.begin(), skipped.end(),
                                [&](const char* name) { return call.name == name; });
        if (!skip) names.push_back(call.name);
    }
    return names;
}

std::vector<Call> CallsNamed(const char* name) {
    std::vector<Call> calls;
    for (const Call& call : TheState().calls) {
        if (call.name == name) calls.push_back(call);
    }
    return calls;
}

int CallCount(const char* name) {
    const std::vector<Call>& calls = TheState().calls;
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const Call& call) { return call.name == name; }));
}

void ClearCalls() { TheState().calls.clear(); }

void Note(const char* name, std::vector<std::string> args) {
    Call call;
    call.name = name;
    call.args = std::move(args);
    TheState().calls.push_back(std::move(call));
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return TheState().messageBoxes; }
const std::vector<WindowCreation>& WindowCreations() { return TheState().windowCreations; }
const std::vector<WindowClassRecord>& RegisteredClasses() { return TheState().registeredClasses; }
const std::vector<PIXELFORMATDESCRIPTOR>& ChosenDescriptors() { return TheState().chosenDescriptors; }
const std::vector<PIXELFORMATDESCRIPTOR>& SetDescriptors() { return TheState().setDescriptors; }
const std::vector<DEVMODEA>& RequestedModes() { return TheState().requestedModes; }

void FailCall(const char* name, int nth) {
    RequireKnownName(name);
    if (nth <= 0) {
        TheState().failAlways.insert(name);
    } else {
        TheState().failNth[name].insert(nth);
    }
}

void OnCall(const char* name, std::function<void(int nth)> hook) {
    RequireKnownName(name);
    if (hook) {
        TheState().hooks[name] = std::move(hook);
    } else {
        TheState().hooks.erase(name);
    }
}

std::string HandleName(const void* handle) {
    if (handle == nullptr) return "null";
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    HandleKind kind = static_cast<HandleKind>(value >> 16);
    return KindName(kind) + std::to_string(value & 0xffff);
}

HWND LiveWindow() {
    WindowEntry* entry = FindLiveWindow();
    return entry != nullptr ? entry->handle : nullptr;
}

int LiveWindowCount() {
    const std::vector<WindowEntry>& windows = TheState().windows;
    return static_cast<int>(std::count_if(windows.begin(), windows.end(),
                                          [](const WindowEntry& entry) { return entry.alive; }));
}

bool ClassRegistered(const char* className) { return FindClassEntry(className) != nullptr; }

}  // namespace fakewin32
