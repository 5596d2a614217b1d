// Replaces the program's LoadTexture for tests that run the real scene set-up without data/:
// because this object defines the symbol, the library's texture_loading.cpp is left out of the
// link. The slot keeps a texture the test put there beforehand, or gets a fresh empty one.
#include <windows.h>

#include <GL/gl.h>

#include "demo/demo_state.h"
#include "demo/texture_loading.h"

int LoadTexture(const std::string&) {
    GLuint& slot = DemoState.textures[DemoState.textureCount];
    if (slot == 0) glGenTextures(1, &slot);
    glBindTexture(GL_TEXTURE_2D, slot);
    DemoState.textureCount = DemoState.textureCount + 1;
    return 1;
}
