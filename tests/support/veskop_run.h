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

#include <gtest/gtest.h>

#include "child_process.h"
#include "x_server.h"

// <build>/tests/e2e/artifacts/<suite>.<test>/, emptied for each test: screenshots and logs for a
// person to look at after the run.
std::string TestArtifactDirectory();

struct VeskopOptions {
    // The program to start; empty: the build's veskop.
    std::string program;
    // Where it runs, and so where it looks for data/; empty: the repository's root, as a user
    // runs it. MakeTemporaryDirectory() gives a folder without data/.
    std::string workingDirectory;
    // More than 1: the program's clocks and sleeps run that many times fast (faketime). The tick
    // count then starts near the wall clock's milliseconds, wrapped to 32 bits.
    double clockSpeed = 1.0;
    // 0 or more: the program's clocks, wall clock included, start at this many seconds (faketime),
    // so that its tick count starts at this times 1000, wrapped to 32 bits. A start a little
    // below 2^32 ms wraps the count early in the show, and keeps the mesh drift, which grows with
    // the tick count, near zero.
    std::int64_t clockStartSeconds = -1;
    // Not empty: runs it under apitrace, which records every OpenGL call into this file.
    std::string traceFile;
    std::vector<std::pair<std::string, std::string>> environment;  // on top of the defaults
    // Its standard output is a pipe whose reader has gone (veskop | head, after head ended).
    bool outputReaderGone = false;
    // The log files' names in the artifact folder: <logName>.stdout and <logName>.stderr.
    std::string logName = "veskop";
};

// 2^32 ms less about 10.3 s, in whole seconds: a clock start at which the tick count wraps a
// few seconds into the show (the start-up takes a second or two of it).
const std::int64_t SecondsBeforeTickWrap = 4294957;

// A temporary working directory for runs of veskop, removed with all it holds: empty (no data/),
// or with a copy of the repository's data/ that a test may change.
class WorkingFolder {
public:
    enum Contents { Empty, WithData };
    explicit WorkingFolder(Contents contents = WithData);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }
    // "data/pizza2.png" inside this folder.
    std::string File(const std::string& relativePath) const { return path_ + "/" + relativePath; }
    bool Remove(const std::string& relativePath) const;
    bool Write(const std::string& relativePath, const std::string& bytes) const;

private:
    std::string path_;
    bool ok_ = false;
};

// Starts veskop on `server`'s display; with a null server, with no display at all. Sound goes to
// SDL's dummy driver unless the options say otherwise.
std::unique_ptr<ChildProcess> StartVeskop(const XServer* server, const VeskopOptions& options = {});

// The diagnostic lines of the frames: each frame writes its tick count, then "test??". Lines end
// in a line feed, or in a carriage return and a line feed (a Windows program's text output).
struct FrameLines {
    std::vector<std::uint32_t> ticks;     // one per frame, in order
    std::vector<std::string> otherLines;  // lines that are not a frame's
    std::string problem;                  // empty when every frame's lines are as they should be
};
// A frame whose lines are not all written yet is left out.
FrameLines ParseFrameLines(const std::string& output);
// Checks that the frames' lines are well formed and their tick counts never go back.
void ExpectTicksInOrder(const FrameLines& frames);
// The tick count of the first frame written so far; 0 when there is none.
std::uint32_t FirstFrameTick(const ChildProcess& veskop);

// Milliseconds from `from` to `to` on the wrapping 32-bit tick counter.
std::int64_t TicksBetween(std::uint32_t from, std::uint32_t to);

// The tick count of the frame whose line carries `text` glued before it (a music player's text,
// which ends without a line feed); false when there is none yet.
bool FindTickAfter(const std::string& output, const std::string& text, std::uint32_t* tick);

// Waits until veskop has written a frame at least `ms` after the tick count `origin`, and
// returns that frame's tick count in *tick; false when it ended first or timeoutSeconds passed.
bool WaitForShowTime(ChildProcess& veskop, std::uint32_t origin, std::int64_t ms,
                     double timeoutSeconds, std::uint32_t* tick);
// The tick count of the last complete frame written so far; false when there is none.
bool LastFrameTick(const ChildProcess& veskop, std::uint32_t* tick);

// The sound of a run goes into a raw file (signed 16-bit stereo), paced like a real device:
// SDL's disk audio driver.
void RecordSoundInto(VeskopOptions* options, const std::string& path);
// Standard error less SDL's notice that the disk audio driver is in use.
std::string WithoutDiskAudioNotice(const std::string& errors);

// Starts veskop with its clocks 4 times fast (the cube scene, 6 s to 14.5 s of the show, is
// 1.5 s to 3.6 s then), judges the cube on the screen 2.5 s after the first frame and ends the
// show with a held Escape. *veskop is the ended process; call it in ASSERT_NO_FATAL_FAILURE.
void RunToTheCubeAndEscape(const XvfbServer& server, VeskopOptions options,
                           std::unique_ptr<ChildProcess>* veskop);

// What most end-to-end runs start from: a working folder with a copy of data/, an X server of
// their own, and options that start veskop in that folder.
class VeskopRun : public testing::Test {
protected:
    VeskopRun() { options.workingDirectory = folder.path(); }
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_TRUE(server.ok());
    }

    WorkingFolder folder;
    XvfbServer server;
    VeskopOptions options;
};

#endif
