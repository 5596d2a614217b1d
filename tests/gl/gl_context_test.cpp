#include "gl_context.h"

#include <gtest/gtest.h>

// The test support itself: a hidden window's back buffer reads back what was cleared into it.
TEST(TestGLContext, ReadsBackClearedBackBuffer) {
    TestGLContext context(64, 32);
    ASSERT_TRUE(context.ok());
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<std::uint8_t> pixels = context.ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 64u * 32u * 4u);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[1], 0);
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[pixels.size() - 2], 255);
}
