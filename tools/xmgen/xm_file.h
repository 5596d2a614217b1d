// In-memory form of an extended module (XM, version 0x0104) and its serialisation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xmgen {

constexpr int kKeyOff = 97; // note value that releases the note

struct XmCell {
    uint8_t note = 0;       // 1 = C-0 .. 96 = B-7, 97 key off, 0 none
    uint8_t instrument = 0; // 1-based, 0 none
    uint8_t volume = 0;     // volume-column byte (0x10 + 0..64 sets the volume)
    uint8_t effect = 0;     // effect type 0..35
    uint8_t param = 0;
    bool Empty() const { return !note && !instrument && !volume && !effect && !param; }
};

struct XmPattern {
    int rows = 0;               // 1..256
    std::vector<XmCell> cells;  // rows * channel count, row by row
};

struct XmEnvelopePoint {
    uint16_t tick;  // ticks since the note started, strictly increasing from 0
    uint16_t value; // 0..64
};

struct XmEnvelope {
    std::vector<XmEnvelopePoint> points; // empty = envelope off; at most 12
    int sustainPoint = -1;               // point index held until key off, -1 none
};

struct XmSample {
    std::string name;
    std::vector<int32_t> frames; // signed PCM: -128..127 for 8-bit, -32768..32767 for 16-bit
    bool sixteenBit = true;
    int loopStart = 0;  // frames
    int loopLength = 0; // frames; 0 = one-shot
    bool pingPong = false;
    int volume = 64;       // 0..64
    int finetune = 0;      // 1/128 semitone, -128..127
    int panning = 128;     // 0..255
    int relativeNote = 0;  // semitones added to the pattern note
};

struct XmInstrument {
    std::string name;
    XmSample sample; // one sample, used by every key
    XmEnvelope volumeEnvelope;
    int fadeout = 0; // 0..0xFFF, volume lost per tick after key off, in 1/32768
    int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmSong {
    std::string title;
    std::string tracker;
    int channels = 0;
    int restartOrder = 0;
    int speed = 6;   // ticks per row
    int bpm = 125;   // a tick lasts 2.5 / bpm seconds
    std::vector<int> orders; // pattern index per song position
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// The file bytes. Throws std::invalid_argument when the song breaks a limit of the format.
std::vector<uint8_t> SerializeXm(const XmSong& song);

// Seconds the song plays from its first order to its end (no speed changes or jumps are
// written, so this is the sum of the rows played).
double SongSeconds(const XmSong& song);

} // namespace xmgen
