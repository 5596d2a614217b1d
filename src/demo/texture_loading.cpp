#include "demo/texture_loading.h"

#include <windows.h>

#include <GL/gl.h>
#include <glpng.h>

#include "demo/demo_state.h"

namespace {

// Filled by every load; nothing reads it.
pngInfo imageInfo;

}  // namespace

int LoadTexture(const std::string& fileName) {
    if (DemoState.textureCount < 0 || DemoState.textureCount >= TextureSlotCount) return 0;
    glGenTextures(1, &DemoState.textures[DemoState.textureCount]);
    glBindTexture(GL_TEXTURE_2D, DemoState.textures[DemoState.textureCount]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    DemoState.textureCount = DemoState.textureCount + 1;  // before the file is opened
    return pngLoad(fileName.c_str(), PNG_BUILDMIPMAPS, PNG_ALPHA, &imageInfo);
}
