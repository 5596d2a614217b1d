#include "capture/capture_session.h"

#include "capture/contact_sheet.h"
#include "capture/encoder.h"
#include "capture/frame_writer.h"
#include "capture/leftovers.h"
#include "capture/output_files.h"
#include "capture/progress.h"
#include "capture_output.h"
#include "capture_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const int SheetColumns = 11;  // 55 tiles, 1 s to 55 s: 11 x 5

struct Session {
    CaptureOptions options;
    long totalFrames = 0;
    bool wantVideo = false;
    bool wantSheet = false;

    OutputTemporaries videoFiles, sheetFiles;
    std::string videoTemporary;   // the encoder's video, without sound
    std::string soundTemporary;   // the sound's encoder's, without video
    std::string muxedTemporary;   // the finished video, until it is renamed into place
    std::string sheetTemporary;

    Encoder video;
    FrameWriter frameWriter;  // feeds the video's encoder while the show draws on
    Encoder sound;            // started at the first frame, when the sound's rate is known
    ContactSheet sheet;
    Progress progress;
    std::vector<std::int16_t> samples;
    long framesDone = 0;
    bool failureReported = false;
};

Session TheSession;

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
    EndProgress(&TheSession.progress);
    std::fputs("veskop-capture: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// A failure during the show: says why and ends the process, whose exit-time handler then
// removes what the capture made.
[[noreturn]] void FailDuringShow(const char* why) {
    Say("%s; nothing written", why);
    TheSession.failureReported = true;
    std::exit(1);
}

// Creates a new, empty file for a temporary and remembers it. -1 after saying why not.
int CreateTemporary(const std::string& temporary) {
    if (!AddLeftoverFile(temporary)) {
        Say("cannot write %s: the path is too long", temporary.c_str());
        return -1;
    }
    int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        Say("cannot write %s: %s", temporary.c_str(), std::strerror(errno));
        ForgetLeftoverFile(temporary);
    }
    return descriptor;
}

// Makes the temporaries' lock beside an output (and removes what dead captures of it left).
bool ClaimTemporariesOf(const std::string& output, OutputTemporaries* temporaries) {
    std::string problem;
    if (ClaimTemporaries(output, temporaries, &problem)) return true;
    Say("%s", problem.c_str());
    return false;
}

// The sound of frame `frame` begins at this sample frame: frame * rate / fps, rounded.
long SoundStart(long frame, int rate, int framesPerSecond) {
    return (2 * frame * rate + framesPerSecond) / (2 * static_cast<long>(framesPerSecond));
}

void CaptureFrameSound(Session& session, long frame) {
    int rate = CapturedSoundRate();
    int fps = session.options.framesPerSecond;
    long count = SoundStart(frame + 1, rate, fps) - SoundStart(frame, rate, fps);
    session.samples.resize(static_cast<size_t>(count) * 2);
    RenderCapturedSound(session.samples.data(), static_cast<int>(count));
    if (!EncodeSound(&session.sound, session.samples.data(), static_cast<int>(count))) {
        FailDuringShow("the sound's encoder (ffmpeg) stopped");
    }
}

void OnFrame(const CapturedFrame& frame) {
    Session& session = TheSession;
    if (frame.index == 0) {
        StartProgress(&session.progress, session.totalFrames);
        // A video without its music is not the show; the player has said why on standard
        // output (which goes nowhere on a terminal).
        if (session.wantVideo && !CapturedSoundHasSong()) {
            FailDuringShow("the show's music did not start (is its module in data/?)");
        }
        std::string problem;
        if (session.wantVideo && !StartSoundEncoder(CapturedSoundRate(), session.soundTemporary,
                                                    &session.sound, &problem)) {
            FailDuringShow(problem.c_str());
        }
    }
    if (frame.index >= session.totalFrames) FailDuringShow("the show runs on past its end");
    if (session.wantVideo) {
        if (!QueueFrame(&session.frameWriter, frame.rgba)) {
            FailDuringShow("the video encoder (ffmpeg) stopped");
        }
        CaptureFrameSound(session, frame.index);
    }
    int fps = session.options.framesPerSecond;
    long second = frame.index / fps;
    if (session.wantSheet && frame.index % fps == 0 && second >= 1) {
        AddSheetTile(&session.sheet, static_cast<int>(second - 1), frame.rgba, static_cast<int>(second));
    }
    session.framesDone = frame.index + 1;
    UpdateProgress(&session.progress, session.framesDone);
}

