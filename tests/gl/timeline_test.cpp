// DrawFrame in a real OpenGL context, with the Win32 fake's clock as the tick counter: which scene
// each moment shows, what the scenes put on screen, the animation steps and the diagnostic lines.
#include "app/demo_window.h"
#include "demo/demo_state.h"
#include "demo/scene_setup.h"
#include "demo/timeline.h"
#include "fake_pngtex.h"
#include "fake_win32.h"
#include "gl_context.h"
#include "shell_harness.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const int Width = 640;
const int Height = 480;

struct Rgba {
    int r, g, b, a;
};

// The files the set-up loads into slots 0 to 4, and a distinct colour for each (through the fake
// texture call), so the picture tells which slot a frame showed.
const char* const SlotFiles[TextureSlotCount] = {"data/startlogo2.png", "data/alphabetGeorgia.png",
                                                 "data/pizza2.png", "data/sovepose2.png",
                                                 "data/vardlum.png"};
const Rgba SlotColors[TextureSlotCount] = {
    {255, 0, 0, 255}, {255, 255, 255, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}};

GLuint MakeTexture(int width, int height, const std::uint8_t* rgba) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);  // no mipmaps needed
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return name;
}

class TimelineTest : public ::testing::Test {
protected:
    static constexpr DWORD Start = 100000;  // tick count when the set-up finished

    void SetUp() override {
        ResetProgramState();
        ASSERT_TRUE(context.ok());
        for (int slot = 0; slot < TextureSlotCount; ++slot) {
            const Rgba& c = SlotColors[slot];
            SetFakeImage(SlotFiles[slot], {std::uint8_t(c.r), std::uint8_t(c.g), std::uint8_t(c.b),
                                           std::uint8_t(c.a)});
        }
        SetUpAt(Start);
    }

    // What window creation does before the first frame: the projection for the window's size,
    // then the scene set-up, which records the tick as time zero.
    void SetUpAt(DWORD tick) {
        fakewin32::SetTickCount(tick);
        ResizeScene(Width, Height);
        ASSERT_TRUE(InitScene());
        ASSERT_EQ(DemoState.startTick, tick);
    }

    int DrawAt(std::int32_t elapsed) {
        fakewin32::SetTickCount(DemoState.startTick + static_cast<DWORD>(elapsed));
        testing::internal::CaptureStdout();
        int result = DrawFrame();
        output = testing::internal::GetCapturedStdout();
        return result;
    }

    // Which scene the last frame set up, from the state it left: image scenes project with
    // glOrtho(0, 1, 0, 1, 0, 1) and bind their slot; the 3D scenes project with a square
    // 45-degree perspective reaching to 1000 and differ in blending.
    std::string SceneDrawn() {
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        if (projection[0] == 2.0f && projection[5] == 2.0f && projection[10] == -2.0f) {
            GLint bound = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            for (int slot = 0; slot < TextureSlotCount; ++slot) {
                if (DemoState.textures[slot] == static_cast<GLuint>(bound)) {
                    return "image " + std::to_string(slot);
                }
            }
            return "image ?";
        }
        double farOverNear = (1000.0 + 0.1) / (0.1 - 1000.0);
        if (std::fabs(projection[10] - farOverNear) < 1e-6 && projection[0] == projection[5]) {
            return glIsEnabled(GL_BLEND) ? "meshes" : "cube";
        }
        return "none";
    }

    Rgba PixelAt(int x, int y) {  // y from the bottom, as OpenGL counts
        std::vector<std::uint8_t> pixels = context.ReadBackBuffer();
        const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * Width + x) * 4];
        return Rgba{p[0], p[1], p[2], p[3]};
    }

    TestGLContext context{Width, Height};
    std::string output;  // what the last DrawAt wrote to standard output
};

void ExpectColor(const Rgba& actual, const Rgba& expected, int tolerance, const char* where) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << where;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << where;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << where;
}

