// The capture's time for the whole show beside its limit: ffmpeg encoding the same frames alone,
// with the same settings, from a file of the raw frames. The raw frames and ffmpeg's command line
// are recorded once, from a capture whose ffmpeg is a wrapper that keeps a copy of its input;
// then the real capture and ffmpeg alone run in turns, in alternating order, with a capture of
// the contact sheet alone (the drawing and reading back without the encoder) beside them. Each
// is a whole process, timed from its start to its end, with the CPU time of it and its children.
//
//   capture_bench [--quick] [--rounds N] [--fps N] [--size WxH] [--capture PATH] [--against PATH]
//
// --capture measures another build of veskop-capture instead of this one's; --against measures
// another build (an earlier one, say) too, in the same rounds, for a before and after.
//
// Prints Markdown rows for the benchmark table (bench_table), then a line per measure:
// "capture KIND WALL CPU" for each turn. Progress goes to standard error.
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_process.h"
#include "bench_results.h"

namespace {

struct Config {
    bool quick = false;
    int rounds = 3;
    std::string fps = "60";
    std::string size = "640x480";
    std::string capture = VESKOP_CAPTURE_BINARY;
    std::string against;  // another build to measure in the same rounds; empty: none
    std::string work;
};

struct Turn {
    double wallSeconds = 0, cpuSeconds = 0;
    bool ok = false;
    std::string errors;  // standard error
};

double Seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

Turn Run(const Launch& launch) {
    Turn turn;
    const double start = Seconds();
    Finished finished = RunProgram(launch, 600);
    turn.wallSeconds = Seconds() - start;
    turn.cpuSeconds = finished.cpuSeconds;
    turn.ok = finished.status == 0;
    if (!launch.errorsPath.empty()) turn.errors = ReadText(launch.errorsPath);
    if (!turn.ok) std::fprintf(stderr, "capture_bench: %s failed:\n%s", launch.argv[0].c_str(), turn.errors.c_str());
    return turn;
}

// ffmpeg on PATH, found before the wrapper goes in front of it.
std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return candidate;
    }
    return "";
}

Launch CaptureLaunch(const Config& config, const std::vector<std::string>& outputs) {
    Launch launch;
    launch.argv = {config.capture, "--fps", config.fps, "--size", config.size};
    launch.argv.insert(launch.argv.end(), outputs.begin(), outputs.end());
    launch.workingDirectory = VESKOP_SOURCE_DIR;
    launch.errorsPath = config.work + "/capture.stderr";
    return launch;
}

// Seconds from the capture's first frame to its last, from its closing report ("captured at X
// frames a second" over "N frames").
double FrameSeconds(const std::string& errors) {
    const size_t wrote = errors.rfind(": wrote ");
    if (wrote == std::string::npos) return 0;
    long frames = 0;
    double rate = 0;
    const size_t framesAt = errors.find(": ", wrote + 8);
    const size_t rateAt = errors.find("captured at ", wrote);
    if (framesAt == std::string::npos || rateAt == std::string::npos) return 0;
    frames = std::atol(errors.c_str() + framesAt + 2);
    rate = std::atof(errors.c_str() + rateAt + 12);
    return rate > 0 ? double(frames) / rate : 0;
}

struct Spread {
    double median, low, high;
};

Spread SpreadOf(const std::vector<double>& values) {
    if (values.empty()) return {0, 0, 0};
    return {Median(values), *std::min_element(values.begin(), values.end()),
            *std::max_element(values.begin(), values.end())};
}

}  // namespace

