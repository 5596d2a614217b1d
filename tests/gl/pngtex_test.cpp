// The PNG texture call in a real OpenGL context: level chains, sizes, formats, the averaged
// mipmaps, row order, gamma from VIEWING_GAMMA, failures, and the five committed images.
#include "glpng.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "gl_context.h"
#include "png_test_files.h"

namespace {

class PngTexture : public testing::Test {
protected:
    static void SetUpTestSuite() { context_ = std::make_unique<TestGLContext>(64, 64); }
    static void TearDownTestSuite() { context_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(context_->ok());
        unsetenv("VIEWING_GAMMA");
    }
    void TearDown() override {
        glDeleteTextures(1, &texture_);
        unsetenv("VIEWING_GAMMA");
    }

    // A new texture object, bound, so no levels of an earlier load linger.
    void FreshTexture() {
        glDeleteTextures(1, &texture_);
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
    }

    // Loads into a fresh texture with the demo's modes; the standard error text goes to errors.
    int Load(const std::string& path, pngInfo* info = nullptr) {
        FreshTexture();
        testing::internal::CaptureStderr();
        const int result = pngLoad(path.c_str(), PNG_BUILDMIPMAPS, PNG_ALPHA, info);
        errors = testing::internal::GetCapturedStderr();
        return result;
    }
    int Load(const PngPicture& picture, pngInfo* info = nullptr) {
        return Load(dir.Write("picture.png", Encode(picture)), info);
    }