TEST_F(TimelineTest, EachMomentShowsItsScene) {
    struct Row {
        std::int32_t elapsed;
        const char* scene;
    };
    for (Row row : {Row{1, "meshes"}, Row{6000, "meshes"}, Row{6001, "cube"}, Row{14500, "cube"},
                    Row{14501, "image 4"}, Row{26000, "image 4"}, Row{26001, "image 3"},
                    Row{35000, "image 3"}, Row{35001, "image 2"}, Row{43000, "image 2"},
                    Row{43001, "image 0"}, Row{55000, "image 0"}}) {
        SCOPED_TRACE(row.elapsed);
        EXPECT_EQ(DrawAt(row.elapsed), 1);
        EXPECT_EQ(DemoState.elapsed, row.elapsed);
        EXPECT_EQ(SceneDrawn(), row.scene);
        if (std::string(row.scene).rfind("image", 0) == 0) {
            int slot = row.scene[6] - '0';
            ExpectColor(PixelAt(Width / 2, Height / 2), SlotColors[slot], 1, "centre");
        }
    }
}

TEST_F(TimelineTest, TheFrameAfterTheLastMillisecondEndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, with a context of its own
    EXPECT_EXIT(
        {
            fakewin32::SetTickCount(DemoState.startTick + 55001);
            std::fflush(stdout);
            dup2(STDERR_FILENO, STDOUT_FILENO);  // what the frame writes shows where it is read
            DrawFrame();
            std::exit(3);  // DrawFrame returned
        },
        ::testing::ExitedWithCode(0), ::testing::IsEmpty());
}

TEST_F(TimelineTest, NothingIsDrawnAtOrBeforeTimeZeroButTheFrameStillCounts) {
    for (std::int32_t elapsed : {0, -1, -5000}) {
        SCOPED_TRACE(elapsed);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);  // paint it over, so the frame's clear shows
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        float spin = DemoState.spinAngle;

        EXPECT_EQ(DrawAt(elapsed), 1);
        EXPECT_EQ(SceneDrawn(), "none");
        std::vector<std::uint8_t> pixels = context.ReadBackBuffer();
        size_t lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) lit += pixels[i] | pixels[i + 1] | pixels[i + 2];
        EXPECT_EQ(lit, 0u) << "the frame stays cleared";
        EXPECT_EQ(DemoState.spinAngle, spin + 0.5f);
        EXPECT_THAT(output, ::testing::EndsWith("\ntest??\n"));
    }
}

TEST_F(TimelineTest, ElapsedTimeSurvivesTheTickCounterWrapping) {
    SetUpAt(0xFFFFF000u);
    EXPECT_EQ(DrawAt(7000), 1);  // the tick count is now 2^32 - 4096 + 7000, wrapped to 2904
    EXPECT_EQ(fakewin32::TickCount(), 2904u);
    EXPECT_EQ(DemoState.elapsed, 7000);
    EXPECT_EQ(SceneDrawn(), "cube");
}

TEST_F(TimelineTest, SpinGrowsByHalfADegreePerFrameAndACubeFrameByAThousandthMore) {
    DrawAt(3000);  // meshes
    EXPECT_EQ(DemoState.spinAngle, -44.5f);
    DrawAt(20000);  // an image
    EXPECT_EQ(DemoState.spinAngle, -44.0f);

    // A cube frame adds 0.001 and then 0.5, each stored back as single precision. Just below
    // 2^14 the first sum keeps one step of 2^-10, and the second, past 2^14 where floats step by
    // 2^-9, ties and rounds to even. Adding 0.501 at once, or 0.5 first, gives 16384.251953125.
    DemoState.spinAngle = 16383.75f;
    DrawAt(7000);
    EXPECT_EQ(DemoState.spinAngle, 16384.25f);

    DemoState.spinAngle = 359.75f;  // never taken modulo 360
    DrawAt(3000);
    EXPECT_EQ(DemoState.spinAngle, 360.25f);
}

