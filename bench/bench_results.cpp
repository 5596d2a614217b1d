#include "bench_results.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "bare_scenes.h"

namespace {

const double FrameTarget = 0.97;      // of the bare loop's frame rate
const double LayerTarget = 0.01;      // of a bare cube frame, per pass
const double StartupTarget = 1.2;     // of the parts' sum
const double LevelsTarget = 1.5;      // of a plain decode of the same file
const double MixTarget = 1.1;         // of openmpt123's CPU time
const long MeshArrayBytes = 742138;

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// " (lowest–highest)" of the values.
std::string Spread(const std::vector<double>& values) {
    if (values.empty()) return "";
    const auto range = std::minmax_element(values.begin(), values.end());
    return Format(" (%.3f", *range.first) + Format("–%.3f)", *range.second);
}

std::string Verdict(bool measured, bool met) { return !measured ? "n/a" : met ? "yes" : "**no**"; }

void Row(const std::string& measure, const std::string& ours, const std::string& limit,
         const std::string& ratio, const std::string& target, const std::string& met) {
    std::printf("| %s | %s | %s | %s | %s | %s |\n", measure.c_str(), ours.c_str(), limit.c_str(),
                ratio.c_str(), target.c_str(), met.c_str());
}

double BareCubeFrameNs(const Results& results) {
    for (const FrameResult& frame : results.frames) {
        if (frame.scene == "cube" && frame.output == "file" && frame.bareFps > 0) return 1e9 / frame.bareFps;
    }
    return 0;
}

void PrintFrames(const Results& results) {
    for (const FrameResult& f : results.frames) {
        Row("Frames, one window, output to a " + f.output + ": " + f.scene,
            Format("%.1f fps", f.showFps) + Format(", CPU %.0f µs", f.showCpuUs) +
                Format(" (%.0f on its thread)", f.showThreadUs),
            Format("%.1f fps", f.bareFps) + Format(", CPU %.0f µs", f.bareCpuUs) +
                Format(" (%.0f)", f.bareThreadUs),
            Format("%.3f", f.ratio) + Format(" (%.3f", f.lower) + Format("–%.3f)", f.upper),
            Format("≥ %.2f", FrameTarget), Verdict(f.bareFps > 0, f.ratio >= FrameTarget));
    }
    for (const BareScene& scene : ShowScenes) {
        const auto show = results.wholeShow.find(scene.name);
        const auto bare = results.wholeBare.find(scene.name);
        std::vector<double> ratios;
        if (show != results.wholeShow.end() && bare != results.wholeBare.end()) {
            for (size_t i = 0; i < std::min(show->second.size(), bare->second.size()); i++) {
                ratios.push_back(show->second[i] / bare->second[i]);
            }
        }
        const bool measured = !ratios.empty();
        Row(std::string("Frames, whole processes in turn") + (results.wholeRealTime ? ", real-time: " : ": ") +
                scene.name,
            measured ? Format("%.1f fps", Median(show->second)) : "n/a",
            measured ? Format("%.1f fps", Median(bare->second)) : "n/a",
            measured ? Format("%.3f", Median(ratios)) + Spread(ratios) + ", " + std::to_string(ratios.size()) +
                           " rounds"
                     : "n/a",
            Format("≥ %.2f", FrameTarget), Verdict(measured, Median(ratios) >= FrameTarget));
    }
    for (const auto& part : results.partRatios) {
        Row("Frames, the bare loop with the program's " + part.first + (results.wholeRealTime ? ", real-time" : ""),
            "with it", "without it",
            Format("%.3f", Median(part.second)) + Spread(part.second) + ", " +
                std::to_string(part.second.size()) + " spans",
            "—", "—");
    }
}

double PassNs(const Results& results, const std::string& name) {
    const auto found = results.passNs.find(name);
    return found != results.passNs.end() ? found->second : -1.0;
}

void PrintPassCosts(const Results& results) {
    const double cube = BareCubeFrameNs(results);
    const std::string frame = cube > 0 ? Format("cube frame %.0f µs", cube / 1000) : "n/a";
    const double pump = PassNs(results, "BM_PeekMessageIdle");
    const double clock = PassNs(results, "BM_GetTickCount");
    const double swap = PassNs(results, "BM_SwapOwnWork");
    const bool measured = cube > 0 && pump >= 0 && clock >= 0 && swap >= 0;
    Row("Per pass: message pump, nothing pending", Format("%.0f ns", pump), frame,
        cube > 0 ? Format("%.4f", pump / cube) : "n/a", "—", "—");
    Row("Per pass: tick count, 3 reads", Format("%.0f ns", 3 * clock), frame,
        cube > 0 ? Format("%.4f", 3 * clock / cube) : "n/a", "—", "—");
    Row("Per pass: SwapBuffers' own work (finding the device context)", Format("%.0f ns", swap), frame,
        cube > 0 && swap >= 0 ? Format("%.4f", swap / cube) : "n/a", "—", "—");
    Row("Per pass: SwapBuffers beside SDL_GL_SwapWindow, in turns", Format("%.1f µs", results.swapOursNs / 1000),
        Format("%.1f µs", results.swapSdlNs / 1000),
        results.swapSdlNs > 0 ? Format("%.3f", results.swapOursNs / results.swapSdlNs) : "n/a", "—", "—");
    const double layers = pump + 3 * clock + swap;
    Row("Per pass: the layers together (pump, clock, swap's own work)", Format("%.0f ns", layers), frame,
        measured ? Format("%.4f", layers / cube) : "n/a", Format("≤ %.2f", LayerTarget),
        Verdict(measured, layers / cube <= LayerTarget));
    const char* outputs[3] = {"file", "pipe", "terminal"};
    for (int i = 0; i < 3; i++) {
        const double lines = PassNs(results, "BM_Diagnostics/" + std::to_string(i));
        Row(std::string("Per frame: the two lines, flushed, to a ") + outputs[i], Format("%.0f ns", lines),
            frame, cube > 0 && lines >= 0 ? Format("%.4f", lines / cube) : "n/a", "—", "—");
    }
}

void PrintAllocations(const Results& results) {
    for (const AllocationResult& a : results.allocations) {
        Row("Heap allocations over " + std::to_string(a.frames) + " frames: " + a.scene,
            std::to_string(a.showProgram) + " by our code; " + std::to_string(a.showAll) +
                " in all (" + std::to_string(a.showThread) + " on its thread)",
            std::to_string(a.bareAll) + " in all by the bare calls (Mesa, X)",
            std::to_string(a.showAll - a.bareAll) + " more in all", "0 by our code",
            Verdict(true, a.showProgram == 0));
    }
}

void PrintStartup(const Results& results) {
    const double ratio = Median(results.startupRatios);
    const bool measured = !results.startupRatios.empty();
    double sum = 0;
    for (const auto& part : results.parts) sum += Median(part.second);
    Row("Start-up: process start to the first frame", Format("%.0f ms", Median(results.startupMs)),
        Format("%.0f ms (sum of the parts)", sum),
        measured ? Format("%.3f", ratio) + " (median of " + std::to_string(results.startupRatios.size()) + " rounds)" : "n/a",
        Format("≤ %.1f", StartupTarget), Verdict(measured, ratio <= StartupTarget));
    const char* names[4][2] = {{"window", "window and context (a process)"},
                               {"decode", "five PNGs, plain libpng"},
                               {"lists", "three mesh lists"},
                               {"module", "module, libopenmpt"}};
    for (const auto& name : names) {
        const auto found = results.parts.find(name[0]);
        Row(std::string("Start-up part: ") + name[1],
            found != results.parts.end() ? Format("%.1f ms", Median(found->second)) : "n/a", "—", "—", "—", "—");
    }
    for (const ImageResult& image : results.images) {
        Row("Rescale and mipmaps: " + image.name, Format("%.2f ms", image.levelsMs),
            Format("%.2f ms (plain decode)", image.plainMs), Format("%.3f", image.levelsMs / image.plainMs),
            Format("≤ %.1f", LevelsTarget), Verdict(image.plainMs > 0, image.levelsMs / image.plainMs <= LevelsTarget));
    }
    for (const ImageResult& image : results.images) {
        Row("Whole texture call: " + image.name, Format("%.2f ms", image.textureMs),
            Format("%.2f ms (plain decode)", image.plainMs), Format("%.3f", image.textureMs / image.plainMs),
            "—", "—");
    }
}

void PrintMusicAndMemory(const Results& results) {
    const double ours = Median(results.mixOurs), theirs = Median(results.mixTheirs);
    Row("Music: CPU per second of audio, rendering to a file", Format("%.2f ms/s", ours * 1000),
        Format("%.2f ms/s (openmpt123)", theirs * 1000), theirs > 0 ? Format("%.3f", ours / theirs) : "n/a",
        Format("≤ %.1f", MixTarget), Verdict(theirs > 0 && ours > 0, ours / theirs <= MixTarget));
    Row("Music: underruns, paced like a device, beside the show and 2 spinning threads",
        std::to_string(results.underruns), std::to_string(results.buffers) + " buffers",
        Format("least slack %.1f ms of 23.2", results.worstSlackMs), "0",
        Verdict(results.buffers > 0, results.underruns == 0));
    std::vector<double> peaks(results.peakResidentKb.begin(), results.peakResidentKb.end());
    Row("Memory: peak resident size over a whole show",
        peaks.empty() ? "n/a" : Format("%.1f MiB", Median(peaks) / 1024), "—", "—", "—", "—");
    Row("Memory: mesh arrays in the binary's read-only data", std::to_string(results.meshReadOnlyBytes) + " bytes",
        std::to_string(MeshArrayBytes) + " bytes", results.meshWritableBytes == 0 ? "none writable" : "**writable**",
        "all", Verdict(true, results.meshReadOnlyBytes == MeshArrayBytes && results.meshWritableBytes == 0));
}

}  // namespace

double Median(std::vector<double> values) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

void PrintTable(const Results& results, const std::string& machine, double loadFirst,
                double loadLast, double loadHighest, bool quick) {
    std::printf("%s on %s; load (1-minute average) %.2f at the start, %.2f at the end, %.2f at most.\n\n",
                quick ? "Quick run (a smoke test: the numbers mean little)" : "Measured", machine.c_str(),
                loadFirst, loadLast, loadHighest);
    std::printf("| Measure | Ours | Limit | Ratio | Target | Met |\n|---|---|---|---|---|---|\n");
    PrintFrames(results);
    PrintPassCosts(results);
    PrintAllocations(results);
    PrintStartup(results);
    PrintMusicAndMemory(results);
    for (const std::string& row : results.captureRows) std::printf("%s\n", row.c_str());
}
