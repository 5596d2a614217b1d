// The web build's layers beneath the program, in headless Chromium through the scene harness:
// the fixed-function layer draws what Mesa draws (the demo's own scenes, with the real InitScene
// and DrawFrame, data/'s images and the compiled-in meshes, on the same frame clock, once there
// by render_scenes.js and once here in Mesa's OpenGL), and the sound library's Web Audio output
// plays the module from its start (tap_sound.js).
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "image_compare.h"
#include "scene_checks.h"
#include "veskop_run.h"
#include "web_support.h"
#include "x_server.h"

namespace {

// The tick count at the end of the set-up: a day of uptime, where the meshes drift towards the
// camera by most of a unit within three seconds.
const DWORD DayTick = 86400000;

// The same frames drawn by the layer in Chromium.
void DrawInBrowser(DWORD startTick, const std::vector<int>& keep, const std::string& folder) {
    std::vector<std::string> arguments = {VESKOP_WEB_HARNESS_DIR, folder, std::to_string(startTick),
                                          std::to_string(MomentFps)};
    for (int frame : keep) arguments.push_back(std::to_string(frame));
    CommandResult result = RunDriver("render_scenes.js", arguments);
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
        DrawWithMesa(HourTick, MomentFps, all, folder_ + "/mesa-hour");
        DrawInBrowser(HourTick, all, folder_ + "/web-hour");
        DrawWithMesa(DayTick, MomentFps, {Moments[0].frame}, folder_ + "/mesa-day");
        DrawInBrowser(DayTick, {Moments[0].frame}, folder_ + "/web-day");
    }

    // The layer's frame against Mesa's, and against what a person expects of the scene.
    static void ExpectSameFrame(const std::string& run, const Moment& moment) {
        const std::string web = FramePath(folder_ + "/web-" + run, moment.frame);
        const std::string mesa = FramePath(folder_ + "/mesa-" + run, moment.frame);
        const double difference = ExpectSameAsMesa(web, mesa);
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
        ExpectSceneOfMoment(moment, FramePath(folder_ + "/web-hour", moment.frame));
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
    const std::string heardPath = TestArtifactDirectory() + "/web-sound.raw";
    CommandResult tapped = RunDriver("tap_sound.js", {VESKOP_WEB_HARNESS_DIR, heardPath, "2.5"});
    ASSERT_EQ(0, tapped.status) << tapped.errors;
    ExpectModuleFromItsStart(heardPath);
}

}  // namespace