    static GLint LevelParameter(GLint level, GLenum name) {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
        return value;
    }
    static std::pair<GLint, GLint> LevelSize(GLint level) {
        return {LevelParameter(level, GL_TEXTURE_WIDTH), LevelParameter(level, GL_TEXTURE_HEIGHT)};
    }
    // Every level's size, from 0 up to the first level without image data.
    static std::vector<std::pair<GLint, GLint>> LevelSizes() {
        std::vector<std::pair<GLint, GLint>> sizes;
        for (GLint level = 0; level < 20 && LevelSize(level).first > 0; ++level) sizes.push_back(LevelSize(level));
        return sizes;
    }
    // The texels of a level as RGBA or RGB bytes, row t = 0 first.
    static std::vector<uint8_t> Texels(GLint level, int channels) {
        const auto [w, h] = LevelSize(level);
        std::vector<uint8_t> texels(size_t(w) * h * channels);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    ScratchDir dir;
    std::string errors;
    GLuint texture_ = 0;

private:
    static std::unique_ptr<TestGLContext> context_;
};

std::unique_ptr<TestGLContext> PngTexture::context_;

PngPicture Solid(uint32_t width, uint32_t height, int colorType) {
    return MakePicture(width, height, colorType, 8, [](uint32_t x, uint32_t y, int s) { return (x + y + s) & 0xff; });
}

TEST_F(PngTexture, SquareImageGetsNineLevelsDownTo1x1) {
    ASSERT_EQ(Load(Solid(256, 256, PNG_COLOR_TYPE_RGB)), 1) << errors;
    const auto sizes = LevelSizes();
    ASSERT_EQ(sizes.size(), 9u);
    for (size_t level = 0; level < sizes.size(); ++level) {
        EXPECT_EQ(sizes[level].first, 256 >> level);
        EXPECT_EQ(sizes[level].second, 256 >> level);
    }
}

TEST_F(PngTexture, A1SideStaysAt1UntilTheOtherSideGetsThere) {
    ASSERT_EQ(Load(Solid(256, 64, PNG_COLOR_TYPE_RGB)), 1) << errors;
    const std::vector<std::pair<GLint, GLint>> expected = {{256, 64}, {128, 32}, {64, 16}, {32, 8}, {16, 4},
                                                            {8, 2},    {4, 1},    {2, 1},   {1, 1}};
    EXPECT_EQ(LevelSizes(), expected);
    ASSERT_EQ(Load(Solid(1, 8, PNG_COLOR_TYPE_RGB)), 1) << errors;
    EXPECT_EQ(LevelSizes(), (std::vector<std::pair<GLint, GLint>>{{1, 8}, {1, 4}, {1, 2}, {1, 1}}));
    ASSERT_EQ(Load(Solid(1, 1, PNG_COLOR_TYPE_RGB)), 1) << errors;
    EXPECT_EQ(LevelSizes(), (std::vector<std::pair<GLint, GLint>>{{1, 1}}));
}

TEST_F(PngTexture, OtherSizesAreStoredAtTheNextPowerOfTwoWhileTheRecordKeepsTheFilesOwn) {
    pngInfo info = {};
    ASSERT_EQ(Load(Solid(300, 200, PNG_COLOR_TYPE_RGB), &info), 1) << errors;
    EXPECT_EQ(LevelSize(0), std::make_pair(512, 256));
    EXPECT_EQ(LevelSizes().size(), 10u);
    EXPECT_EQ(info.Width, 300u);
    EXPECT_EQ(info.Height, 200u);
    EXPECT_EQ(info.Depth, 8u);
    EXPECT_EQ(info.Alpha, 0u);
}

// Nearest sampling: texel x of the stored row is pixel floor(x * 3 / 4) of the file's.
TEST_F(PngTexture, RescalingSamplesTheNearestPixel) {
    const PngPicture picture =
        MakePicture(3, 1, PNG_COLOR_TYPE_RGB, 8, [](uint32_t x, uint32_t, int s) { return 10 * x + s + 1; });
    ASSERT_EQ(Load(picture), 1) << errors;
    EXPECT_EQ(Texels(0, 3), (std::vector<uint8_t>{1, 2, 3, 1, 2, 3, 11, 12, 13, 21, 22, 23}));

    // Rows too, RGBA: 3x3 to 4x4, rows 0 and 1 of the texture both from the file's row 0.
    const PngPicture square = MakePicture(3, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8,
                                          [](uint32_t x, uint32_t y, int s) { return 40 * y + 10 * x + s; });
    ASSERT_EQ(Load(square), 1) << errors;
    std::vector<uint8_t> expected;
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t s = 0; s < 4; ++s) expected.push_back(uint8_t(40 * (y * 3 / 4) + 10 * (x * 3 / 4) + s));
    EXPECT_EQ(Texels(0, 4), expected);
}

TEST_F(PngTexture, SidesAboveTheMaximumTextureSizeAreClamped) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    ASSERT_GT(maxSize, 0);
    if (uint64_t(maxSize) * 2 > PNG_MAX_TEXELS) GTEST_SKIP() << "a wider image would pass the texel limit";
    pngInfo info = {};
    const PngPicture wide = MakePicture(uint32_t(maxSize) + 1, 1, PNG_COLOR_TYPE_GRAY, 8,
                                        [&](uint32_t x, uint32_t, int) { return x == uint32_t(maxSize) ? 255 : 0; });
    ASSERT_EQ(Load(wide, &info), 1) << errors;
    EXPECT_EQ(LevelSize(0), std::make_pair(maxSize, 1));
    EXPECT_EQ(info.Width, uint32_t(maxSize) + 1);
}

