#include "veskop_run.h"

#include "scene_checks.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string TestArtifactDirectory() {
    static std::string current;  // the folder of the test that asked last
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr
                           ? std::string(test->test_suite_name()) + "." + test->name()
                           : std::string("outside-a-test");
    std::filesystem::path folder = std::filesystem::path(VESKOP_E2E_ARTIFACTS) / name;
    if (current != folder.string()) {  // the first call in a test starts the folder afresh
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        std::filesystem::create_directories(folder, ignored);
        current = folder.string();
    }
    return current;
}

WorkingFolder::WorkingFolder(Contents contents) {
    path_ = MakeTemporaryDirectory("veskop-run-");
    if (path_.empty()) return;
    std::error_code error;
    if (contents == WithData) {
        std::filesystem::copy(std::filesystem::path(VESKOP_SOURCE_DIR) / "data", path_ + "/data",
                              std::filesystem::copy_options::recursive, error);
    }
    ok_ = !error;
}

WorkingFolder::~WorkingFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool WorkingFolder::Remove(const std::string& relativePath) const {
    std::error_code error;
    return std::filesystem::remove(File(relativePath), error);
}

bool WorkingFolder::Write(const std::string& relativePath, const std::string& bytes) const {
    std::ofstream file(File(relativePath), std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file);
}

namespace {

// The time argument of faketime: an absolute start ("@1970-02-19 17:02:44", read in the zone
// that TZ names) or the real time, and the rate ("x4").
std::string FaketimeArgument(const VeskopOptions& options) {
    std::ostringstream text;
    if (options.clockStartSeconds >= 0) {
        std::time_t start = static_cast<std::time_t>(options.clockStartSeconds);
        std::tm parts = {};
        gmtime_r(&start, &parts);
        char date[64];
        std::strftime(date, sizeof(date), "@%Y-%m-%d %H:%M:%S", &parts);
        text << date;
    } else {
        text << "+0";
    }
    if (options.clockSpeed != 1.0) text << " x" << options.clockSpeed;
    return text.str();
}

}  // namespace

std::unique_ptr<ChildProcess> StartVeskop(const XServer* server, const VeskopOptions& options) {
    ChildOptions child;
    child.workingDirectory = options.workingDirectory;
    if (child.workingDirectory.empty()) child.workingDirectory = VESKOP_SOURCE_DIR;
    child.logPrefix = TestArtifactDirectory() + "/" + options.logName;
    child.outputReaderGone = options.outputReaderGone;
    child.environment.emplace_back("SDL_AUDIODRIVER", "dummy");
    for (const auto& pair : options.environment) child.environment.push_back(pair);
    if (server != nullptr) {
        child = server->ClientOptions(child);
    } else {
        child.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    }

    std::vector<std::string> argv;
    if (options.clockSpeed != 1.0 || options.clockStartSeconds >= 0) {
        argv = {"faketime", "-f", FaketimeArgument(options)};
        child.environment.emplace_back("TZ", "UTC");  // the start date is given in UTC
    }
    if (!options.traceFile.empty()) {
        argv.insert(argv.end(), {"apitrace", "trace", "--output", options.traceFile});
    }
    argv.push_back(options.program.empty() ? VESKOP_BINARY : options.program);
    return std::make_unique<ChildProcess>(argv, child);
}

namespace {

bool IsTickLine(const std::string& line) {
    return !line.empty() && line.size() <= 10 &&
           line.find_first_not_of("0123456789") == std::string::npos &&
           std::stoull(line) <= 0xFFFFFFFFull;
}

}  // namespace

