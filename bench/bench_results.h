// What the benchmark table collects, and the table itself.
#ifndef VESKOP_BENCH_RESULTS_H
#define VESKOP_BENCH_RESULTS_H

#include <map>
#include <string>
#include <vector>

struct FrameResult {
    std::string scene, output;
    double showFps, bareFps;
    double ratio, lower, upper;  // median, and quartiles, of the pairs of turns' ratios
    double showCpuUs, bareCpuUs;        // CPU per frame, whole process
    double showThreadUs, bareThreadUs;  // CPU per frame, the program's thread
};

struct AllocationResult {
    std::string scene;
    long frames;
    // The main loop's frames and the bare calls' frames: asked for by the program's own code, made
    // on the program's thread, made on all threads.
    long showProgram, showThread, showAll;
    long bareProgram, bareThread, bareAll;
};

struct ImageResult {
    std::string name;
    double plainMs, levelsMs, textureMs;
};

struct Results {
    std::map<std::string, double> passNs;  // Google Benchmark name -> CPU ns per iteration
    double swapOursNs = 0, swapSdlNs = 0;
    std::vector<FrameResult> frames;
    std::vector<AllocationResult> allocations;
    std::map<std::string, std::vector<double>> wholeShow, wholeBare;  // scene -> fps per round
    bool wholeRealTime = false;  // the whole processes ran under real-time scheduling
    // One of the program's own parts added to the bare loop (bare_show --with PART): part ->
    // that run's frame rate beside the plain bare loop's, one per scene and round.
    std::map<std::string, std::vector<double>> partRatios;
    std::vector<double> startupMs, startupRatios;  // per round: ms, and ms beside the parts' sum
    std::vector<long> peakResidentKb;
    std::map<std::string, std::vector<double>> parts;  // start-up part -> ms per run
    std::vector<ImageResult> images;
    std::vector<double> mixOurs, mixTheirs;  // CPU seconds per second of audio
    long buffers = 0, underruns = 0;
    double worstSlackMs = 0;
    long meshReadOnlyBytes = 0, meshWritableBytes = 0;
    std::vector<std::string> captureRows;  // as capture_bench prints them

    bool passCostsRan = false, framesRan = true, wholeRan = true, musicRan = true, captureRan = true;
    bool AllRan() const {
        return passCostsRan && framesRan && wholeRan && musicRan && captureRan && buffers > 0;
    }
};

double Median(std::vector<double> values);  // 0 for none

// Prints the Markdown table to standard output, with where and under what load it ran.
void PrintTable(const Results& results, const std::string& machine, double loadFirst,
                double loadLast, double loadHighest, bool quick);

#endif
