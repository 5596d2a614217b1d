// LoadTexture's slot bookkeeping in a real OpenGL context.
#include "demo/texture_loading.h"

#include <gtest/gtest.h>

#include "demo/demo_state.h"
#include "gl_context.h"
#include "png_test_files.h"

namespace {

GLint Bound() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

GLint Parameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint LevelWidth() {
    GLint width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

TEST(LoadTexture, EachCallTakesTheNextSlotWhetherOrNotTheFileLoads) {
    TestGLContext context(32, 32);
    ASSERT_TRUE(context.ok());
    ScratchDir dir;
    const std::string good = dir.Write("good.png", Encode(MakePicture(
        16, 8, PNG_COLOR_TYPE_RGB, 8, [](uint32_t x, uint32_t y, int s) { return x * y + s; })));
    const std::string notPng = dir.Write("not.png", Bytes(40, 'x'));
    DemoState.textureCount = 0;

    EXPECT_EQ(LoadTexture(good), 1);
    EXPECT_EQ(DemoState.textureCount, 1);
    EXPECT_NE(DemoState.textures[0], 0u);
    EXPECT_EQ(Bound(), GLint(DemoState.textures[0]));
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(LevelWidth(), 16);

    // A missing file still uses up its slot, which names a texture without image data.
    EXPECT_EQ(LoadTexture(dir.Path("missing.png")), 0);
    EXPECT_EQ(DemoState.textureCount, 2);
    EXPECT_NE(DemoState.textures[1], DemoState.textures[0]);
    EXPECT_EQ(glIsTexture(DemoState.textures[1]), GL_TRUE);
    EXPECT_EQ(Bound(), GLint(DemoState.textures[1]));
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(LevelWidth(), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTexture(notPng), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(DemoState.textureCount, 3);

    EXPECT_EQ(LoadTexture(good), 1);
    EXPECT_EQ(LoadTexture(good), 1);
    EXPECT_EQ(DemoState.textureCount, 5);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < i; ++j) EXPECT_NE(DemoState.textures[i], DemoState.textures[j]);

    // With every slot taken nothing is written past the table.
    const GLuint last = DemoState.textures[4];
    EXPECT_EQ(LoadTexture(good), 0);
    EXPECT_EQ(DemoState.textureCount, 5);
    EXPECT_EQ(DemoState.textures[4], last);
    DemoState.textureCount = 0;
}

}  // namespace
