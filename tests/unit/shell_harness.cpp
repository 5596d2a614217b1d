#include "shell_harness.h"

#include "app/demo_window.h"
#include "demo/demo_state.h"
#include "fake_win32.h"

#include <algorithm>
#include <memory>

namespace {

// DemoState is constant-initialised, so this copy, made during dynamic initialisation, holds the
// values the program starts with.
const DemoStateRecord InitialDemoState = DemoState;

// Calls that every pass makes, left out of IdlePasses().
bool LeftOutOfPasses(const std::string& name) {
    return name == "PeekMessageA" || name == "TranslateMessage" || name == "DispatchMessageA" ||
           name == "GetTickCount";
}

}  // namespace

void ResetProgramState() {
    fakewin32::Reset();
    std::fill(std::begin(KeyDown), std::end(KeyDown), false);
    WindowActive = true;
    Fullscreen = true;
    AppInstance = nullptr;
    MainWindow = nullptr;
    WindowDC = nullptr;
    GLContext = nullptr;
    DemoState = InitialDemoState;
}

int RunWinMain() {
    char commandLine[] = "";
    return WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
}

void PostKeyDown(WPARAM virtualKey) { fakewin32::PostWindowMessage(WM_KEYDOWN, virtualKey, 1); }

void PostKeyUp(WPARAM virtualKey) {
    fakewin32::PostWindowMessage(WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void ScriptIdlePasses(std::vector<std::function<void()>> steps) {
    struct Script {
        std::vector<std::function<void()>> steps;
        size_t next = 1;
        bool lastPeekFoundNothing = false;
    };
    auto script = std::make_shared<Script>();
    script->steps = std::move(steps);
    if (!script->steps.empty()) script->steps[0]();
    fakewin32::OnCall("PeekMessageA", [script](int) {
        if (script->lastPeekFoundNothing) {
            if (script->next < script->steps.size()) script->steps[script->next]();
            ++script->next;
        }
        // This call will find nothing, which makes the pass that follows it idle.
        script->lastPeekFoundNothing =
            fakewin32::PendingMessages() == 0 && !fakewin32::QuitPending();
    });
}

std::vector<std::vector<std::string>> IdlePasses() {
    std::vector<std::vector<std::string>> passes;
    bool inIdlePass = false;
    for (const fakewin32::Call& call : fakewin32::Calls()) {
        if (call.name == "PeekMessageA") {
            inIdlePass = call.result == "none";
            if (inIdlePass) passes.emplace_back();
        } else if (inIdlePass && !LeftOutOfPasses(call.name)) {
            passes.back().push_back(call.name);
        }
    }
    return passes;
}
