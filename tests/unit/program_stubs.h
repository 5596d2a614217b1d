// Test replacements for the program's InitScene and DrawFrame, for the shell tests.
//
// They are defined in the test executable, so the linker resolves the shell's references to them
// before it looks at veskop_core: a static-library member is pulled in only for a symbol still
// undefined, and InitScene and DrawFrame each live alone in their own source file
// (src/demo/scene_setup.cpp, src/demo/timeline.cpp), so neither file comes along. Each call adds
// a line ("InitScene", "DrawFrame") to the fake's record, in order with the Win32 calls.
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