int main(int argc, char** argv) {
    Config config;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            config.quick = true;
            config.rounds = 1;
            config.fps = "2";
            config.size = "64x48";
        } else if (arg == "--rounds" && i + 1 < argc) {
            config.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--fps" && i + 1 < argc) {
            config.fps = argv[++i];
        } else if (arg == "--size" && i + 1 < argc) {
            config.size = argv[++i];
        } else if (arg == "--capture" && i + 1 < argc) {
            config.capture = argv[++i];
        } else if (arg == "--against" && i + 1 < argc) {
            config.against = argv[++i];
        } else {
            std::fprintf(stderr, "usage: capture_bench [--quick] [--rounds N] [--fps N] [--size WxH] "
                                 "[--capture PATH] [--against PATH]\n");
            return 2;
        }
    }
    const std::string encoder = FindOnPath("ffmpeg");
    char folder[] = "/tmp/veskop-capture-bench-XXXXXX";
    if (encoder.empty() || mkdtemp(folder) == nullptr) {
        std::fprintf(stderr, "capture_bench: no ffmpeg on PATH, or no scratch folder\n");
        return 1;
    }
    config.work = folder;

    // Once: the frames as the capture hands them to its encoder, and the encoder's command line.
    const std::string bin = config.work + "/bin";
    mkdir(bin.c_str(), 0755);
    std::ofstream(bin + "/ffmpeg")
        << "#!/bin/sh\n"
           "case \" $* \" in\n"
           "*\" rawvideo \"*) printf '%s\\n' \"$@\" > \"$BENCH_WORK/encoder.args\"\n"
           "    tee \"$BENCH_WORK/frames.rgba\" | exec \"$BENCH_ENCODER\" \"$@\" ;;\n"
           "*) exec \"$BENCH_ENCODER\" \"$@\" ;;\n"
           "esac\n";
    chmod((bin + "/ffmpeg").c_str(), 0755);
    std::fprintf(stderr, "capture_bench: recording the frames (%s at %s fps)\n", config.size.c_str(),
                 config.fps.c_str());
    Launch record = CaptureLaunch(config, {config.work + "/recorded.mp4"});
    record.environment = {{"PATH", bin + ":" + std::getenv("PATH")},
                          {"BENCH_WORK", config.work},
                          {"BENCH_ENCODER", encoder}};
    std::vector<std::string> encoderArgs;
    std::istringstream recorded(Run(record).ok ? ReadText(config.work + "/encoder.args") : "");
    for (std::string arg; std::getline(recorded, arg);) encoderArgs.push_back(arg);
    if (encoderArgs.size() < 2) {
        std::fprintf(stderr, "capture_bench: the frames could not be recorded\n");
        return 1;
    }
    // The same command, with the frames from the file and a file of its own to write.
    Launch alone;
    alone.argv = {encoder};
    for (const std::string& arg : encoderArgs) alone.argv.push_back(arg == "pipe:0" ? config.work + "/frames.rgba" : arg);
    alone.argv.back() = config.work + "/alone.mp4";
    alone.errorsPath = config.work + "/alone.stderr";

    const Launch capture = CaptureLaunch(config, {config.work + "/captured.mp4"});
    const Launch sheet = CaptureLaunch(config, {"--sheet", config.work + "/sheet.png"});
    Launch other = capture;
    other.argv[0] = config.against;
    std::vector<double> otherRatios, otherWall, otherCpu;
    std::vector<double> ratios, captureWall, captureCpu, aloneWall, aloneCpu, sheetWall, sheetCpu,
        frameSeconds, outsideSeconds;
    bool ok = true;
    for (int round = 0; round < config.rounds; round++) {
        std::fprintf(stderr, "capture_bench: round %d of %d\n", round + 1, config.rounds);
        Turn byItself, captured, drawn;
        if (round % 2 == 1) byItself = Run(alone);
        captured = Run(capture);
        if (round % 2 == 0) byItself = Run(alone);
        drawn = Run(sheet);
        ok = ok && byItself.ok && captured.ok && drawn.ok;
        if (!byItself.ok || !captured.ok || !drawn.ok) continue;
        ratios.push_back(captured.wallSeconds / byItself.wallSeconds);
        captureWall.push_back(captured.wallSeconds);
        captureCpu.push_back(captured.cpuSeconds);
        aloneWall.push_back(byItself.wallSeconds);
        aloneCpu.push_back(byItself.cpuSeconds);
        sheetWall.push_back(drawn.wallSeconds);
        sheetCpu.push_back(drawn.cpuSeconds);
        const double frames = FrameSeconds(captured.errors);
        frameSeconds.push_back(frames);
        outsideSeconds.push_back(captured.wallSeconds - frames);
        std::printf("capture whole %.2f %.2f\ncapture alone %.2f %.2f\ncapture sheet %.2f %.2f\n",
                    captured.wallSeconds, captured.cpuSeconds, byItself.wallSeconds,
                    byItself.cpuSeconds, drawn.wallSeconds, drawn.cpuSeconds);
        if (config.against.empty()) continue;
        const Turn earlier = Run(other);
        ok = ok && earlier.ok;
        if (!earlier.ok) continue;
        otherRatios.push_back(earlier.wallSeconds / byItself.wallSeconds);
        otherWall.push_back(earlier.wallSeconds);
        otherCpu.push_back(earlier.cpuSeconds);
        std::printf("capture against %.2f %.2f\n", earlier.wallSeconds, earlier.cpuSeconds);
    }

    const Spread ratio = SpreadOf(ratios);
    const std::string settings = config.size + " at " + config.fps + " fps";
    const std::string rounds = std::to_string(ratios.size()) + " rounds";
    std::printf("| Capture: the whole show, %s, beside ffmpeg encoding its raw frames alone | %.1f s, CPU %.1f s | %.1f s, CPU %.1f s | %.3f (%.3f–%.3f, %s) | ≤ 1.15 | %s |\n",
                settings.c_str(), Median(captureWall), Median(captureCpu), Median(aloneWall),
                Median(aloneCpu), ratio.median, ratio.low, ratio.high, rounds.c_str(),
                ratio.median <= 1.15 ? "yes" : "**no**");
    std::printf("| Capture part: first frame to last (drawing, reading back, the sound, handing frames to ffmpeg) | %.1f s | — | — | — | — |\n",
                Median(frameSeconds));
    std::printf("| Capture part: before the first frame and after the last (start-up, AAC, the mux) | %.1f s | — | — | — | — |\n",
                Median(outsideSeconds));
    std::printf("| Capture part: drawing and reading back alone (--sheet only) | %.1f s, CPU %.1f s | — | — | — | — |\n",
                Median(sheetWall), Median(sheetCpu));
    if (!otherRatios.empty()) {
        const Spread earlier = SpreadOf(otherRatios);
        std::printf("| Capture: the whole show by %s, in the same rounds | %.1f s, CPU %.1f s | %.1f s, CPU %.1f s | %.3f (%.3f–%.3f) | — | — |\n",
                    config.against.c_str(), Median(otherWall), Median(otherCpu), Median(aloneWall),
                    Median(aloneCpu), earlier.median, earlier.low, earlier.high);
    }
    RunProgram(Launch{{"rm", "-rf", config.work}, "", {}, "", ""}, 60);
    return ok ? 0 : 1;
}
