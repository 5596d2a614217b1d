// The program entry: create the fullscreen window, then run the message loop, drawing a frame
// whenever no message is pending, until Escape, a close, or the end of the show.
#include <windows.h>

#include "app/main_loop.h"

#include "app/demo_window.h"
#include "demo/demo_state.h"
#include "demo/timeline.h"

namespace {

const int WindowWidth = 640;   // client area, pixels
const int WindowHeight = 480;
const int ColorBits = 32;      // bits per pixel
const char FirstTitle[] = "VESKOP";
const char ToggledTitle[] = "Quiro";

// Exit status when a window cannot be made, at start-up or after the fullscreen toggle. The user
// has been told why; the status says the program did not run as asked.
const int StartupFailedStatus = 1;

// Widened to double, changed, rounded back to single precision.
void MoveCamera(double step) {
    DemoState.cameraDistance = static_cast<float>(DemoState.cameraDistance + step);
}

// Destroys the window and creates it again with the other fullscreen setting; the new window's
// scene set-up starts the show over.
bool ToggleFullscreen() {
    KeyDown[VK_F1] = false;
    DestroyDemoWindow();  // still sees the old Fullscreen, so it restores the display mode
    Fullscreen = !Fullscreen;
    return CreateDemoWindow(ToggledTitle, WindowWidth, WindowHeight, ColorBits, Fullscreen);
}

// One pass with no message pending: draw and present a frame, then act on the keys.
LoopPass RunIdlePass() {
    bool done = false;
    if (WindowActive && DrawFrame() == 0) {
        done = true;
    } else if (KeyDown[VK_ESCAPE]) {
        done = true;
    } else {
        SwapBuffers(WindowDC);  // also while minimised, when no frame was drawn
    }
    if (KeyDown[VK_F1] && !ToggleFullscreen()) return LoopPass::ToggleFailed;
    if (KeyDown[VK_F2]) MoveCamera(1.0);
    if (KeyDown[VK_F3]) MoveCamera(-1.0);
    return done ? LoopPass::End : LoopPass::Idle;
}

}  // namespace

LoopPass RunMainLoopPass(MSG& message) {
    if (!PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) return RunIdlePass();
    if (message.message == WM_QUIT) return LoopPass::End;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return LoopPass::Message;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Fullscreen = true;
    if (!CreateDemoWindow(FirstTitle, WindowWidth, WindowHeight, ColorBits, true)) {
        return StartupFailedStatus;
    }

    // Filled by every retrieved message and never cleared: the last one's wParam is the exit
    // status. Zero when the loop ends before any message arrived.
    MSG message = {};
    LoopPass pass;
    do {
        pass = RunMainLoopPass(message);
    } while (pass == LoopPass::Message || pass == LoopPass::Idle);
    if (pass == LoopPass::ToggleFailed) return StartupFailedStatus;
    DestroyDemoWindow();
    return static_cast<int>(message.wParam);
}
