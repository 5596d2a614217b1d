#include "tiny_xm.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int SampleRateC4 = 8363;  // Hz at which note C-4 plays a sample with no tuning

void PutU8(std::vector<std::uint8_t>& out, int value) { out.push_back(std::uint8_t(value & 0xff)); }

void PutU16(std::vector<std::uint8_t>& out, int value) {
    PutU8(out, value);
    PutU8(out, value >> 8);
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, int(value & 0xffff));
    PutU16(out, int(value >> 16));
}

// Fixed-width text field, padded with spaces.
void PutText(std::vector<std::uint8_t>& out, const char* text, int width) {
    int i = 0;
    for (; text[i] != '\0' && i < width; i++) PutU8(out, text[i]);
    for (; i < width; i++) PutU8(out, ' ');
}

std::vector<std::int16_t> MakeSample(TinySample kind) {
    const double pi = std::acos(-1.0);
    std::vector<std::int16_t> frames;
    if (kind == TinySample::LoopedSine) {
        // 64 whole cycles, so the loop joins without a step.
        for (int i = 0; i < 32 * 64; i++)
            frames.push_back(std::int16_t(std::lround(20000.0 * std::sin(2.0 * pi * i / 32.0))));
    } else {
        const int length = SampleRateC4 * 80 / 1000;
        for (int i = 0; i < length; i++) {
            const double decay = 0.5 + 0.5 * std::cos(pi * i / length);  // 1 -> 0, smoothly
            frames.push_back(
                std::int16_t(std::lround(20000.0 * decay * std::sin(2.0 * pi * i / 32.0))));
        }
    }
    return frames;
}

void PutPattern(std::vector<std::uint8_t>& out, const TinyXmSong& song, bool withNotes) {
    std::vector<std::uint8_t> cells;
    for (int row = 0; row < song.rows; row++) {
        if (withNotes && (row == 0 || song.noteEveryRow)) {
            PutU8(cells, 0x80 | 0x01 | 0x02);  // packed cell: note and instrument follow
            PutU8(cells, 49);                  // C-4
            PutU8(cells, 1);
        } else {
            PutU8(cells, 0x80);
        }
        PutU8(cells, 0x80);  // channel 2 stays empty
    }
    PutU32(out, 9);
    PutU8(out, 0);
    PutU16(out, song.rows);
    PutU16(out, int(cells.size()));
    out.insert(out.end(), cells.begin(), cells.end());
}

void PutInstrument(std::vector<std::uint8_t>& out, TinySample kind) {
    const std::vector<std::int16_t> frames = MakeSample(kind);
    const std::uint32_t bytes = std::uint32_t(frames.size() * 2);
    const bool looped = kind == TinySample::LoopedSine;

    const size_t start = out.size();
    PutU32(out, 263);
    PutText(out, "tone", 22);
    PutU8(out, 0);
    PutU16(out, 1);    // one sample
    PutU32(out, 40);   // sample header size
    out.resize(start + 263, 0);  // keymap all sample 0, no envelopes, no vibrato, no fadeout

    PutU32(out, bytes);
    PutU32(out, 0);
    PutU32(out, looped ? bytes : 0);
    PutU8(out, 64);                      // volume
    PutU8(out, 0);                       // finetune
    PutU8(out, 0x10 | (looped ? 1 : 0)); // 16-bit, forward loop or none
    PutU8(out, 128);                     // centre
    PutU8(out, 0);                       // relative note
    PutU8(out, 0);
    PutText(out, "tone", 22);

    std::int16_t previous = 0;
    for (std::int16_t value : frames) {
        PutU16(out, std::uint16_t(value - previous));  // delta coded
        previous = value;
    }
}

}  // namespace

double TinyXmSeconds(const TinyXmSong& song) { return song.rows * song.speed * 2.5 / song.bpm; }

std::vector<std::uint8_t> BuildTinyXm(const TinyXmSong& song) {
    std::vector<std::uint8_t> out;
    PutText(out, "Extended Module: ", 17);
    PutText(out, "tiny", 20);
    PutU8(out, 0x1a);
    PutText(out, "veskop tests", 20);
    PutU16(out, 0x0104);
    PutU32(out, 276);
    int patterns = 1;
    for (int pattern : song.orders)
        if (pattern == 1) patterns = 2;
    PutU16(out, int(song.orders.size()));
    PutU16(out, song.restart);
    PutU16(out, 2);  // channels
    PutU16(out, patterns);
    PutU16(out, 1);  // instruments
    PutU16(out, 1);  // linear frequency table
    PutU16(out, song.speed);
    PutU16(out, song.bpm);
    for (int i = 0; i < 256; i++) PutU8(out, i < int(song.orders.size()) ? song.orders[i] : 0);
    for (int pattern = 0; pattern < patterns; pattern++) PutPattern(out, song, pattern == 0);
    PutInstrument(out, song.sample);
    return out;
}

bool WriteTestFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