// Renames a finished temporary into place.
bool PutInPlace(const std::string& temporary, const std::string& path) {
    std::string problem;
    if (!StillReplaceable(path, &problem)) {
        Say("%s", problem.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        Say("cannot write %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    ForgetLeftoverFile(temporary);
    return true;
}

// After the show's last frame: the video's encoding ends, the sound is put in, and every output
// is renamed into place. False after saying why.
bool FinishOutputs(Session& session) {
    EndProgress(&session.progress);
    double seconds = ProgressSeconds(session.progress);
    if (session.wantVideo) {
        if (!FinishFrameWriter(&session.frameWriter) || !FinishEncoder(&session.video)) {
            Say("the video encoder (ffmpeg) failed");
            return false;
        }
        if (!FinishEncoder(&session.sound)) {
            Say("the sound's encoder (ffmpeg) failed");
            return false;
        }
        if (!AddLeftoverFile(session.muxedTemporary) ||
            !MuxVideoAndSound(session.videoTemporary, session.soundTemporary,
                              session.muxedTemporary)) {
            Say("ffmpeg could not put the video and its sound together");
            return false;
        }
    }
    if (session.wantSheet && !WriteContactSheet(session.sheet, session.sheetTemporary)) {
        Say("cannot write %s", session.options.sheetPath.c_str());
        return false;
    }
    if (session.wantVideo && !PutInPlace(session.muxedTemporary, session.options.videoPath)) {
        return false;
    }
    if (session.wantSheet && !PutInPlace(session.sheetTemporary, session.options.sheetPath)) {
        return false;
    }
    RemoveLeftovers();  // the video without sound and the sound without video
    const CaptureOptions& options = session.options;
    double fps = seconds > 0 ? static_cast<double>(session.framesDone) / seconds : 0.0;
    std::string outputs = options.videoPath;
    if (session.wantSheet) outputs += (outputs.empty() ? "" : " and ") + options.sheetPath;
    Say("wrote %s: %ld frames at %d fps, %dx%d, captured at %.1f frames a second",
        outputs.c_str(), session.framesDone, options.framesPerSecond, options.width,
        options.height, fps);
    return true;
}

// Runs at every exit of the process. The show's end exits with status 0 after its last frame:
// then the outputs are finished. Every other exit leaves nothing behind.
void OnExit(int status, void*) {
    Session& session = TheSession;
    if (status == 0 && session.framesDone == session.totalFrames) {
        if (FinishOutputs(session)) return;
    } else if (!session.failureReported) {
        if (status == 0) {
            Say("the show ended after %ld of its %ld frames; nothing written", session.framesDone,
                session.totalFrames);
        } else {
            Say("the show stopped; nothing written");
        }
    }
    RemoveLeftovers();
    FinishFrameWriter(&session.frameWriter);  // at once: its encoder is gone
    std::fflush(nullptr);
    if (status == 0) _exit(1);
}

// Every output's path can be written, and no two name the same file. False after saying why.
bool CheckOutputs(const Session& session) {
    const CaptureOptions& options = session.options;
    std::string problem;
    for (const std::string* path : {&options.videoPath, &options.sheetPath}) {
        if (!path->empty() && !CheckOutputPath(*path, &problem)) {
            Say("%s", problem.c_str());
            return false;
        }
    }
    if (session.wantVideo && session.wantSheet &&
        SameOutputEntry(options.videoPath, options.sheetPath)) {
        Say("the video and the contact sheet need paths of their own (%s and %s are one file)",
            options.videoPath.c_str(), options.sheetPath.c_str());
        return false;
    }
    return true;
}

bool PrepareVideo(Session& session) {
    const CaptureOptions& options = session.options;
    if (!EncoderInstalled()) {
        Say("ffmpeg, which encodes the video, is not installed (not found on PATH); on Debian: "
            "apt-get install ffmpeg");
        return false;
    }
    if (!ClaimTemporariesOf(options.videoPath, &session.videoFiles)) return false;
    session.videoTemporary = TemporaryPath(session.videoFiles, "video.mp4");
    session.soundTemporary = TemporaryPath(session.videoFiles, "sound.mp4");
    session.muxedTemporary = TemporaryPath(session.videoFiles, "mp4");
    // ffmpeg makes the first two; the capture makes the video's first, so that a path where it
    // cannot write is reported by the capture, before ffmpeg is started.
    int made = CreateTemporary(session.videoTemporary);
    if (made < 0) return false;
    close(made);
    if (!AddLeftoverFile(session.soundTemporary)) return false;
    std::string problem;
    if (!StartVideoEncoder(options.width, options.height, options.framesPerSecond,
                           session.videoTemporary, &session.video, &problem)) {
        Say("%s", problem.c_str());
        return false;
    }
    return true;
}

bool PrepareSheet(Session& session) {
    const CaptureOptions& options = session.options;
    if (!ClaimTemporariesOf(options.sheetPath, &session.sheetFiles)) return false;
    session.sheetTemporary = TemporaryPath(session.sheetFiles, "png");
    int descriptor = CreateTemporary(session.sheetTemporary);
    if (descriptor < 0) return false;
    close(descriptor);
    StartContactSheet(&session.sheet, options.width, options.height,
                      static_cast<int>(ShowLastMs / 1000), SheetColumns);
    return true;
}

}  // namespace

long ShowFrameCount(int framesPerSecond) {
    // The last frame n has n * 1000 < (ShowLastMs + 1) * fps.
    return ((ShowLastMs + 1) * framesPerSecond - 1) / 1000 + 1;
}

bool StartCaptureSession(const CaptureOptions& options) {
    Session& session = TheSession;
    session.options = options;
    session.totalFrames = ShowFrameCount(options.framesPerSecond);
    session.wantVideo = !options.videoPath.empty();
    session.wantSheet = !options.sheetPath.empty();
    RemoveLeftoversOnSignals();
    if (!CheckOutputs(session) || (session.wantVideo && !PrepareVideo(session)) ||
        (session.wantSheet && !PrepareSheet(session))) {
        RemoveLeftovers();
        return false;
    }
    if (session.wantVideo && !StartFrameWriter(&session.frameWriter, &session.video)) {
        Say("no thread to feed the video encoder");
        RemoveLeftovers();
        return false;
    }
    CaptureSettings settings;
    settings.width = options.width;
    settings.height = options.height;
    settings.framesPerSecond = options.framesPerSecond;
    settings.startTick = static_cast<DWORD>(CaptureStartTick);
    settings.sink = OnFrame;
    ConfigureCapture(settings);
    on_exit(OnExit, nullptr);
    return true;
}