FrameLines ParseFrameLines(const std::string& output) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        size_t length = end - start;
        if (length > 0 && output[end - 1] == '\r') length--;  // a Windows program's line end
        lines.push_back(output.substr(start, length));
    }
    FrameLines frames;
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string& line = lines[i];
        if (line == "test??") {
            frames.problem = "\"test??\" without a tick count before it, line " + std::to_string(i + 1);
            return frames;
        }
        // The music player's texts end without a line feed, so one written during a set-up
        // runs into the next frame's tick count: "Error loading file1482096684".
        size_t digits = line.find_last_not_of("0123456789") + 1;
        std::string tick = line.substr(digits);
        if (!IsTickLine(tick)) {
            frames.otherLines.push_back(line);
            continue;
        }
        if (i + 1 == lines.size()) break;  // the frame's second line is not written yet
        if (lines[i + 1] != "test??") {
            frames.problem = "tick count " + line + " is followed by \"" + lines[i + 1] + "\"";
            return frames;
        }
        if (digits > 0) frames.otherLines.push_back(line.substr(0, digits));
        frames.ticks.push_back(static_cast<std::uint32_t>(std::stoull(tick)));
        i++;
    }
    return frames;
}

void ExpectTicksInOrder(const FrameLines& frames) {
    EXPECT_EQ("", frames.problem);
    for (size_t i = 1; i < frames.ticks.size(); i++) {
        ASSERT_GE(TicksBetween(frames.ticks[i - 1], frames.ticks[i]), 0) << "frame " << i;
    }
}

std::uint32_t FirstFrameTick(const ChildProcess& veskop) {
    FrameLines frames = ParseFrameLines(veskop.Output());
    return frames.ticks.empty() ? 0 : frames.ticks.front();
}

std::int64_t TicksBetween(std::uint32_t from, std::uint32_t to) {
    return static_cast<std::int32_t>(to - from);
}

bool FindTickAfter(const std::string& output, const std::string& text, std::uint32_t* tick) {
    size_t at = output.find(text);
    if (at == std::string::npos) return false;
    size_t start = at + text.size();
    size_t end = output.find_first_of("\r\n", start);
    if (end == std::string::npos || end == start || end - start > 10) return false;
    std::string digits = output.substr(start, end - start);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return false;
    *tick = static_cast<std::uint32_t>(std::stoull(digits));
    return true;
}

bool LastFrameTick(const ChildProcess& veskop, std::uint32_t* tick) {
    FrameLines frames = ParseFrameLines(veskop.Output());
    if (frames.ticks.empty()) return false;
    *tick = frames.ticks.back();
    return true;
}

bool WaitForShowTime(ChildProcess& veskop, std::uint32_t origin, std::int64_t ms,
                     double timeoutSeconds, std::uint32_t* tick) {
    double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        bool running = veskop.Running();
        if (LastFrameTick(veskop, tick) && TicksBetween(origin, *tick) >= ms) return true;
        if (!running || NowSeconds() >= deadline) return false;
        SleepSeconds(0.005);
    }
}

void RecordSoundInto(VeskopOptions* options, const std::string& path) {
    options->environment.emplace_back("SDL_AUDIODRIVER", "disk");
    options->environment.emplace_back("SDL_DISKAUDIOFILE", path);
}

std::string WithoutDiskAudioNotice(const std::string& errors) {
    std::istringstream lines(errors);
    std::string line, kept;
    while (std::getline(lines, line)) {
        if (line.rfind("CRITICAL: You are using the SDL disk i/o audio driver!", 0) == 0) continue;
        if (line.rfind("CRITICAL:  Writing to file [", 0) == 0) continue;
        kept += line + "\n";
    }
    return kept;
}

void RunToTheCubeAndEscape(const XvfbServer& server, VeskopOptions options,
                           std::unique_ptr<ChildProcess>* veskop) {
    const double Timeout = 15.0;  // seconds, for the first frame and for the exit
    options.clockSpeed = 4.0;
    *veskop = StartVeskop(&server, options);
    ASSERT_TRUE((*veskop)->WaitForOutput("test??\n", Timeout)) << (*veskop)->Errors();
    SleepSeconds(2.5);

    ExpectCubeScene(server.TakeScreenshot(TestArtifactDirectory() + "/cube.png"), 0, 0);
    ASSERT_TRUE(server.HoldKey("Escape", 0.3));
    ASSERT_TRUE((*veskop)->WaitForExit(Timeout));
}
