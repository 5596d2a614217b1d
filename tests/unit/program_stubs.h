// A stand-in for the demo layer beneath the application shell, for the shell tests: InitScene,
// SceneSetupFailure and DrawFrame as the test scripts them, beside the program's own DemoState.
// The shell tests link it in place of the demo layer's library. Each call adds a line
// ("InitScene", "DrawFrame") to the fake's record, in order with the Win32 calls.
#ifndef VESKOP_TEST_PROGRAM_STUBS_H
#define VESKOP_TEST_PROGRAM_STUBS_H

#include <functional>

namespace stubs {

extern bool initSceneResult;  // what InitScene returns; true after Reset
extern int initSceneCalls;
extern int drawFrameCalls;
// Runs inside every DrawFrame call with its number (1 for the first); its result is DrawFrame's.
// Unset: DrawFrame returns 1.
extern std::function<int(int nth)> drawFrame;

void Reset();

}  // namespace stubs

#endif
