#include "xm_file.h"

#include <stdexcept>

namespace xmgen {

namespace {

constexpr int kHeaderSize = 276;      // counted from offset 60, the field itself included
constexpr int kInstrumentSize = 263;  // instrument header with its envelopes and reserved bytes
constexpr int kSampleHeaderSize = 40;

class ByteWriter {
public:
    void U8(int v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void U16(int v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
    void U32(int64_t v) { U16(static_cast<int>(v & 0xFFFF)); U16(static_cast<int>((v >> 16) & 0xFFFF)); }
    // Fixed-width text, padded with `pad` and cut at `width`.
    void Text(const std::string& s, size_t width, char pad) {
        for (size_t i = 0; i < width; ++i) U8(i < s.size() ? s[i] : pad);
    }
    void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    size_t Size() const { return bytes.size(); }
    void PatchU16(size_t at, int v) {
        bytes[at] = static_cast<uint8_t>(v & 0xFF);
        bytes[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    std::vector<uint8_t> bytes;
};

void Require(bool ok, const std::string& what) {
    if (!ok) throw std::invalid_argument(what);
}

void WritePattern(ByteWriter& out, const XmPattern& pattern, int channels, size_t index) {
    const std::string where = "pattern " + std::to_string(index);
    Require(pattern.rows >= 1 && pattern.rows <= 256, where + ": rows must be 1..256");
    Require(pattern.cells.size() == static_cast<size_t>(pattern.rows) * channels,
            where + ": cell count must be rows x channels");
    out.U32(9);
    out.U8(0);
    out.U16(pattern.rows);
    const size_t sizeAt = out.Size();
    out.U16(0);
    const size_t dataStart = out.Size();
    for (const XmCell& c : pattern.cells) {
        Require(c.note <= kKeyOff && c.instrument <= 128 && c.effect <= 35, where + ": bad cell");
        if (c.note && c.instrument && c.volume && c.effect) {
            // All four leading fields present: the plain five-byte form is shorter.
            out.U8(c.note); out.U8(c.instrument); out.U8(c.volume); out.U8(c.effect); out.U8(c.param);
            continue;
        }
        const int flags = 0x80 | (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                          (c.effect ? 8 : 0) | (c.param ? 16 : 0);
        out.U8(flags);
        if (c.note) out.U8(c.note);
        if (c.instrument) out.U8(c.instrument);
        if (c.volume) out.U8(c.volume);
        if (c.effect) out.U8(c.effect);
        if (c.param) out.U8(c.param);
    }
    const size_t packed = out.Size() - dataStart;
    Require(packed <= 0xFFFF, where + ": packed data over 65535 bytes");
    out.PatchU16(sizeAt, static_cast<int>(packed));
}

void WriteEnvelopePoints(ByteWriter& out, const XmEnvelope& env) {
    for (size_t i = 0; i < 12; ++i) {
        out.U16(i < env.points.size() ? env.points[i].tick : 0);
        out.U16(i < env.points.size() ? env.points[i].value : 0);
    }
}

void WriteInstrument(ByteWriter& out, const XmInstrument& inst, size_t index) {
    const std::string where = "instrument " + std::to_string(index + 1);
    const XmSample& s = inst.sample;
    const XmEnvelope& env = inst.volumeEnvelope;
    Require(env.points.size() <= 12, where + ": at most 12 envelope points");
    for (size_t i = 0; i < env.points.size(); ++i) {
        Require(env.points[i].value <= 64, where + ": envelope value over 64");
        Require(i == 0 ? env.points[i].tick == 0 : env.points[i].tick > env.points[i - 1].tick,
                where + ": envelope ticks must start at 0 and increase");
    }
    Require(env.sustainPoint < static_cast<int>(env.points.size()), where + ": sustain point");
    Require(inst.fadeout >= 0 && inst.fadeout <= 0xFFF, where + ": fadeout must be 0..0xFFF");
    const int64_t frames = static_cast<int64_t>(s.frames.size());
    Require(frames > 0, where + ": empty sample");
    Require(s.loopLength == 0 || (s.loopStart >= 0 && s.loopLength > 0 && s.loopStart + s.loopLength <= frames),
            where + ": loop outside the sample");
    Require(s.volume >= 0 && s.volume <= 64 && s.finetune >= -128 && s.finetune <= 127 &&
                s.panning >= 0 && s.panning <= 255 && s.relativeNote >= -96 && s.relativeNote <= 95,
            where + ": sample parameter out of range");

    out.U32(kInstrumentSize);
    out.Text(inst.name, 22, ' ');
    out.U8(0);
    out.U16(1);
    out.U32(kSampleHeaderSize);
    out.Zeros(96); // every key plays sample 0
    WriteEnvelopePoints(out, env);
    WriteEnvelopePoints(out, XmEnvelope{}); // panning envelope unused
    out.U8(static_cast<int>(env.points.size()));
    out.U8(0);
    out.U8(env.sustainPoint < 0 ? 0 : env.sustainPoint);
    out.U8(0); out.U8(0); // volume loop start, end
    out.U8(0); out.U8(0); out.U8(0); // panning sustain, loop start, end
    out.U8(env.points.empty() ? 0 : (1 | (env.sustainPoint >= 0 ? 2 : 0)));
    out.U8(0);
    out.U8(inst.vibratoType); out.U8(inst.vibratoSweep); out.U8(inst.vibratoDepth); out.U8(inst.vibratoRate);
    out.U16(inst.fadeout);
    out.Zeros(22);

    // Lengths and loop points are in bytes: twice the frame count for 16-bit data.
    const int width = s.sixteenBit ? 2 : 1;
    out.U32(frames * width);
    out.U32(int64_t{s.loopLength ? s.loopStart : 0} * width);
    out.U32(int64_t{s.loopLength} * width);
    out.U8(s.volume);
    out.U8(s.finetune & 0xFF);
    out.U8((s.loopLength ? (s.pingPong ? 2 : 1) : 0) | (s.sixteenBit ? 0x10 : 0));
    out.U8(s.panning);
    out.U8(s.relativeNote & 0xFF);
    out.U8(0);
    out.Text(s.name, 22, ' ');

    // Delta coding: each value is stored as the wrapping difference from the previous one.
    const int32_t low = s.sixteenBit ? -32768 : -128, high = s.sixteenBit ? 32767 : 127;
    int32_t previous = 0;
    for (int32_t v : s.frames) {
        Require(v >= low && v <= high, where + ": sample value out of range");
        const int32_t delta = v - previous;
        previous = v;
        if (s.sixteenBit) out.U16(delta & 0xFFFF);
        else out.U8(delta & 0xFF);
    }
}

} // namespace

std::vector<uint8_t> SerializeXm(const XmSong& song) {
    Require(song.channels >= 1 && song.channels <= 32, "channels must be 1..32");
    Require(!song.orders.empty() && song.orders.size() <= 256, "song length must be 1..256");
    Require(song.restartOrder >= 0 && song.restartOrder < static_cast<int>(song.orders.size()),
            "restart order must lie inside the order list");
    Require(!song.patterns.empty() && song.patterns.size() <= 256, "pattern count must be 1..256");
    Require(song.instruments.size() <= 128, "at most 128 instruments");
    Require(song.speed >= 1 && song.speed <= 31 && song.bpm >= 32 && song.bpm <= 255, "speed or BPM out of range");
    for (int order : song.orders)
        Require(order >= 0 && order < static_cast<int>(song.patterns.size()), "order names a missing pattern");

    ByteWriter out;
    out.Text("Extended Module: ", 17, ' ');
    out.Text(song.title, 20, ' ');
    out.U8(0x1A);
    out.Text(song.tracker, 20, ' ');
    out.U16(0x0104);
    out.U32(kHeaderSize);
    out.U16(static_cast<int>(song.orders.size()));
    out.U16(song.restartOrder);
    out.U16(song.channels);
    out.U16(static_cast<int>(song.patterns.size()));
    out.U16(static_cast<int>(song.instruments.size()));
    out.U16(1); // linear frequency table
    out.U16(song.speed);
    out.U16(song.bpm);
    for (size_t i = 0; i < 256; ++i) out.U8(i < song.orders.size() ? song.orders[i] : 0);

    for (size_t i = 0; i < song.patterns.size(); ++i) WritePattern(out, song.patterns[i], song.channels, i);
    for (size_t i = 0; i < song.instruments.size(); ++i) WriteInstrument(out, song.instruments[i], i);
    return out.bytes;
}

double SongSeconds(const XmSong& song) {
    int rows = 0;
    for (int order : song.orders) rows += song.patterns.at(order).rows;
    return rows * song.speed * 2.5 / song.bpm;
}

} // namespace xmgen
