// The web build's layers beneath the program, in headless Chromium through the scene harness:
// the fixed-function layer draws what Mesa draws (the demo's own scenes, with the real InitScene
// and DrawFrame, data/'s images and the compiled-in meshes, on the same frame clock, once there
// by render_scenes.js and once here in Mesa's OpenGL), and the sound library's Web Audio output
// plays the module from its start (tap_sound.js).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/demo_window.h"
#include "audio_analysis.h"
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

CommandResult RunDriver(const std::string& script, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"node", std::string(VESKOP_WEB_DRIVERS) + "/" + script};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.environment = {{"NODE_PATH", VESKOP_WEB_NODE_MODULES}};
    return RunCommand(command, options, 300.0);
}

// The same frames drawn by the layer in Chromium.
void DrawInBrowser(DWORD startTick, const std::vector<int>& keep, const std::string& folder) {
    std::vector<std::string> arguments = {VESKOP_WEB_HARNESS_DIR, folder, std::to_string(startTick),
                                          std::to_string(Fps)};
    for (int frame : keep) arguments.push_back(std::to_string(frame));
    CommandResult result = RunDriver("render_scenes.js", arguments);
    ASSERT_EQ(0, result.status) << result.errors;
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

// What the page plays from the set-up on is the module from its start: no sample early or late
// over the first seconds, nothing lost or added between the device buffers (tap_sound.js fails
// on a gap or an overlap), and as loud as the module itself.
TEST(WebSound, PlaysTheModuleFromItsStart) {
    const int Rate = 44100;
    const std::string folder = TestArtifactDirectory();
    const std::string heardPath = folder + "/web-sound.raw";
    CommandResult tapped = RunDriver("tap_sound.js", {VESKOP_WEB_HARNESS_DIR, heardPath, "2.5"});
    ASSERT_EQ(0, tapped.status) << tapped.errors;
    const StereoSamples heard = ReadRawStereo(heardPath);
    ASSERT_GE(heard.size(), size_t(2 * 2 * Rate)) << "under two seconds were played";

    const std::string referencePath = folder + "/module.raw";
    CommandResult rendered = RunCommand(
        {"sh", "-c", "openmpt123 --batch --quiet --samplerate 44100 --channels 2 --no-float --end-time 3 --stdout '" +
                         std::string(VESKOP_SOURCE_DIR) + "/data/LUMAR7.XM' > '" + referencePath + "'"});
    ASSERT_EQ(0, rendered.status) << rendered.errors;
    const StereoSamples reference = ReadRawStereo(referencePath);
    ASSERT_GE(reference.size(), size_t(2 * 2 * Rate));

    auto mono = [](const StereoSamples& samples, long frame) {
        return double(samples[2 * frame]) + samples[2 * frame + 1];
    };
    // Over a quarter of a second at each point, the correlation is highest with no shift, of
    // all shifts up to 10 ms either way.
    const long window = Rate / 4, reach = Rate / 100;
    for (double seconds : {0.25, 1.0, 1.6}) {
        const long at = long(seconds * Rate);
        long best = 0;
        double bestScore = -1e300;
        for (long lag = -reach; lag <= reach; lag++) {
            double score = 0.0;
            for (long i = 0; i < window; i += 2) score += mono(reference, at + i) * mono(heard, at + i + lag);
            if (score > bestScore) {
                bestScore = score;
                best = lag;
            }
        }
        EXPECT_EQ(0, best) << "at " << seconds << " s the page plays " << best << " samples off the module";
    }
    const double heardRms = WindowRms(heard, Rate, 0.0, 2.0), moduleRms = WindowRms(reference, Rate, 0.0, 2.0);
    EXPECT_NEAR(heardRms, moduleRms, 0.05 * moduleRms);
}

}  // namespace
