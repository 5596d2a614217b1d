// The performance table: every figure measured beside its limit in the same run, as a ratio, on
// an X server of its own (Xvfb, 640x480) or the one --display names (a GPU's, say). It runs the
// other benchmark programs and the real veskop, and prints one Markdown table, with the machine's
// load while it ran.
//
//   bench_table [--quick] [--rounds N] [--display :N] [--only PART] [--realtime]
//
// --quick runs everything for a moment only (a smoke test: it checks that the benchmarks run, and
// its numbers mean little); --only measures one part. --realtime runs the whole processes that are
// compared with each other under real-time scheduling (as root), so that the rest of a shared
// machine's work cannot fall between them. Progress goes to standard error.
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bare_scenes.h"
#include "bench_process.h"
#include "bench_results.h"
#include "child_process.h"
#include "x_server.h"

namespace {

struct Config {
    bool quick = false;
    std::string only;  // one part of the table; empty: all
    int rounds = 3;
    std::string bin = VESKOP_BENCH_DIR;    // the benchmark programs
    std::string source = VESKOP_SOURCE_DIR;  // the repository: data/ and the real veskop's folder
    std::string veskop = VESKOP_BINARY;
    std::string work;                        // scratch files
    std::string display;
    bool realTime = false;  // whole processes under round-robin real-time scheduling
};

const int RealTimePriority = 20;  // above any ordinary thread, below the kernel's own

double LoadAverage() {
    std::ifstream file("/proc/loadavg");
    double load = -1.0;
    file >> load;
    return load;
}

struct LoadLog {
    double first = -1.0, last = -1.0, highest = -1.0;
    void Note() {
        last = LoadAverage();
        if (first < 0) first = last;
        highest = std::max(highest, last);
    }
};

LoadLog Load;

void Progress(const std::string& text) {
    Load.Note();
    std::fprintf(stderr, "bench_table: %s (load %.2f)\n", text.c_str(), Load.last);
}

Launch WithDisplay(const Config& config, std::vector<std::string> argv) {
    Launch launch;
    launch.argv = std::move(argv);
    launch.environment.emplace_back("DISPLAY", config.display);
    launch.environment.emplace_back("SDL_AUDIODRIVER", "dummy");  // the music plays, unheard
    return launch;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) lines.push_back(line);
    return lines;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream stream(line);
    std::string word;
    while (stream >> word) words.push_back(word);
    return words;
}

// The per-pass costs, from the Google Benchmark program's CSV: name -> CPU time in ns.
void MeasurePassCosts(const Config& config, Results* results) {
    Progress("per-pass costs");
    Launch launch = WithDisplay(config, {config.bin + "/frame_pass_bench", "--benchmark_format=csv"});
    if (config.quick) launch.argv.push_back("--benchmark_min_time=0.01");
    launch.workingDirectory = config.source;
    launch.outputPath = config.work + "/frame_pass_bench.csv";
    Finished run = RunProgram(launch, 300);
    for (const std::string& line : Lines(run.output)) {
        // name,iterations,real_time,cpu_time,time_unit,...,label,...
        std::vector<std::string> fields;
        std::istringstream stream(line);
        std::string field;
        while (std::getline(stream, field, ',')) fields.push_back(field);
        if (fields.size() < 5 || fields[0].rfind("\"BM_", 0) != 0) continue;
        const std::string unit = fields[4];
        const double scale = unit == "us" ? 1e3 : unit == "ms" ? 1e6 : 1.0;
        std::string name = fields[0].substr(1, fields[0].size() - 2);
        results->passNs[name] = std::atof(fields[3].c_str()) * scale;
        std::vector<std::string> label = fields.size() > 7 ? Words(fields[7]) : std::vector<std::string>();
        if (name == "BM_SwapPair" && label.size() == 4) {  // "ours N sdl M", in quotes
            results->swapOursNs = std::atof(label[1].c_str());
            results->swapSdlNs = std::atof(label[3].c_str());
        }
    }
    results->passCostsRan = run.status == 0;
}