// A tRNS chunk is no alpha channel: grey, RGB and palette files become RGB textures with it too.
TEST_F(PngTexture, AlphaFilesBecomeRgbaTexturesAndOthersRgb) {
    struct Case {
        int colorType;
        bool transparency;  // with a tRNS chunk
        GLint format;
        uint32_t alphaBits;
    };
    const Case cases[] = {
        {PNG_COLOR_TYPE_RGB_ALPHA, false, GL_RGBA, 8}, {PNG_COLOR_TYPE_GRAY_ALPHA, false, GL_RGBA, 8},
        {PNG_COLOR_TYPE_RGB, false, GL_RGB, 0},        {PNG_COLOR_TYPE_GRAY, false, GL_RGB, 0},
        {PNG_COLOR_TYPE_PALETTE, false, GL_RGB, 0},    {PNG_COLOR_TYPE_PALETTE, true, GL_RGB, 0},
        {PNG_COLOR_TYPE_GRAY, true, GL_RGB, 0},        {PNG_COLOR_TYPE_RGB, true, GL_RGB, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("colour type " + std::to_string(c.colorType) + (c.transparency ? " with tRNS" : ""));
        PngPicture p = MakePicture(4, 2, c.colorType, 8, [](uint32_t x, uint32_t y, int s) { return x + 4 * y + 60 * s; });
        if (c.colorType == PNG_COLOR_TYPE_PALETTE) {
            for (int i = 0; i < 8; ++i) p.palette.push_back({png_byte(30 * i), png_byte(200 - i), png_byte(7 * i)});
            if (c.transparency) p.paletteAlpha = {0, 33};
        } else if (c.transparency) {
            p.hasTransparentColor = true;  // the second pixel's colour
            p.transparentColor.gray = 1;
            p.transparentColor.red = 1;
            p.transparentColor.green = 61;
            p.transparentColor.blue = 121;
        }
        pngInfo info = {};
        ASSERT_EQ(Load(p, &info), 1) << errors;
        EXPECT_EQ(LevelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), c.format);
        EXPECT_EQ(info.Alpha, c.alphaBits);
        EXPECT_EQ(LevelParameter(0, GL_TEXTURE_ALPHA_SIZE) > 0, c.alphaBits == 8);
        const std::vector<uint8_t> texels = Texels(0, 4);
        if (c.colorType == PNG_COLOR_TYPE_RGB_ALPHA || c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            const int alphaSample = c.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 3 : 1;
            for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(texels[4 * i + 3], i + 60 * alphaSample) << "texel " << i;
        } else {
            for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(texels[4 * i + 3], 255);
        }
    }
}

// Each texel is the truncated average of the 2x2 texels beneath it: 0,0,1,2 gives 0 (a
// rounded average would give 1), and of 2 texels once a side is 1.
TEST_F(PngTexture, MipmapsAreTruncatedAverages) {
    const uint8_t rows[2][4] = {{0, 1, 200, 255}, {1, 2, 201, 255}};
    const PngPicture picture = MakePicture(4, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, [&](uint32_t x, uint32_t y, int s) {
        return s == 0 ? rows[y][x] : 255 - rows[y][x];
    });
    ASSERT_EQ(Load(picture), 1) << errors;
    // Level 1 (2x1): (0+1+1+2)/4 = 1, (200+255+201+255)/4 = 227; alpha (255+254+254+253)/4 = 254,
    // (55+0+54+0)/4 = 27. Level 2 (1x1): (1+227)/2 = 114 and (254+27)/2 = 140.
    EXPECT_EQ(Texels(1, 4), (std::vector<uint8_t>{1, 1, 1, 254, 227, 227, 227, 27}));
    EXPECT_EQ(Texels(2, 4), (std::vector<uint8_t>{114, 114, 114, 140}));

    const PngPicture column = MakePicture(1, 4, PNG_COLOR_TYPE_RGB, 8, [](uint32_t, uint32_t y, int s) {
        const uint8_t values[4] = {0, 1, 3, 6};
        return values[y] + 100 * s;
    });
    ASSERT_EQ(Load(column), 1) << errors;
    EXPECT_EQ(Texels(1, 3), (std::vector<uint8_t>{0, 100, 200, 4, 104, 204}));
    EXPECT_EQ(Texels(2, 3), (std::vector<uint8_t>{2, 102, 202}));
}

// Reference: each level from the one above, with the 2x2 (or 2-texel) sums written out.
TEST_F(PngTexture, EveryLevelOfALargerImageMatchesTheAverages) {
    const PngPicture picture = MakePicture(32, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, [](uint32_t x, uint32_t y, int s) {
        return (x * 37 + y * 101 + uint32_t(s) * 53 + x * y * 11) & 0xff;
    });
    ASSERT_EQ(Load(picture), 1) << errors;
    std::vector<uint8_t> expected(picture.samples.begin(), picture.samples.end());
    int w = 32, h = 4;
    for (GLint level = 0;; ++level) {
        ASSERT_EQ(Texels(level, 4), expected) << "level " << level;
        if (w == 1 && h == 1) break;
        const int nw = std::max(1, w / 2), nh = std::max(1, h / 2);
        std::vector<uint8_t> next(size_t(nw) * nh * 4);
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x)
                for (int k = 0; k < 4; ++k) {
                    auto at = [&](int sx, int sy) { return int(expected[(size_t(sy) * w + sx) * 4 + k]); };
                    int value;
                    if (w > 1 && h > 1)
                        value = (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1)) / 4;
                    else if (w > 1)
                        value = (at(2 * x, 0) + at(2 * x + 1, 0)) / 2;
                    else
                        value = (at(0, 2 * y) + at(0, 2 * y + 1)) / 2;
                    next[(size_t(y) * nw + x) * 4 + k] = uint8_t(value);
                }
        expected.swap(next);
        w = nw;
        h = nh;
    }
}

