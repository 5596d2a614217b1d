// A tiny but valid XM module built in memory, so sound tests need no data file.
//
// One instrument with one 16-bit sample and two channels. Pattern 0 holds the notes (C-4, which
// plays the sample at 8363 Hz); pattern 1, stored when the order list names it, is empty.
#ifndef VESKOP_TEST_TINY_XM_H
#define VESKOP_TEST_TINY_XM_H

#include <cstdint>
#include <string>
#include <vector>

enum class TinySample {
    LoopedSine,   // a 32-frame sine cycle looped forever: a steady 261 Hz tone on C-4
    ShortBurst,   // a one-shot 80 ms sine burst with a smooth decay, then silence
};

struct TinyXmSong {
    int rows = 16;              // rows in the pattern (1..256)
    int speed = 6;              // ticks per row
    int bpm = 125;              // tick length = 2.5 / bpm seconds
    bool noteEveryRow = false;  // C-4 on every row, or on row 0 only
    TinySample sample = TinySample::LoopedSine;
    std::vector<int> orders = {0};  // patterns in playing order
    int restart = 0;                // order index the song loops back to
};

// Seconds one pattern lasts: rows * speed * 2.5 / bpm.
double TinyXmSeconds(const TinyXmSong& song);

std::vector<std::uint8_t> BuildTinyXm(const TinyXmSong& song);

// Writes bytes to path, replacing it; false when the file cannot be written.
bool WriteTestFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

#endif
