// The fixed-function layer draws what Mesa draws: the demo's own scenes (the real InitScene and
// DrawFrame, data/'s images, the compiled-in meshes) on the same frame clock, once in headless
// Chromium through the web build's scene harness (render_scenes.js) and once here in Mesa's
// OpenGL, and each pair of pictures compared.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/demo_window.h"
#include "child_process.h"
#include "demo/scene_setup.h"
#include "demo/timeline.h"
#include "fake_win32.h"
#include "gl_context.h"
#include "image_compare.h"
#include "png_write.h"
#include "scene_checks.h"
#include "shell_harness.h"
#include "veskop_run.h"
#include "x_server.h"

namespace {

const int Width = 640, Height = 480;
const int Fps = 30;

enum class Scene { Meshes, Cube, Image };
struct Moment {
    const char* name;
    int frame;          // at Fps: the show's time is frame / Fps seconds
    Scene scene;
    const char* image;  // image scenes: the file shown
};
// One moment inside each scene's span.
const Moment Moments[] = {
    {"meshes", 90, Scene::Meshes, nullptr},
    {"cube", 300, Scene::Cube, nullptr},
    {"vardlum", 600, Scene::Image, "data/vardlum.png"},
    {"sovepose2", 900, Scene::Image, "data/sovepose2.png"},
    {"pizza2", 1200, Scene::Image, "data/pizza2.png"},
    {"startlogo2", 1500, Scene::Image, "data/startlogo2.png"},
};

// The tick count at the end of the set-up: an hour of uptime, as veskop-capture draws it, and a
// day, where the meshes drift towards the camera by most of a unit within three seconds.
const DWORD HourTick = 3600000;
const DWORD DayTick = 86400000;

// Root-mean-square difference from Mesa's picture that a frame of the layer stays under. The two
// rasterisers differ in single pixels along the meshes' and the cube's edges, and by a few
// 255ths in filtered texels: up to 0.008 measured (the meshes a day into the uptime), while the
// meshes one frame off (half a degree of spin) differ by 0.019 and a wrong image by over 0.2.
const double FrameTolerance = 0.012;

std::string FramePath(const std::string& folder, int frame) {
    return folder + "/frame-" + std::to_string(frame) + ".png";
}

// The frames drawn in Mesa's OpenGL on the frame clock of the harness (scene_harness.cpp):
// set-up at startTick, frame n at startTick + n * 1000 / Fps. Written as folder/frame-N.png.
void DrawWithMesa(DWORD startTick, const std::vector<int>& keep, const std::string& folder) {
    ResetProgramState();
    TestGLContext context(Width, Height);
    ASSERT_TRUE(context.ok());
    fakewin32::SetTickCount(startTick);
    ResizeScene(Width, Height);
    ASSERT_TRUE(InitScene());
    size_t next = 0;
    for (int frame = 0; next < keep.size(); frame++) {
        fakewin32::SetTickCount(static_cast<DWORD>(startTick + std::uint64_t(frame) * 1000 / Fps));
        testing::internal::CaptureStdout();  // the show's two lines a frame
        DrawFrame();
        testing::internal::GetCapturedStdout();
        if (frame != keep[next]) continue;
        std::vector<std::uint8_t> rgba = context.ReadBackBuffer();  // bottom row first
        PngPicture picture = MakePicture(Width, Height, PNG_COLOR_TYPE_RGB, 8, [&](uint32_t x, uint32_t y, int s) {
            return rgba[((Height - 1 - y) * Width + x) * 4 + s];
        });
        ASSERT_TRUE(WriteFileBytes(FramePath(folder, keep[next]), EncodePng(picture)));
        next++;
    }
}

// The same frames drawn by the layer in Chromium.
void DrawInBrowser(DWORD startTick, const std::vector<int>& keep, const std::string& folder) {
    std::vector<std::string> command = {"node", VESKOP_WEB_DRIVER, VESKOP_WEB_HARNESS_DIR, folder,
                                        std::to_string(startTick), std::to_string(Fps)};
    for (int frame : keep) command.push_back(std::to_string(frame));
    ChildOptions options;
    options.environment = {{"NODE_PATH", VESKOP_WEB_NODE_MODULES}};
    CommandResult result = RunCommand(command, options, 300.0);
    ASSERT_EQ(0, result.status) << result.errors;
}

class WebScenes : public ::testing::Test {
protected:
    // Both sets of pictures, drawn once for all the tests.
    static void SetUpTestSuite() {
        folder_ = TestArtifactDirectory() + "/web-scenes";
        RunCommand({"rm", "-rf", folder_});
        RunCommand({"mkdir", "-p", folder_ + "/mesa-hour", folder_ + "/web-hour", folder_ + "/mesa-day",
                    folder_ + "/web-day"});
        std::vector<int> all;
        for (const Moment& moment : Moments) all.push_back(moment.frame);
        DrawWithMesa(HourTick, all, folder_ + "/mesa-hour");
        DrawInBrowser(HourTick, all, folder_ + "/web-hour");
        DrawWithMesa(DayTick, {Moments[0].frame}, folder_ + "/mesa-day");
        DrawInBrowser(DayTick, {Moments[0].frame}, folder_ + "/web-day");
    }

    // The layer's frame against Mesa's, and against what a person expects of the scene.
    static void ExpectSameFrame(const std::string& run, const Moment& moment) {
        const std::string web = FramePath(folder_ + "/web-" + run, moment.frame);
        const std::string mesa = FramePath(folder_ + "/mesa-" + run, moment.frame);
        const double difference = ImageDifference(web, mesa);
        ASSERT_GE(difference, 0.0) << "cannot compare " << web << " with " << mesa;
        EXPECT_LT(difference, FrameTolerance) << web << " is not " << mesa;
        RecordProperty(std::string("difference_") + run + "_" + moment.name, std::to_string(difference));
        std::printf("%s, %s: %.4f from Mesa's picture\n", run.c_str(), moment.name, difference);
    }

    static std::string folder_;
};
std::string WebScenes::folder_;

TEST_F(WebScenes, EachSceneOfTheShowIsMesasPicture) {
    for (const Moment& moment : Moments) {
        SCOPED_TRACE(moment.name);
        ExpectSameFrame("hour", moment);
        const std::string web = FramePath(folder_ + "/web-hour", moment.frame);
        switch (moment.scene) {
        case Scene::Meshes:
            ExpectMeshScene(Screenshot::Read(web), 0, 0);
            break;
        case Scene::Cube:
            ExpectCubeScene(Screenshot::Read(web), 0, 0);
            break;
        case Scene::Image:
            ExpectImageScene(web, std::string(VESKOP_SOURCE_DIR) + "/" + moment.image, 0, 0);
            break;
        }
    }
}

// After a day of uptime the meshes have drifted well off their places of the first frame:
// the drift is the program's arithmetic, and the pictures still agree.
TEST_F(WebScenes, TheMeshesDriftWithTheUptimeAsInMesa) {
    ExpectSameFrame("day", Moments[0]);
    const double moved = ImageDifference(FramePath(folder_ + "/web-day", Moments[0].frame),
                                         FramePath(folder_ + "/web-hour", Moments[0].frame));
    EXPECT_GT(moved, 4 * FrameTolerance) << "the meshes did not drift";
}

}  // namespace
