// Drives the program's shell (window code and main loop) over the recording Win32 fake: puts the
// program's globals back to their start values and scripts what happens between idle passes.
#ifndef VESKOP_TEST_SHELL_HARNESS_H
#define VESKOP_TEST_SHELL_HARNESS_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The key table, the window flags and handles, DemoState and the fake, as at process start.
// (The pixel format descriptor is filled once per process and cannot be put back.)
void ResetProgramState();

// WinMain as the runtime calls it.
int RunWinMain();

void PostKeyDown(WPARAM virtualKey);
void PostKeyUp(WPARAM virtualKey);

// Scripts a WinMain run: steps[0] runs now, before the loop starts; steps[k] runs right after
// the k-th idle pass (a pass that found no message), before the next message is looked for. So
// the messages a step posts are all handled before the following idle pass.
void ScriptIdlePasses(std::vector<std::function<void()>> steps);

// The record split by idle passes: element k holds, in order, the names of the calls made in
// the (k+1)-th idle pass, from the PeekMessageA that found nothing to the next PeekMessageA or
// to WinMain's return. The message calls themselves (PeekMessageA, TranslateMessage,
// DispatchMessageA) and GetTickCount are left out.
std::vector<std::vector<std::string>> IdlePasses();

#endif
