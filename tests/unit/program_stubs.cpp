#include "program_stubs.h"

#include "demo/scene_setup.h"
#include "demo/timeline.h"
#include "fake_win32.h"

namespace stubs {

bool initSceneResult = true;
int initSceneCalls = 0;
int drawFrameCalls = 0;
std::function<int(int nth)> drawFrame;

void Reset() {
    initSceneResult = true;
    initSceneCalls = 0;
    drawFrameCalls = 0;
    drawFrame = nullptr;
}

}  // namespace stubs

bool InitScene() {
    ++stubs::initSceneCalls;
    fakewin32::Note("InitScene");
    return stubs::initSceneResult;
}

const char* SceneSetupFailure() { return ""; }

int DrawFrame() {
    int nth = ++stubs::drawFrameCalls;
    fakewin32::Note("DrawFrame");
    return stubs::drawFrame ? stubs::drawFrame(nth) : 1;
}