void MeasureFramesInProcess(const Config& config, Results* results) {
    for (const char* output : {"file", "pipe", "terminal"}) {
        Progress(std::string("frames in one window, standard output to a ") + output);
        const bool file = std::string(output) == "file";
        Launch launch = WithDisplay(config, {config.bin + "/frame_compare", "--output", output});
        const std::vector<std::string> quick = {"--rounds", "2", "--turn", "0.02", "--frames",
                                                file ? "5" : "0"};
        const std::vector<std::string> full = {"--rounds", "200", "--turn", "0.03", "--frames",
                                               file ? "1000" : "0"};
        for (const std::string& arg : config.quick ? quick : full) launch.argv.push_back(arg);
        launch.outputPath = config.work + "/frame_compare." + output;
        Finished run = RunProgram(launch, 600);
        results->framesRan = results->framesRan && run.status == 0;
        for (const std::string& line : Lines(run.output)) {
            std::vector<std::string> w = Words(line);
            if (w.size() == 12 && w[0] == "frames") {
                std::vector<double> v;
                for (size_t i = 3; i < w.size(); i++) v.push_back(std::atof(w[i].c_str()));
                results->frames.push_back({w[1], w[2], v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]});
            } else if (w.size() == 9 && w[0] == "allocations") {
                std::vector<long> v;
                for (size_t i = 2; i < w.size(); i++) v.push_back(std::atol(w[i].c_str()));
                results->allocations.push_back({w[1], v[0], v[1], v[2], v[3], v[4], v[5], v[6]});
            }
        }
    }
}

// Frames per second within each span of the show, from its tick lines (the edges left out).
std::map<std::string, double> ShowFrameRates(const std::string& output) {
    static const std::regex tickLine(R"((\d+)$)");
    std::vector<std::int64_t> ticks;
    for (const std::string& line : Lines(output)) {
        std::smatch match;
        if (line != "test??" && std::regex_search(line, match, tickLine)) {
            ticks.push_back(std::atoll(match[1].str().c_str()));
        }
    }
    std::map<std::string, double> rates;
    if (ticks.empty()) return rates;
    for (const BareScene& span : ShowScenes) {
        const std::int64_t from = span.afterMs + 200, to = span.afterMs + std::int64_t(span.seconds * 1000) - 200;
        std::vector<std::int64_t> inside;
        for (std::int64_t tick : ticks) {
            const std::int64_t at = std::int64_t(std::uint32_t(tick - ticks[0]));
            if (at > from && at <= to) inside.push_back(tick);
        }
        if (inside.size() > 2 && inside.back() > inside.front()) {
            rates[span.name] = double(inside.size() - 1) * 1000.0 / double(inside.back() - inside.front());
        }
    }
    return rates;
}

// bare_show's "span NAME FRAMES SECONDS" lines as frame rates.
std::map<std::string, double> BareFrameRates(const std::string& output) {
    std::map<std::string, double> rates;
    for (const std::string& line : Lines(output)) {
        std::vector<std::string> w = Words(line);
        if (w.size() == 4 && w[0] == "span" && std::atof(w[3].c_str()) > 0) {
            rates[w[1]] = std::atof(w[2].c_str()) / std::atof(w[3].c_str());
        }
    }
    return rates;
}

std::uint32_t FirstTick(const std::string& output) {
    static const std::regex tickLine(R"((\d+)\n)");
    std::smatch match;
    return std::regex_search(output, match, tickLine) ? std::uint32_t(std::atoll(match[1].str().c_str())) : 0;
}

