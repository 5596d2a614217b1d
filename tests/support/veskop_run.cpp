#include "veskop_run.h"

#include <gtest/gtest.h>

#include <filesystem>
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

std::unique_ptr<ChildProcess> StartVeskop(const XvfbServer* server, const VeskopOptions& options) {
    ChildOptions child;
    child.workingDirectory = options.workingDirectory;
    if (child.workingDirectory.empty()) child.workingDirectory = VESKOP_SOURCE_DIR;
    child.logPrefix = TestArtifactDirectory() + "/" + options.logName;
    child.environment.emplace_back("SDL_AUDIODRIVER", "dummy");
    for (const auto& pair : options.environment) child.environment.push_back(pair);
    if (server != nullptr) {
        child = server->ClientOptions(child);
    } else {
        child.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    }

    std::vector<std::string> argv;
    if (options.clockSpeed != 1.0) {
        std::ostringstream rate;
        rate << "+0 x" << options.clockSpeed;
        argv = {"faketime", "-f", rate.str()};
    }
    argv.push_back(VESKOP_BINARY);
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
        lines.push_back(output.substr(start, end - start));
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