TEST_F(TimelineTest, EachFrameWritesTheTickCountReadLastAndTheTestLine) {
    SetUpAt(4000000000u);  // above 2^31: written unsigned
    fakewin32::SetTickStep(1);  // every reading is one millisecond later than the one before
    DrawAt(100);  // a mesh frame reads the clock three times: time, drift, diagnostics
    EXPECT_EQ(output, "4000000102\ntest??\n");
    DrawAt(7000);  // a cube frame twice
    EXPECT_EQ(output, "4000007001\ntest??\n");
}

TEST_F(TimelineTest, MeshFramesDriftByTheTickCountLessTheShowTime) {
    const DWORD OneHour = 3600000;
    SetUpAt(OneHour);
    fakewin32::SetTickStep(7);  // the drift's reading comes 7 ms after the frame's first
    DrawAt(3000);
    double base = OneHour + 7;  // that reading less the elapsed time
    float driftZ = static_cast<float>(base * 1e-10);
    float driftX = static_cast<float>(base * 3e-12);
    EXPECT_EQ(DemoState.driftZ, driftZ);
    EXPECT_EQ(DemoState.driftX, driftX);
    DrawAt(4000);  // the set-up's tick is still in the base, plus this frame's 7 ms
    EXPECT_EQ(DemoState.driftZ, static_cast<float>(driftZ + base * 1e-10));
    EXPECT_EQ(DemoState.driftX, static_cast<float>(driftX + base * 3e-12));

    // Only mesh frames drift.
    driftZ = DemoState.driftZ;
    driftX = DemoState.driftX;
    DrawAt(7000);
    DrawAt(20000);
    EXPECT_EQ(DemoState.driftZ, driftZ);
    EXPECT_EQ(DemoState.driftX, driftX);
}

TEST_F(TimelineTest, ASetUpAfterTwoToThe31MillisecondsDriftsTheOtherWay) {
    const DWORD Late = 0x80000000u + 1000;
    SetUpAt(Late);
    DemoState.driftZ = 0.25f;
    DemoState.driftX = -0.125f;
    DrawAt(3000);
    const double base = static_cast<std::int32_t>(Late);  // negative as a signed 32-bit value
    EXPECT_EQ(DemoState.driftZ, static_cast<float>(0.25 + base * 1e-10));
    EXPECT_EQ(DemoState.driftX, static_cast<float>(-0.125 + base * 3e-12));
    EXPECT_LT(DemoState.driftZ, 0.25f);   // away from the camera
    EXPECT_LT(DemoState.driftX, -0.125f);  // the meshes' x offsets grow: to the right
}

