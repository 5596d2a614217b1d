// The committed module data/LUMAR7.XM, as two independent players see it: libopenmpt (the
// library the demo plays it with) and the xmp command-line player.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// As composed: seven sections, one pattern each, played in order; the loop returns to the
// first main part. Each section after the first starts on a scene change of the show.
constexpr int kChannels = 12;
constexpr int kRestartOrder = 2;
const std::vector<int> kPatternRows = {48, 68, 92, 72, 64, 96, 16};
const std::vector<double> kSectionStarts = {0.0, 6.0, 14.5, 26.0, 35.0, 43.0, 55.0};
constexpr double kSongSeconds = 57.0;
constexpr int kRate = 44100;

const std::vector<uint8_t>& ModuleBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::ifstream in(MODULE_PATH, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    return bytes;
}

int U16(size_t at) { return ModuleBytes().at(at) | ModuleBytes().at(at + 1) << 8; }
int64_t U32(size_t at) { return U16(at) | int64_t{U16(at + 2)} << 16; }

// The whole song rendered once per test process, stereo float at 44.1 kHz.
const std::vector<float>& Rendered() {
    static const std::vector<float> samples = [] {
        std::ostringstream log;
        openmpt::module mod(ModuleBytes(), log);
        std::vector<float> out, block(2 * 4096);
        while (size_t frames = mod.read_interleaved_stereo(kRate, 4096, block.data()))
            out.insert(out.end(), block.begin(), block.begin() + 2 * frames);
        return out;
    }();
    return samples;
}

struct Level {
    double peak = 0, rms = 0;
};

Level MeasureSeconds(double from, double to) {
    const std::vector<float>& s = Rendered();
    const size_t a = static_cast<size_t>(from * kRate) * 2, b = std::min(s.size(), static_cast<size_t>(to * kRate) * 2);
    Level level;
    double sum = 0;
    for (size_t i = a; i < b; ++i) {
        level.peak = std::max(level.peak, static_cast<double>(std::fabs(s[i])));
        sum += static_cast<double>(s[i]) * s[i];
    }
    level.rms = b > a ? std::sqrt(sum / (b - a)) : 0;
    return level;
}

TEST(Module, LoadsInLibopenmptWithoutWarnings) {
    ASSERT_FALSE(ModuleBytes().empty()) << MODULE_PATH;
    EXPECT_LT(ModuleBytes().size(), 512u * 1024) << "the module should stay small";
    std::ostringstream log;
    openmpt::module mod(ModuleBytes(), log);
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(mod.get_metadata("warnings"), "");
    EXPECT_EQ(mod.get_metadata("type"), "xm");
    EXPECT_EQ(mod.get_num_channels(), kChannels);
    EXPECT_EQ(mod.get_num_patterns(), 7);
    // A misread instrument header shows up as lost samples, not as a warning.
    EXPECT_EQ(mod.get_num_instruments(), 9);
    EXPECT_EQ(mod.get_num_samples(), 9);
    ASSERT_EQ(mod.get_num_orders(), 7);
    for (int order = 0; order < 7; ++order) {
        EXPECT_EQ(mod.get_order_pattern(order), order);
        EXPECT_EQ(mod.get_pattern_num_rows(order), kPatternRows[order]) << "pattern " << order;
    }
}

TEST(Module, SectionsStartOnTheSceneChanges) {
    openmpt::module mod(ModuleBytes());
    EXPECT_GE(mod.get_duration_seconds(), 56.0);
    EXPECT_NEAR(mod.get_duration_seconds(), kSongSeconds, 1e-6);
    for (int order = 0; order < 7; ++order) {
        EXPECT_NEAR(mod.set_position_order_row(order, 0), kSectionStarts[order], 1e-6) << "order " << order;
        EXPECT_NEAR(mod.get_position_seconds(), kSectionStarts[order], 1e-6) << "order " << order;
    }
}

TEST(Module, LoopsBackToTheRestartPosition) {
    EXPECT_EQ(U16(64), 7) << "song length";
    EXPECT_EQ(U16(66), kRestartOrder) << "restart position";

    openmpt::module mod(ModuleBytes());
    mod.set_repeat_count(-1);
    // Half a second before the end, then one second on: half a second into the restart order.
    mod.set_position_order_row(6, 12);
    std::vector<float> block(2 * kRate);
    EXPECT_EQ(mod.read_interleaved_stereo(kRate, kRate, block.data()), static_cast<size_t>(kRate));
    EXPECT_EQ(mod.get_current_order(), kRestartOrder);
    EXPECT_EQ(mod.get_current_row(), 4);
}

TEST(Module, RendersEverySectionAudiblyWithoutClipping) {
    const double renderedSeconds = Rendered().size() / 2.0 / kRate;
    EXPECT_GE(renderedSeconds, kSongSeconds);
    EXPECT_LT(renderedSeconds, kSongSeconds + 0.2);
    for (size_t i = 0; i < kSectionStarts.size(); ++i) {
        const double end = i + 1 < kSectionStarts.size() ? kSectionStarts[i + 1] : kSongSeconds;
        const Level level = MeasureSeconds(kSectionStarts[i], end);
        EXPECT_GT(level.rms, 0.03) << "section at " << kSectionStarts[i] << " s is near silent";
        EXPECT_LT(level.peak, 0.95) << "section at " << kSectionStarts[i] << " s has no headroom";
    }
}

