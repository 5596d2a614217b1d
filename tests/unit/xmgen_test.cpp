// The module generator's building blocks: its integer signal math, which must be accurate
// and exact, and its writer, which must refuse songs the format cannot hold.
#include <gtest/gtest.h>

#include "fixed_math.h"
#include "xm_file.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

using namespace xmgen;

TEST(XmgenMath, SineMatchesTheLibraryToOneStep) {
    for (uint64_t i = 0; i < 4096; ++i) {
        const uint32_t phase = static_cast<uint32_t>(i * 1048573u); // walks every quadrant
        const double expected = 32767 * std::sin(phase * (2 * M_PI / 4294967296.0));
        // The table holds 65536 points a turn: allow the step between neighbours.
        EXPECT_NEAR(SineQ15(phase), expected, 4.0) << "phase " << phase;
    }
    EXPECT_EQ(SineQ15(0), 0);
    EXPECT_EQ(SineQ15(1u << 30), 32767);
    EXPECT_EQ(SineQ15(3u << 30), -32767);
}

TEST(XmgenMath, ExponentialHalvesEvery65536) {
    EXPECT_EQ(Exp2NegQ30(0), int64_t{1} << 30);
    EXPECT_EQ(Exp2NegQ30(65536), int64_t{1} << 29);
    for (int64_t x = 0; x < 40 * 65536; x += 12345) {
        const double expected = std::ldexp(std::exp2(-x / 65536.0), 30);
        EXPECT_NEAR(static_cast<double>(Exp2NegQ30(x)), expected, 2.0 + expected * 1e-8) << x;
    }
    EXPECT_EQ(Exp2NegQ30(31 * 65536), 0);
    EXPECT_EQ(DecayQ30(441, 441), int64_t{1} << 29);
}

XmSong TinySong() {
    XmSong song;
    song.title = "t";
    song.tracker = "test";
    song.channels = 2;
    song.orders = {0};
    XmPattern pattern;
    pattern.rows = 2;
    pattern.cells.resize(4);
    pattern.cells[0] = {49, 1, 0x50, 0x0F, 0x06}; // all fields: the plain five-byte form
    pattern.cells[3] = {kKeyOff, 0, 0, 0, 0};
    song.patterns = {pattern};
    XmInstrument inst;
    inst.sample.frames = {100, -100, 32767, -32768};
    inst.sample.loopStart = 1;
    inst.sample.loopLength = 3;
    song.instruments = {inst};
    return song;
}

TEST(XmgenWriter, WritesSizesInBytesAndDeltaCodedData) {
    const std::vector<uint8_t> b = SerializeXm(TinySong());
    const size_t pattern = 336;
    EXPECT_EQ(b[pattern + 5], 2);   // rows
    EXPECT_EQ(b[pattern + 7], 5 + 1 + 1 + 2); // plain cell, two empty cells, a key off
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + pattern + 9, b.begin() + pattern + 18),
              (std::vector<uint8_t>{49, 1, 0x50, 0x0F, 0x06, 0x80, 0x80, 0x81, 97}));
    const size_t sample = pattern + 18 + 263;
    EXPECT_EQ(b[sample], 8) << "length of four 16-bit frames, in bytes";
    EXPECT_EQ(b[sample + 4], 2) << "loop start in bytes";
    EXPECT_EQ(b[sample + 8], 6) << "loop length in bytes";
    EXPECT_EQ(b[sample + 14], 0x11) << "forward loop, 16-bit";
    // Deltas 100, -200, 32867 and -65535, each wrapped to 16 bits.
    const std::vector<uint8_t> data(b.begin() + sample + 40, b.end());
    EXPECT_EQ(data, (std::vector<uint8_t>{0x64, 0x00, 0x38, 0xFF, 0x63, 0x80, 0x01, 0x00}));
}

TEST(XmgenWriter, RefusesWhatPlayersWouldMisread) {
    auto refuses = [](void (*spoil)(XmSong&)) {
        XmSong song = TinySong();
        spoil(song);
        EXPECT_THROW(SerializeXm(song), std::invalid_argument);
    };
    refuses([](XmSong& s) { s.patterns[0].rows = 257; s.patterns[0].cells.resize(514); });
    refuses([](XmSong& s) { s.patterns[0].cells.pop_back(); });
    refuses([](XmSong& s) { s.restartOrder = 1; });
    refuses([](XmSong& s) { s.orders = {1}; });
    refuses([](XmSong& s) { s.bpm = 20; });
    refuses([](XmSong& s) { s.instruments[0].sample.loopLength = 4; });
    refuses([](XmSong& s) { s.instruments[0].sample.sixteenBit = false; });
    refuses([](XmSong& s) { s.instruments[0].volumeEnvelope.points = {{1, 64}}; });
    refuses([](XmSong& s) { s.instruments[0].fadeout = 0x1000; });
    EXPECT_NO_THROW(SerializeXm(TinySong()));
}

} // namespace