// The real veskop beside bare_show as whole processes, one after the other, in alternating order
// round by round: frame rates per span, and the show's peak size.
void MeasureWholeShows(const Config& config, Results* results) {
    for (int round = 0; round < config.rounds; round++) {
        Progress("the whole show beside the bare loop, round " + std::to_string(round + 1));
        Launch show = WithDisplay(config, {config.veskop});
        show.workingDirectory = config.source;
        show.outputPath = config.work + "/veskop.stdout";
        Launch bare = WithDisplay(config, {config.bin + "/bare_show", config.quick ? "0.02" : "1"});
        bare.workingDirectory = config.source;
        bare.outputPath = config.work + "/bare_show.stdout";
        show.realTimePriority = bare.realTimePriority = config.realTime ? RealTimePriority : 0;
        Finished bareRun;
        if (round % 2 == 1) bareRun = RunProgram(bare, 120);
        Process veskop(show);
        Finished shown = veskop.Wait(config.quick ? 2.5 : 70.0);
        if (round % 2 == 0) bareRun = RunProgram(bare, 120);
        if (!config.quick && shown.status == 0) results->peakResidentKb.push_back(shown.peakResidentKb);
        for (const auto& rate : ShowFrameRates(shown.output)) results->wholeShow[rate.first].push_back(rate.second);
        results->wholeRan = results->wholeRan && bareRun.status == 0 && (config.quick || shown.status == 0);
        for (const auto& rate : BareFrameRates(bareRun.output)) results->wholeBare[rate.first].push_back(rate.second);
    }
    results->wholeRealTime = config.realTime;
}

// The bare loop with one of the program's parts added (its music, its lines, its pump, its way
// of covering the display), beside the plain bare loop, in turns: what each part costs a whole
// process, one thing changed at a time. Each span lasts 0.3 of its length in the show.
void MeasureWholeParts(const Config& config, Results* results) {
    for (int round = 0; round < config.rounds; round++) {
        Progress("the bare loop with each of the program's parts, round " + std::to_string(round + 1));
        for (const char* part : {"music", "lines", "pump", "desktop"}) {
            const std::string scale = config.quick ? "0.02" : "0.3";
            Launch with = WithDisplay(config, {config.bin + "/bare_show", scale, "--with", part});
            Launch without = WithDisplay(config, {config.bin + "/bare_show", scale});
            with.workingDirectory = without.workingDirectory = config.source;
            with.outputPath = without.outputPath = config.work + "/bare_show.stdout";
            with.realTimePriority = without.realTimePriority = config.realTime ? RealTimePriority : 0;
            Finished withoutRun;
            if (round % 2 == 1) withoutRun = RunProgram(without, 120);
            const Finished withRun = RunProgram(with, 120);
            if (round % 2 == 0) withoutRun = RunProgram(without, 120);
            const std::map<std::string, double> withRates = BareFrameRates(withRun.output);
            const std::map<std::string, double> withoutRates = BareFrameRates(withoutRun.output);
            results->wholeRan = results->wholeRan && withRun.status == 0 && withoutRun.status == 0;
            for (const auto& rate : withRates) {
                const auto bare = withoutRates.find(rate.first);
                if (bare != withoutRates.end() && bare->second > 0) {
                    results->partRatios[part].push_back(rate.second / bare->second);
                }
            }
        }
    }
    results->wholeRealTime = config.realTime;
}

double RunPart(const Config& config, const std::vector<std::string>& argv, const std::string& key) {
    Launch launch = WithDisplay(config, argv);
    launch.workingDirectory = config.source;
    launch.outputPath = config.work + "/part.stdout";
    Process process(launch);
    Finished run = process.Wait(60);
    for (const std::string& line : Lines(run.output)) {
        std::vector<std::string> w = Words(line);
        if (key == "window" && w.size() == 2 && w[0] == "window") {
            return double(std::int32_t(std::uint32_t(std::atoll(w[1].c_str())) - process.launchTick()));
        }
        if (w.size() == 3 && w[0] == "part" && w[1] == key) return std::atof(w[2].c_str());
    }
    return -1.0;
}