// The file's top row is the texture's first row, at t = 0; drawn the way the image scenes draw
// (t = 0 at the top of the screen) it shows at the top.
TEST_F(PngTexture, TheTopRowIsAtT0AndShowsAtTheTopOfTheScreen) {
    const PngPicture picture = MakePicture(64, 64, PNG_COLOR_TYPE_RGB, 8, [](uint32_t, uint32_t y, int s) {
        return y < 32 ? (s == 0 ? 255 : 0) : (s == 2 ? 255 : 0);  // red above blue
    });
    ASSERT_EQ(Load(picture), 1) << errors;
    const std::vector<uint8_t> top = Texels(0, 3);
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[2], 0);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(0, 0);
    glTexCoord2f(1, 1);
    glVertex2f(1, 0);
    glTexCoord2f(1, 0);
    glVertex2f(1, 1);
    glTexCoord2f(0, 0);
    glVertex2f(0, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    std::vector<uint8_t> screen(64 * 64 * 4);
    glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, screen.data());  // bottom row first
    const size_t topLeft = (63 * 64) * 4;
    EXPECT_EQ(screen[topLeft], 255) << "top of the screen is red";
    EXPECT_EQ(screen[topLeft + 2], 0);
    EXPECT_EQ(screen[0], 0) << "bottom of the screen is blue";
    EXPECT_EQ(screen[2], 255);
}

TEST_F(PngTexture, ViewingGammaChangesTheScreenGamma) {
    PngPicture picture = MakePicture(1, 1, PNG_COLOR_TYPE_RGB, 8, [](uint32_t, uint32_t, int) { return 128; });
    const std::string plain = dir.Write("plain.png", Encode(picture));
    picture.gamma = 1.0;
    const std::string linear = dir.Write("linear.png", Encode(picture));
    const struct {
        const char* viewingGamma;  // nullptr: unset
        const std::string* path;
        double exponent;
    } cases[] = {
        {nullptr, &plain, 1.0},  {nullptr, &linear, 1.0 / 2.2}, {"2.0", &plain, 2.0}, {"0.5", &plain, 0.5},
        {"2", &linear, 2.0 / 2.2}, {"abc", &plain, 1.0},        {"0", &plain, 1.0},   {"-1", &plain, 1.0},
        {"2x", &plain, 1.0},     {"", &plain, 1.0},
        // The bounds: screen gammas of 2200 and 0.0022 work, anything beyond is ignored.
        {"0.001", &plain, 0.001}, {"1000", &plain, 1000.0},
        {"0.000999", &plain, 1.0}, {"1000.1", &plain, 1.0},
    };
    for (const auto& c : cases) {
        if (c.viewingGamma != nullptr)
            setenv("VIEWING_GAMMA", c.viewingGamma, 1);
        else
            unsetenv("VIEWING_GAMMA");
        ASSERT_EQ(Load(*c.path), 1) << errors;
        const double expected = 255.0 * std::pow(128.0 / 255.0, c.exponent);
        EXPECT_NEAR(Texels(0, 3)[0], expected, 1.0)
            << (c.viewingGamma ? c.viewingGamma : "unset") << ", " << *c.path;
    }
}