// Where the mesh scene puts each mesh and how it blends them, seen through stand-in lists: each
// marks its own origin and the ends of its x and z axes as points, which OpenGL's feedback mode
// hands back in window coordinates; the test's own camera and projection take them back to
// world space.
TEST_F(TimelineTest, MeshSceneDrawsEachMeshAtItsDriftedPlaceAndPhaseAndBlendsAdditively) {
    const float Axis = 0.25f;  // world units from a marker's origin to its axis ends
    const GLuint markers = glGenLists(3);
    for (GLuint i = 0; i < 3; ++i) {
        glNewList(markers + i, GL_COMPILE);
        glPassThrough(static_cast<GLfloat>(i));
        glBegin(GL_POINTS);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glVertex3f(Axis, 0.0f, 0.0f);
        glVertex3f(0.0f, 0.0f, Axis);
        glEnd();
        glEndList();
    }
    DemoState.meshListA = markers;
    DemoState.meshListB = markers + 1;
    DemoState.meshListC = markers + 2;
    DemoState.spinAngle = 10.0f;
    DemoState.driftZ = 0.5f;    // towards the camera
    DemoState.driftX = 0.125f;  // to the left

    std::vector<GLfloat> feedback(256);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    DrawAt(3000);
    const GLint values = glRenderMode(GL_RENDER);
    glDeleteLists(markers, 3);

    // Window coordinates back to world space, through the camera at its start (2.5 units out on
    // z) and the square 45-degree projection.
    GLdouble projection[16], camera[16];
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1, 1000.0);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 2.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, camera);
    glLoadIdentity();
    struct Point {
        double x, y, z;
    };
    std::vector<std::vector<Point>> drawn(3);  // per marker list, its points in order
    int list = -1;
    for (GLint at = 0; at < values;) {
        const GLfloat token = feedback[at++];
        if (token == GL_PASS_THROUGH_TOKEN) {
            list = static_cast<int>(feedback[at++]);
        } else {
            ASSERT_EQ(token, GL_POINT_TOKEN);
            ASSERT_GE(list, 0);
            Point p;
            gluUnProject(feedback[at], feedback[at + 1], feedback[at + 2], camera, projection,
                         viewport, &p.x, &p.y, &p.z);
            drawn[list].push_back(p);
            at += 3;
        }
    }

    const struct {
        const char* name;
        double x, y, phase;
    } meshes[3] = {{"A", -0.4, 0.2, 0.0}, {"B", 0.0, 0.0, -30.0}, {"C", 0.2, -0.2, -60.0}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(std::string("mesh ") + meshes[i].name);
        ASSERT_EQ(drawn[i].size(), 3u);
        const Point origin = {meshes[i].x - 0.125, meshes[i].y, 0.5};
        // Turned -90 degrees about x, then spun about its own z: its x axis turns in the
        // horizontal plane, and its z axis points up.
        const double angle = (10.0 + meshes[i].phase) * std::acos(-1.0) / 180.0;
        const Point expected[3] = {
            origin,
            {origin.x + Axis * std::cos(angle), origin.y, origin.z - Axis * std::sin(angle)},
            {origin.x, origin.y + Axis, origin.z},
        };
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(drawn[i][k].x, expected[k].x, 1e-3) << "point " << k;
            EXPECT_NEAR(drawn[i][k].y, expected[k].y, 1e-3) << "point " << k;
            EXPECT_NEAR(drawn[i][k].z, expected[k].z, 1e-3) << "point " << k;
        }
    }

    // Additive blending, weighted by the source's alpha.
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
}

TEST_F(TimelineTest, CubeSceneDrawsALitCubeInTheCentre) {
    DrawAt(7000);
    std::vector<std::uint8_t> pixels = context.ReadBackBuffer();
    int left = Width, right = -1, bottom = Height, top = -1;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const std::uint8_t* p = &pixels[(static_cast<size_t>(y) * Width + x) * 4];
            if ((p[0] | p[1] | p[2]) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            bottom = std::min(bottom, y);
            top = std::max(top, y);
        }
    }
    ASSERT_GE(right, 0) << "nothing drawn";
    EXPECT_NEAR((left + right) / 2.0, Width / 2.0, 3.0);
    EXPECT_NEAR((bottom + top) / 2.0, Height / 2.0, 3.0);
    // 7.5 units from the eye, a 45-degree view stretched to 640x480: about a third of the height.
    EXPECT_GT(top - bottom, Height / 5);
    EXPECT_LT(top - bottom, Height / 2);
    EXPECT_GT(right - left, top - bottom) << "the square aspect stretches it sideways";

    // Lit with set-up's magenta front material and OpenGL's default normal: no mesh frame ran
    // in this context. The green current colour does not show under lighting.
    Rgba centre = PixelAt(Width / 2, Height / 2);
    EXPECT_GT(centre.r, 40);
    EXPECT_GT(centre.b, 40);
    EXPECT_LT(centre.g, centre.r);
}

