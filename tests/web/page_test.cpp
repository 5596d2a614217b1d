// The show's page (the web build's index.html) as a user meets it, in headless Chromium, served
// from 127.0.0.1 (page_driver.js): each scene in its span is the Linux program's picture of the
// same moment and uptime, the log has the show's two lines a frame, the keys and the end of the
// show end it with the desktop program's status, F1 switches both ways and starts the show
// over, the music plays from the click, a failed set-up is told in the page's dialog, and a
// browser without WebGL 2 gets a message instead of the canvas.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "scene_checks.h"
#include "veskop_run.h"
#include "web_support.h"
#include "x_server.h"

namespace {

const char RestartText[] = "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.";

struct PageRun {
    std::string folder;                         // what the driver wrote
    std::map<std::string, std::string> result;  // result.txt
    std::vector<std::string> log;               // the lines the page's log kept
};

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// Runs page_driver.js's scenario on the page in pageDir with the address's query.
PageRun DrivePage(const std::string& scenario, const std::string& pageDir, const std::string& query,
                  const std::vector<std::string>& extra = {}) {
    PageRun run;
    run.folder = TestArtifactDirectory() + "/web-page-" + scenario;
    RunCommand({"rm", "-rf", run.folder});
    RunCommand({"mkdir", "-p", run.folder});
    std::vector<std::string> arguments = {scenario, pageDir, run.folder, query};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    CommandResult driven = RunDriver("page_driver.js", arguments);
    EXPECT_EQ(0, driven.status) << driven.errors;
    for (const std::string& line : ReadLines(run.folder + "/result.txt")) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) run.result[line.substr(0, space)] = line.substr(space + 1);
    }
    run.log = ReadLines(run.folder + "/log.txt");
    return run;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// On a frame clock, with the frames back to back: every scene, the log, and the end of the
// show, 55 s of it in the time its 1651 frames take to draw.
TEST(WebPage, ShowsEachSceneAsTheLinuxProgramLogsEachFrameAndEndsWith0) {
    std::vector<int> frames;
    std::vector<std::string> frameArguments;
    for (const Moment& moment : Moments) {
        frames.push_back(moment.frame);
        frameArguments.push_back(std::to_string(moment.frame));
    }
    const std::string query = "?fps=" + std::to_string(MomentFps) + "&tick=" + std::to_string(HourTick) +
                              "&pacing=off";
    PageRun run = DrivePage("show", VESKOP_WEB_PAGE_DIR, query, frameArguments);
    RunCommand({"mkdir", "-p", run.folder + "/mesa"});
    DrawWithMesa(HourTick, MomentFps, frames, run.folder + "/mesa");
    for (const Moment& moment : Moments) {
        SCOPED_TRACE(moment.name);
        const std::string web = FramePath(run.folder, moment.frame);
        ExpectSameAsMesa(web, FramePath(run.folder + "/mesa", moment.frame));
        ExpectSceneOfMoment(moment, web);
    }

    EXPECT_EQ("0", run.result["status"]);
    EXPECT_EQ("The show has ended (exit status 0).", run.result["ended"]);
    // Frame n is drawn at HourTick + n * 1000 / 30 ms; the first after 55 s ends the show before
    // its lines, so frames 0 to 1650 wrote theirs. The log keeps the newest lines, in pairs.
    const int lastFrame = 55000 * MomentFps / 1000;
    EXPECT_EQ(std::to_string(2 * (lastFrame + 1)), run.result["lines"]);
    ASSERT_FALSE(run.log.empty());
    ASSERT_EQ(0u, run.log.size() % 2);
    const int firstKept = lastFrame + 1 - int(run.log.size() / 2);
    for (size_t i = 0; i < run.log.size(); i += 2) {
        const int frame = firstKept + int(i / 2);
        ASSERT_EQ(std::to_string(HourTick + frame * 1000 / MomentFps), run.log[i]) << "line " << i;
        ASSERT_EQ("test??", run.log[i + 1]) << "line " << i + 1;
    }
}

// At ten frames a second of show time for each frame the browser draws: F1 held in the cube's
// span leaves fullscreen for the canvas in the page and starts the show over (the music's
// restart says so in the log, the meshes are back); held again, it goes back to fullscreen
// and starts over again; Escape then ends the show with 27.
TEST(WebPage, F1SwitchesBothWaysStartingTheShowOverAndEscapeEndsWith27) {
    PageRun run = DrivePage("keys", VESKOP_WEB_PAGE_DIR, "?fps=10");
    EXPECT_TRUE(StartsWith(run.result["before-F1"], "fullscreen")) << run.result["before-F1"];
    EXPECT_EQ("page 640x480", run.result["after-F1-1"]);
    EXPECT_TRUE(StartsWith(run.result["after-F1-2"], "fullscreen")) << run.result["after-F1-2"];
    for (const char* restart : {"restart-frame-1", "restart-frame-2"}) {
        SCOPED_TRACE(restart);
        ExpectMeshScene(Screenshot::Read(FramePath(run.folder, std::stoi(run.result[restart]))), 0, 0);
    }
    int restarts = 0;
    for (const std::string& line : run.log) restarts += StartsWith(line, RestartText) ? 1 : 0;
    EXPECT_EQ(2, restarts);
    EXPECT_EQ("27", run.result["status"]);
    EXPECT_EQ("The show has ended (exit status 27).", run.result["ended"]);
}

// Where the browser leaves fullscreen on Escape itself (the page could not lock that key), the
// show ends as after Escape.
TEST(WebPage, FullscreenLeftByTheBrowserEndsTheShowWith27) {
    PageRun run = DrivePage("leave", VESKOP_WEB_PAGE_DIR, "?fps=10");
    EXPECT_EQ("27", run.result["status"]);
}

// The music waits with the show for the click; from it on, the module from its start.
TEST(WebPage, PlaysTheModuleFromTheClick) {
    PageRun run = DrivePage("sound", VESKOP_WEB_PAGE_DIR, "", {"2.5"});
    // A browser may let sound play before any gesture (the tests' Chromium does): the music still
    // waits for the click, beyond what its output queues ahead (120 ms) before the page waits.
    EXPECT_LT(std::stoi(run.result["sound-before-click-ms"]), 300) << "the music ran on before the click";
    ExpectModuleFromItsStart(run.folder + "/sound.raw");
}

// The page built without data/pizza2.png: the desktop's message box is the page's dialog, with
// the same text, and the show ends with 1 once it is answered.
TEST(WebPage, AnImageThatDoesNotLoadIsToldInADialogAndEndsWith1) {
    PageRun run = DrivePage("dialog", VESKOP_WEB_MISSING_IMAGE_DIR, "");
    EXPECT_EQ("ERROR", run.result["caption"]);
    EXPECT_EQ("veskop: cannot load data/pizza2.png: the file is missing", run.result["text"]);
    EXPECT_EQ("1", run.result["status"]);
}

// A browser without WebGL 2: the page says so in place of the canvas, and the program never
// starts (nothing in its log).
TEST(WebPage, WithoutWebGl2ThePageSaysSoInsteadOfTheCanvas) {
    PageRun run = DrivePage("nowebgl", VESKOP_WEB_PAGE_DIR, "");
    EXPECT_TRUE(StartsWith(run.result["message"], "This show needs WebGL 2")) << run.result["message"];
    EXPECT_EQ("hidden", run.result["screen"]);
    EXPECT_EQ("0", run.result["lines"]);
}

}  // namespace