// Walks the file as a reader of the format does and checks that every size field agrees with
// the bytes that follow it; libopenmpt forgives some such faults silently.
TEST(Module, LayoutIsConsistentToTheLastByte) {
    const std::vector<uint8_t>& b = ModuleBytes();
    ASSERT_GT(b.size(), 336u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
    EXPECT_EQ(b[37], 0x1A);
    EXPECT_EQ(U16(58), 0x0104);
    EXPECT_EQ(U32(60), 276);
    EXPECT_EQ(U16(68), kChannels);
    EXPECT_EQ(U16(74) & 1, 1) << "linear frequency table";
    // Rows of 125 ms: speed 6 at 120 BPM.
    EXPECT_EQ(U16(76), 6);
    EXPECT_EQ(U16(78), 120);

    size_t at = 60 + U32(60);
    for (int p = 0; p < U16(70); ++p) {
        ASSERT_LE(at + 9, b.size());
        EXPECT_EQ(U32(at), 9);
        EXPECT_EQ(U16(at + 5), kPatternRows.at(p));
        const size_t packed = U16(at + 7);
        at += 9;
        // Count the cells in the packed data: exactly rows x channels.
        size_t cells = 0;
        for (const size_t end = at + packed; at < end; ++cells) {
            const uint8_t first = b.at(at);
            if (!(first & 0x80)) at += 5;
            else at += 1 + __builtin_popcount(first & 0x1F);
        }
        EXPECT_EQ(cells, static_cast<size_t>(kPatternRows[p]) * kChannels) << "pattern " << p;
    }
    for (int i = 0; i < U16(72); ++i) {
        ASSERT_LE(at + 263, b.size());
        EXPECT_EQ(U32(at), 263) << "instrument " << i + 1;
        ASSERT_EQ(U16(at + 27), 1);
        EXPECT_EQ(U32(at + 29), 40);
        const size_t header = at + U32(at);
        const int64_t length = U32(header), loopStart = U32(header + 4), loopLength = U32(header + 8);
        const bool sixteenBit = b.at(header + 14) & 0x10;
        if (sixteenBit) {
            EXPECT_EQ(length % 2, 0) << "16-bit lengths count bytes";
        }
        if (b.at(header + 14) & 3) {
            EXPECT_GT(loopLength, 0) << "instrument " << i + 1;
            EXPECT_LE(loopStart + loopLength, length) << "instrument " << i + 1;
        }
        at = header + 40 + length;
    }
    EXPECT_EQ(at, b.size()) << "bytes left over or missing after the last sample";
}

// Runs a shell command and returns what it wrote to standard output and error.
std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

bool XmpInstalled() { return std::system("command -v xmp >/dev/null 2>&1") == 0; }

TEST(Module, XmpLoadsItWithoutComplaint) {
    if (!XmpInstalled()) GTEST_SKIP() << "xmp is not installed";
    const std::string info = RunCommand(std::string("xmp --load-only -v '") + MODULE_PATH + "'");
    EXPECT_EQ(info.find("rror"), std::string::npos) << info;
    EXPECT_EQ(info.find("arning"), std::string::npos) << info;
    EXPECT_NE(info.find("Channels     : 12"), std::string::npos) << info;
    EXPECT_NE(info.find("Samples      : 9"), std::string::npos) << info;
    EXPECT_NE(info.find("Duration     : 0min57s"), std::string::npos) << info;
}

// xmp rounds every tick to whole output frames; at 48 kHz a tick of 120 BPM is exactly 1000
// frames, so both players must agree to the frame.
TEST(Module, XmpRendersTheSameDurationAsLibopenmpt) {
    if (!XmpInstalled()) GTEST_SKIP() << "xmp is not installed";
    char dir[] = "/tmp/module_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string wav = std::string(dir) + "/render.wav";
    RunCommand("xmp -q -f 48000 -o '" + wav + "' '" + MODULE_PATH + "'");
    std::ifstream in(wav, std::ios::binary);
    std::vector<uint8_t> header(44);
    in.read(reinterpret_cast<char*>(header.data()), 44);
    std::remove(wav.c_str());
    rmdir(dir);
    ASSERT_TRUE(in.gcount() == 44 && std::string(header.begin(), header.begin() + 4) == "RIFF" &&
                std::string(header.begin() + 36, header.begin() + 40) == "data")
        << "no plain WAV written";
    const uint32_t dataBytes = header[40] | header[41] << 8 | header[42] << 16 | uint32_t{header[43]} << 24;
    const double xmpSeconds = dataBytes / 4.0 / 48000; // 16-bit stereo

    openmpt::module mod(ModuleBytes());
    EXPECT_NEAR(xmpSeconds, mod.get_duration_seconds(), 0.01);
}

} // namespace