// The time from starting veskop to its first frame's lines, beside the parts that cannot be
// avoided, each in a process of its own, in turns, round after round: the ratio of each round.
void MeasureStartup(const Config& config, Results* results) {
    Progress("start-up beside its parts, each alone");
    for (int round = 0; round < (config.quick ? 1 : 9); round++) {
        Launch show = WithDisplay(config, {config.veskop});
        show.workingDirectory = config.source;
        show.outputPath = config.work + "/startup.stdout";
        double startup = -1.0;
        {
            Process veskop(show);
            if (veskop.WaitForOutput("test??\n", 30)) {
                const std::uint32_t first = FirstTick(ReadFile(show.outputPath));
                if (first != 0) startup = double(std::int32_t(first - veskop.launchTick()));
            }
        }  // ended here: its show is not needed
        double sum = 0;
        bool complete = startup > 0;
        const std::pair<const char*, std::vector<std::string>> parts[] = {
            {"window", {config.bin + "/bare_show", "--window"}},
            {"decode", {config.bin + "/startup_parts", "decode"}},
            {"lists", {config.bin + "/startup_parts", "lists"}},
            {"module", {config.bin + "/startup_parts", "module"}},
        };
        for (const auto& part : parts) {
            const double ms = RunPart(config, part.second, part.first);
            results->parts[part.first].push_back(ms);
            complete = complete && ms > 0;
            sum += ms;
        }
        if (complete) {
            results->startupMs.push_back(startup);
            results->startupRatios.push_back(startup / sum);
        }
    }
}

// Our rescale and mipmaps, and the whole texture call, beside a plain decode, image by image.
void MeasureImages(const Config& config, Results* results) {
    Progress("texture levels beside plain decoding");
    Launch images = WithDisplay(config, {config.bin + "/startup_parts", "images", config.quick ? "1" : "15"});
    images.outputPath = config.work + "/images.stdout";
    Finished run = RunProgram(images, 300);
    for (const std::string& line : Lines(run.output)) {
        std::vector<std::string> w = Words(line);
        if (w.size() == 5 && w[0] == "image") {
            results->images.push_back({w[1], std::atof(w[2].c_str()), std::atof(w[3].c_str()),
                                       std::atof(w[4].c_str())});
        }
    }
}

// CPU seconds per second of audio: our mixer rendering the module to a file, beside openmpt123.
void MeasureMusic(const Config& config, Results* results) {
    Progress("music rendering");
    const std::string module = config.work + "/LUMAR7.XM";
    std::ifstream in(config.source + "/data/LUMAR7.XM", std::ios::binary);
    std::ofstream(module, std::ios::binary) << in.rdbuf();
    const double bytesPerSecond = 44100.0 * 4;
    for (int round = 0; round < std::max(config.rounds, 5); round++) {
        Launch ours;
        ours.argv = {config.bin + "/mix_render", module, config.work + "/ours.raw"};
        Finished mixed = RunProgram(ours, 120);
        Launch theirs;
        theirs.argv = {"openmpt123", "--quiet", "--render", "--samplerate", "44100", "--no-float",
                       "--force", "--output-type", "raw", module};
        Finished rendered = RunProgram(theirs, 120);
        struct stat oursSize = {}, theirsSize = {};
        stat((config.work + "/ours.raw").c_str(), &oursSize);
        stat((module + ".raw").c_str(), &theirsSize);
        if (mixed.status == 0 && oursSize.st_size > 0) {
            results->mixOurs.push_back(mixed.cpuSeconds / (oursSize.st_size / bytesPerSecond));
        }
        if (rendered.status == 0 && theirsSize.st_size > 0) {
            results->mixTheirs.push_back(rendered.cpuSeconds / (theirsSize.st_size / bytesPerSecond));
        }
        results->musicRan = results->musicRan && mixed.status == 0;
    }
}

// The mixer paced like a device through a whole show, with the show itself and two spinning
// threads keeping both cores busy.
void MeasureUnderruns(const Config& config, Results* results) {
    Progress("music under load");
    const double seconds = config.quick ? 1.0 : 56.0;
    Launch show = WithDisplay(config, {config.veskop});
    show.workingDirectory = config.source;
    std::unique_ptr<Process> veskop;
    if (!config.quick) veskop = std::make_unique<Process>(show);
    Launch paced;
    paced.argv = {config.bin + "/mix_deadline", config.source + "/data/LUMAR7.XM",
                  std::to_string(seconds), "2"};
    paced.outputPath = config.work + "/deadline.stdout";
    Finished run = RunProgram(paced, seconds + 30);
    if (veskop) veskop->Wait(30);
    for (const std::string& line : Lines(run.output)) {
        std::vector<std::string> w = Words(line);
        if (w.size() == 4 && w[0] == "deadline") {
            results->buffers = std::atol(w[1].c_str());
            results->underruns = std::atol(w[2].c_str());
            results->worstSlackMs = std::atof(w[3].c_str());
        }
    }
}

