// Fake message boxes, answered from the test's script.
#include "fake_state.h"

using namespace fakewin32;

namespace {

constexpr UINT ButtonsMask = 0x0000000F;

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    CallSlot slot = BeginCall("MessageBoxA", {HandleName(owner), Text(text), Text(caption), Hex(type)});
    State& state = TheState();
    int answer = 0;
    if (!slot.fail) {
        if (!state.answers.empty()) {
            answer = state.answers.front();
            state.answers.pop_front();
        } else {
            answer = (type & ButtonsMask) == MB_YESNO ? IDNO : IDOK;
        }
    }
    state.messageBoxes.push_back(MessageBoxRecord{owner, Text(text), Text(caption), type, answer});
    SetResult(slot, std::to_string(answer));
    return answer;
}

namespace fakewin32 {

void ScriptAnswers(std::initializer_list<int> answers) {
    State& state = TheState();
    state.answers.insert(state.answers.end(), answers.begin(), answers.end());
}

}  // namespace fakewin32
