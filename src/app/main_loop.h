// The main loop, one pass at a time: WinMain runs passes until one ends the loop.
#ifndef VESKOP_MAIN_LOOP_H
#define VESKOP_MAIN_LOOP_H

#include <windows.h>

enum class LoopPass {
    Message,       // one pending message was dispatched
    Idle,          // none was pending: a frame was drawn (while active) and presented
    End,           // WM_QUIT, Escape or the frame asked to end: tear the window down
    ToggleFailed,  // the fullscreen toggle could not make a new window (already released)
};

// Takes one pending message of the thread into `message` and dispatches it, or, when none is
// pending, draws and presents a frame and acts on the keys. `message` keeps the last message
// retrieved, so its wParam is the exit status once the loop ends.
LoopPass RunMainLoopPass(MSG& message);

#endif