TEST_F(TimelineTest, ImageSceneCoversTheViewportUprightAndBlendsItsAlpha) {
    // Rows top first, as the texture loader uploads them: the first row sits at t = 0.
    const std::uint8_t texels[] = {
        255, 0, 0, 255, /**/ 0, 255, 0, 255,      // top: red, green
        0, 0, 255, 255, /**/ 255, 255, 255, 128,  // bottom: blue, half-transparent white
    };
    DemoState.textures[4] = MakeTexture(2, 2, texels);
    DrawAt(20000);

    ExpectColor(PixelAt(0, Height - 1), {255, 0, 0, 255}, 1, "top left");
    ExpectColor(PixelAt(Width - 1, Height - 1), {0, 255, 0, 255}, 1, "top right");
    ExpectColor(PixelAt(0, 0), {0, 0, 255, 255}, 1, "bottom left");
    ExpectColor(PixelAt(Width - 1, 0), {128, 128, 128, 255}, 2, "bottom right, over black");
    std::vector<std::uint8_t> pixels = context.ReadBackBuffer();
    for (size_t i = 0; i < pixels.size(); i += 4) {
        ASSERT_GT(std::max({pixels[i], pixels[i + 1], pixels[i + 2]}), 100) << "pixel " << i / 4;
    }
}

// The projection that window creation and WM_SIZE set up through ResizeScene.
class ResizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ASSERT_TRUE(context.ok());
    }

    std::vector<GLint> Viewport() {
        std::vector<GLint> viewport(4);
        glGetIntegerv(GL_VIEWPORT, viewport.data());
        return viewport;
    }

    std::vector<GLfloat> Projection() {
        std::vector<GLfloat> matrix(16);
        glGetFloatv(GL_PROJECTION_MATRIX, matrix.data());
        return matrix;
    }

    void ExpectModelViewSelectedAndIdentity() {
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLfloat matrix[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(matrix[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    }

    TestGLContext context{Width, Height};
};

const double Cot22_5 = 1.0 / std::tan(std::acos(-1.0) / 8.0);  // gluPerspective's y scale at 45 degrees

LPARAM Size(WORD width, WORD height) { return static_cast<LPARAM>(width | (height << 16)); }

TEST_F(ResizeTest, CreationSetsTheProjectionForTheClientSizeAskedFor) {
    for (bool fullscreen : {false, true}) {
        SCOPED_TRACE(fullscreen ? "fullscreen" : "windowed");
        glViewport(0, 0, 1, 1);
        ASSERT_TRUE(CreateDemoWindow("VESKOP", 640, 480, 32, fullscreen));
        EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 640, 480}));  // not the framed outer size
        EXPECT_NEAR(Projection()[0], Cot22_5 / (640.0 / 480.0), 1e-5);
        EXPECT_NEAR(Projection()[5], Cot22_5, 1e-5);
        EXPECT_NEAR(Projection()[10], (100.0 + 0.1) / (0.1 - 100.0), 1e-5);  // far plane 100
        ExpectModelViewSelectedAndIdentity();
        DestroyDemoWindow();
    }
}

TEST_F(ResizeTest, SizeMessageSetsViewportAndAspectFromItsWords) {
    EXPECT_EQ(DemoWindowProc(nullptr, WM_SIZE, 0, Size(320, 200)), 0);
    EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 320, 200}));
    EXPECT_NEAR(Projection()[0], Cot22_5 / 1.6, 1e-5);
    EXPECT_NEAR(Projection()[5], Cot22_5, 1e-5);
    ExpectModelViewSelectedAndIdentity();

    // The words are unsigned: 40000 is a width, not a negative number.
    DemoWindowProc(nullptr, WM_SIZE, 0, Size(40000, 400));
    EXPECT_NEAR(Projection()[0], Cot22_5 / 100.0, 1e-6);
}

TEST_F(ResizeTest, MinimisedSizeGivesAViewportOfZeroByOne) {
    DemoWindowProc(nullptr, WM_SIZE, 0, Size(0, 0));
    EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 0, 1}));
    // An aspect ratio of 0 is one GLU refuses: the projection stays the identity it was reset to.
    std::vector<GLfloat> projection = Projection();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(projection[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
    ExpectModelViewSelectedAndIdentity();
}

}  // namespace
