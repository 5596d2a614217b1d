// Fake millisecond tick counter, set by the test.
#include "fake_state.h"

using namespace fakewin32;

DWORD WINAPI GetTickCount(void) {
    CallSlot slot = BeginCall("GetTickCount", {});  // the hook may move the clock first
    State& state = TheState();
    DWORD value = state.tick;
    state.tick += state.tickStep;  // unsigned: wraps at 2^32 like the real counter
    SetResult(slot, std::to_string(value));
    return value;
}

namespace fakewin32 {

void SetTickCount(DWORD ms) { TheState().tick = ms; }
void AdvanceTicks(DWORD ms) { TheState().tick += ms; }
void SetTickStep(DWORD ms) { TheState().tickStep = ms; }
DWORD TickCount() { return TheState().tick; }

}  // namespace fakewin32
