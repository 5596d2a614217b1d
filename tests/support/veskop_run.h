// Running the real veskop in end-to-end tests: on a test's X server (or with no display at all),
// in a chosen working directory (where it looks for data/), optionally with its clocks sped up,
// with its standard output and error logged in the test's artifact folder.
#ifndef VESKOP_TEST_VESKOP_RUN_H
#define VESKOP_TEST_VESKOP_RUN_H

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "x_server.h"

// <build>/tests/e2e/artifacts/<suite>.<test>/, emptied for each test: screenshots and logs for a
// person to look at after the run.
std::string TestArtifactDirectory();

struct VeskopOptions {
    // Where it runs, and so where it looks for data/; empty: the repository's root, as a user
    // runs it. MakeTemporaryDirectory() gives a folder without data/.
    std::string workingDirectory;
    // More than 1: the program's clocks and sleeps run that many times fast (faketime). The tick
    // count then starts near the wall clock's milliseconds, wrapped to 32 bits.
    double clockSpeed = 1.0;
    std::vector<std::pair<std::string, std::string>> environment;  // on top of the defaults
    // The log files' names in the artifact folder: <logName>.stdout and <logName>.stderr.
    std::string logName = "veskop";
};

// Starts veskop on `server`'s display; with a null server, with no display at all. Sound goes to
// SDL's dummy driver unless the options say otherwise.
std::unique_ptr<ChildProcess> StartVeskop(const XvfbServer* server, const VeskopOptions& options = {});

// The diagnostic lines of the frames: each frame writes its tick count, then "test??".
struct FrameLines {
    std::vector<std::uint32_t> ticks;     // one per frame, in order
    std::vector<std::string> otherLines;  // lines that are not a frame's
    std::string problem;                  // empty when every frame's lines are as they should be
};
// A frame whose lines are not all written yet is left out.
FrameLines ParseFrameLines(const std::string& output);

#endif