// The mesh arrays' symbols in the binary: read-only data ('R') and their bytes.
void CheckMeshArrays(const Config& config, Results* results) {
    Launch launch;
    launch.argv = {"nm", "-S", config.veskop};
    launch.outputPath = config.work + "/nm.txt";
    Finished run = RunProgram(launch, 60);
    static const std::regex array(R"(^[0-9a-f]+ ([0-9a-f]+) ([A-Za-z]) (Mesh[ABC][A-Za-z]+)$)");
    for (const std::string& line : Lines(run.output)) {
        std::smatch match;
        if (!std::regex_match(line, match, array)) continue;
        const long size = std::strtol(match[1].str().c_str(), nullptr, 16);
        if (match[2] == "R" || match[2] == "r") {
            results->meshReadOnlyBytes += size;
        } else if (match[3] != "MeshA" && match[3] != "MeshB" && match[3] != "MeshC") {
            results->meshWritableBytes += size;  // an array that is not constant
        }
    }
}

// veskop-capture's whole show beside ffmpeg encoding the same raw frames alone (capture_bench),
// its rows as they are.
void MeasureCapture(const Config& config, Results* results) {
    Progress("the capture beside the encoder alone");
    Launch launch;
    launch.argv = {config.bin + "/capture_bench", "--rounds", std::to_string(config.rounds)};
    if (config.quick) launch.argv.push_back("--quick");
    launch.outputPath = config.work + "/capture_bench.stdout";
    Finished run = RunProgram(launch, 1800);
    results->captureRan = run.status == 0;
    for (const std::string& line : Lines(run.output)) {
        if (line.rfind("| Capture", 0) == 0) results->captureRows.push_back(line);
    }
}

std::string Machine() {
    utsname name = {};
    uname(&name);
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "unknown CPU";
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, Linux " + name.release;
}

}  // namespace

int main(int argc, char** argv) {
    Config config;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            config.quick = true;
            config.rounds = 1;
        } else if (arg == "--rounds" && i + 1 < argc) {
            config.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && i + 1 < argc) {
            config.only = argv[++i];
        } else if (arg == "--display" && i + 1 < argc) {
            config.display = argv[++i];
        } else if (arg == "--realtime") {
            config.realTime = true;
        } else {
            std::fprintf(stderr,
                         "usage: bench_table [--quick] [--rounds N] [--display :N] [--realtime] "
                         "[--only passes|frames|whole|wholeparts|startup|images|music|underruns|meshes|"
                         "capture]\n");
            return 2;
        }
    }
    config.work = MakeTemporaryDirectory("veskop-bench-");
    std::unique_ptr<XvfbServer> server;
    if (config.display.empty()) {
        server = std::make_unique<XvfbServer>(640, 480, 24);
        if (server->ok()) config.display = server->display();
    }
    if (config.display.empty() || config.work.empty()) {
        std::fprintf(stderr, "bench_table: no X server\n");
        return 1;
    }
    Results results;
    const std::pair<const char*, void (*)(const Config&, Results*)> parts[] = {
        {"passes", MeasurePassCosts}, {"frames", MeasureFramesInProcess},
        {"whole", MeasureWholeShows}, {"wholeparts", MeasureWholeParts}, {"startup", MeasureStartup},
        {"images", MeasureImages},    {"music", MeasureMusic},
        {"underruns", MeasureUnderruns}, {"meshes", CheckMeshArrays},
        {"capture", MeasureCapture},
    };
    for (const auto& part : parts) {
        if (config.only.empty() || config.only == part.first) part.second(config, &results);
    }
    Load.Note();
    PrintTable(results, Machine(), Load.first, Load.last, Load.highest, config.quick);
    RunProgram(Launch{{"rm", "-rf", config.work}, "", {}, "", ""}, 30);
    return results.AllRan() || !config.only.empty() ? 0 : 1;
}
