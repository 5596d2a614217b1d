#include "web_support.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "app/demo_window.h"
#include "audio_analysis.h"
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

void ExpectSceneOfMoment(const Moment& moment, const std::string& picture) {
    switch (moment.scene) {
    case Scene::Meshes:
        ExpectMeshScene(Screenshot::Read(picture), 0, 0);
        break;
    case Scene::Cube:
        ExpectCubeScene(Screenshot::Read(picture), 0, 0);
        break;
    case Scene::Image:
        ExpectImageScene(picture, std::string(VESKOP_SOURCE_DIR) + "/" + moment.image, 0, 0);
        break;
    }
}

double ExpectSameAsMesa(const std::string& web, const std::string& mesa) {
    const double difference = ImageDifference(web, mesa);
    EXPECT_GE(difference, 0.0) << "cannot compare " << web << " with " << mesa;
    EXPECT_LT(difference, FrameTolerance) << web << " is not " << mesa;
    return difference;
}

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

void DrawWithMesa(DWORD startTick, int fps, const std::vector<int>& keep, const std::string& folder) {
    ResetProgramState();
    TestGLContext context(WebWidth, WebHeight);
    ASSERT_TRUE(context.ok());
    fakewin32::SetTickCount(startTick);
    ResizeScene(WebWidth, WebHeight);
    ASSERT_TRUE(InitScene());
    size_t next = 0;
    for (int frame = 0; next < keep.size(); frame++) {
        fakewin32::SetTickCount(static_cast<DWORD>(startTick + std::uint64_t(frame) * 1000 / fps));
        testing::internal::CaptureStdout();  // the show's two lines a frame
        DrawFrame();
        testing::internal::GetCapturedStdout();
        if (frame != keep[next]) continue;
        std::vector<std::uint8_t> rgba = context.ReadBackBuffer();  // bottom row first
        PngPicture picture = MakePicture(WebWidth, WebHeight, PNG_COLOR_TYPE_RGB, 8, [&](uint32_t x, uint32_t y, int s) {
            return rgba[((WebHeight - 1 - y) * WebWidth + x) * 4 + s];
        });
        ASSERT_TRUE(WriteFileBytes(FramePath(folder, keep[next]), EncodePng(picture)));
        next++;
    }
}

void ExpectModuleFromItsStart(const std::string& heardPath) {
    const int Rate = 44100;
    const StereoSamples heard = ReadRawStereo(heardPath);
    ASSERT_GE(heard.size(), size_t(2 * 2 * Rate)) << "under two seconds were played";

    const std::string referencePath = TestArtifactDirectory() + "/module.raw";
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