TEST_F(PngTexture, FailuresLeaveTheTextureEmptyAndTheRecordUntouched) {
    const Bytes good = Encode(Solid(8, 8, PNG_COLOR_TYPE_RGB));
    const std::string notPng = dir.Write("not.png", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0});
    const std::string truncated = dir.Write("cut.png", Bytes(good.begin(), good.end() - 20));
    const std::string valid = dir.Write("good.png", good);
    const struct {
        std::string path;
        int mipmap;
        int trans;
        bool silent;
    } cases[] = {
        {dir.Path("missing.png"), PNG_BUILDMIPMAPS, PNG_ALPHA, true},
        {notPng, PNG_BUILDMIPMAPS, PNG_ALPHA, true},
        {truncated, PNG_BUILDMIPMAPS, PNG_ALPHA, false},
        {valid, 0, PNG_ALPHA, true},
        {valid, PNG_BUILDMIPMAPS, 0, true},
    };
    for (const auto& c : cases) {
        FreshTexture();
        pngInfo info = {11, 12, 13, 14};
        testing::internal::CaptureStderr();
        EXPECT_EQ(pngLoad(c.path.c_str(), c.mipmap, c.trans, &info), 0) << c.path;
        const std::string text = testing::internal::GetCapturedStderr();
        EXPECT_EQ(LevelSize(0).first, 0) << c.path;
        EXPECT_EQ(info.Width, 11u);
        EXPECT_EQ(info.Alpha, 14u);
        if (c.silent)
            EXPECT_EQ(text, "") << c.path;
        else
            EXPECT_NE(text.find("libpng error: "), std::string::npos) << c.path;
    }
    EXPECT_EQ(pngLoad(nullptr, PNG_BUILDMIPMAPS, PNG_ALPHA, nullptr), 0);
    EXPECT_EQ(pngLoad(valid.c_str(), PNG_BUILDMIPMAPS, PNG_ALPHA, nullptr), 1);
}

// The load sets packed unpacking for itself and gives the caller's pixel-store state back.
TEST_F(PngTexture, UnpackStateIsRestored) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 3);
    const PngPicture picture = MakePicture(5, 3, PNG_COLOR_TYPE_RGB, 8, [](uint32_t x, uint32_t y, int s) { return x + 10 * y + 100 * s; });
    ASSERT_EQ(Load(picture), 1) << errors;
    GLint alignment = 0, rowLength = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(rowLength, 3);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // 5x3 is stored as 8x4: row t = 1 comes from file row 0 (floor(1 * 3 / 4)), t = 2 from row 1.
    const std::vector<uint8_t> texels = Texels(0, 3);
    EXPECT_EQ(texels[(2 * 8 + 7) * 3 + 1], 114);  // texel (7, 2): file pixel (4, 1), green
}

// Between them the images take every path of the loader: alpha (RGBA, grey with alpha), a
// palette, a gAMA chunk, and a size that is not a power of two.
TEST_F(PngTexture, TheFiveCommittedImagesLoad) {
    const struct {
        const char* name;
        uint32_t width;
        uint32_t height;
        uint32_t alphaBits;
        std::pair<GLint, GLint> stored;
    } images[] = {{"startlogo2.png", 1024, 512, 8, {1024, 512}},
                  {"alphabetGeorgia.png", 512, 512, 8, {512, 512}},
                  {"pizza2.png", 512, 512, 0, {512, 512}},
                  {"sovepose2.png", 512, 512, 0, {512, 512}},
                  {"vardlum.png", 640, 480, 0, {1024, 512}}};
    for (const auto& image : images) {
        pngInfo info = {};
        const std::string path = std::string(VESKOP_DATA_DIR) + "/" + image.name;
        ASSERT_EQ(Load(path, &info), 1) << path << ": " << errors;
        EXPECT_EQ(errors, "") << path;
        EXPECT_EQ(info.Width, image.width) << path;
        EXPECT_EQ(info.Height, image.height) << path;
        EXPECT_EQ(info.Depth, 8u) << path;
        EXPECT_EQ(info.Alpha, image.alphaBits) << path;
        EXPECT_EQ(LevelSize(0), image.stored) << path;
        EXPECT_EQ(LevelSizes().back(), std::make_pair(1, 1)) << path;
    }
}

}  // namespace
