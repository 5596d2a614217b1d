#include "instruments.h"

#include "fixed_math.h"

#include <algorithm>
#include <cstdlib>

namespace xmgen {

namespace {

constexpr int kDrumRate = 44100; // Hz at which the drums are synthesised

// Tuning. At C-4 a sample plays at 8363 Hz times 2^((relative note + finetune / 128) / 12).
// Drums made at 44100 Hz play at their own speed with 12 log2(44100 / 8363) = 28.784 semitones.
constexpr int kDrumRelativeNote = 28, kDrumFinetune = 100;
// A cycle of 2^k frames sounds middle C on C-4 when the sample plays at 261.626 * 2^k Hz:
// 12 (k - 5) semitones plus 12 log2(8372.02 / 8363) = 0.0187 semitone, finetune 2.
constexpr int kCycleFinetune = 2;
constexpr int CycleRelativeNote(int cycleBits) { return 12 * (cycleBits - 5); }

constexpr int Millis(int ms) { return kDrumRate * ms / 1000; }

// Amplitudes (Q15) of harmonics 1..count of a sawtooth, or of a square when oddOnly, through a
// four-pole low-pass whose corner sits at harmonic cutoffQ8 / 256.
std::vector<int32_t> HarmonicAmplitudes(int count, int64_t cutoffQ8, bool oddOnly) {
    std::vector<int32_t> amps(count + 1, 0); // index = harmonic number
    const int64_t c2 = cutoffQ8 * cutoffQ8, c4 = c2 * c2;
    for (int h = 1; h <= count; ++h) {
        if (oddOnly && h % 2 == 0) continue;
        const int64_t h2 = int64_t{h} * 256 * h * 256, h4 = h2 * h2;
        const int64_t gainQ15 = c4 / ((c4 + h4) >> 15);
        amps[h] = static_cast<int32_t>(32767 * gainQ15 / 32768 / h);
    }
    return amps;
}

// Adds, to every frame of `acc`, a wave that runs `cycles` whole periods every 2^loopBits
// frames, with harmonic amplitudes `amps` (Q15) scaled by weightPercent.
void AddWave(std::vector<int64_t>& acc, int loopBits, uint32_t cycles, const std::vector<int32_t>& amps,
             int weightPercent) {
    for (size_t n = 0; n < acc.size(); ++n) {
        int64_t sum = 0;
        for (size_t h = 1; h < amps.size(); ++h) {
            if (!amps[h]) continue;
            const uint32_t turns = cycles * static_cast<uint32_t>(h) * static_cast<uint32_t>(n);
            sum += int64_t{amps[h]} * SineQ15(turns << (32 - loopBits));
        }
        acc[n] += sum / 32768 * weightPercent / 100;
    }
}

// Scales `acc` so that its largest magnitude becomes `peak`.
std::vector<int32_t> Normalize(const std::vector<int64_t>& acc, int32_t peak) {
    int64_t largest = 1;
    for (int64_t v : acc) largest = std::max(largest, v < 0 ? -v : v);
    std::vector<int32_t> out(acc.size());
    for (size_t i = 0; i < acc.size(); ++i) out[i] = static_cast<int32_t>(acc[i] * peak / largest);
    return out;
}

// Linear fade to zero over the last `frames` frames, so one-shot drums end without a click.
void FadeTail(std::vector<int64_t>& acc, int frames) {
    const int64_t n = static_cast<int64_t>(acc.size());
    for (int64_t i = 0; i < frames && i < n; ++i) acc[n - 1 - i] = acc[n - 1 - i] * i / frames;
}

// Phase step per frame, for a 2^32 turn, of a tone of freqQ16 / 65536 Hz at the drum rate.
uint32_t PhaseStep(int64_t freqQ16) { return static_cast<uint32_t>((freqQ16 << 16) / kDrumRate); }

std::vector<int32_t> SynthKick() {
    std::vector<int64_t> acc(Millis(300));
    Noise noise(0x6B1C);
    OnePole clickTone(30000);
    uint32_t phase = 0;
    for (size_t i = 0; i < acc.size(); ++i) {
        const int64_t t = static_cast<int64_t>(i);
        // The pitch falls from 164 Hz to 44 Hz within a few milliseconds: the thump.
        const int64_t freqQ16 = (int64_t{44} << 16) + ((int64_t{120} << 16) * DecayQ30(t, Millis(8)) >> 30);
        phase += PhaseStep(freqQ16);
        int64_t amp = DecayQ30(t, Millis(70));
        if (t < Millis(1)) amp = amp * t / Millis(1);
        const int64_t x = ScaleQ30(SineQ15(phase), amp);
        const int64_t driven = (3 * x - x * x / 32768 * x / 32768) / 2; // soft saturation
        const int64_t click = ScaleQ30(clickTone.LowPass(noise.NextQ15()), DecayQ30(t, Millis(2))) / 3;
        acc[i] = driven + click;
    }
    FadeTail(acc, Millis(20));
    return Normalize(acc, 30000);
}

std::vector<int32_t> SynthSnare() {
    std::vector<int64_t> acc(Millis(220));
    Noise noise(0x5A4E);
    OnePole lowCut(8700), highCut(44600); // the rattle: band of about 1 kHz to 8 kHz
    uint32_t low = 0, high = 0;
    for (size_t i = 0; i < acc.size(); ++i) {
        const int64_t t = static_cast<int64_t>(i);
        low += PhaseStep(int64_t{185} << 16);
        high += PhaseStep(int64_t{330} << 16);
        const int64_t body = ScaleQ30((SineQ15(low) * 2 + SineQ15(high)) / 3, DecayQ30(t, Millis(20)));
        const int64_t rattle = ScaleQ30(highCut.LowPass(lowCut.HighPass(noise.NextQ15())), DecayQ30(t, Millis(60)));
        int64_t v = body * 6 / 10 + rattle;
        if (t < Millis(1)) v = v * t / Millis(1);
        acc[i] = v;
    }
    FadeTail(acc, Millis(15));
    return Normalize(acc, 29000);
}

// Cymbal colour: six square waves at inharmonic frequencies plus noise, high-passed. The
// squares run whole cycles per 2^loopBits frames, so the result loops seamlessly.
std::vector<int64_t> MetalNoise(size_t frames, int loopBits, uint32_t seed, int cutCoefficient) {
    static const int kMetalHz[] = {205, 304, 370, 523, 540, 800};
    std::vector<int64_t> raw(frames);
    Noise noise(seed);
    for (size_t n = 0; n < frames; ++n) {
        int64_t metal = 0;
        for (int hz : kMetalHz) {
            // Scaled by 3.1 so the partials sit in the bright range, rounded to whole cycles.
            const uint32_t cycles = static_cast<uint32_t>(((int64_t{hz} * 31 / 10) << loopBits) / kDrumRate);
            metal += SineQ15((cycles * static_cast<uint32_t>(n)) << (32 - loopBits)) >= 0 ? 32767 : -32767;
        }
        raw[n] = metal / 12 + noise.NextQ15() / 2;
    }
    // Two high-pass stages, run over the loop twice so the second pass starts in the state
    // the first one ended in: no step at the loop point.
    OnePole first(cutCoefficient), second(cutCoefficient);
    std::vector<int64_t> out(frames);
    for (int pass = 0; pass < 2; ++pass)
        for (size_t n = 0; n < frames; ++n)
            out[n] = second.HighPass(first.HighPass(static_cast<int32_t>(raw[n])));
    return out;
}

std::vector<int32_t> SynthClosedHat() {
    std::vector<int64_t> acc = MetalNoise(Millis(60), 16, 0x4A7, 37700);
    for (size_t i = 0; i < acc.size(); ++i) acc[i] = ScaleQ30(static_cast<int32_t>(acc[i]), DecayQ30(i, Millis(9)));
    FadeTail(acc, Millis(10));
    return Normalize(acc, 28000);
}

// The bass: a sawtooth with a strong fundamental whose low-pass closes over the first eight
// cycles (the pluck), then one steady cycle that loops. 256 frames per cycle.
std::vector<int32_t> SynthBass(int cycleBits, int attackCycles) {
    const int cycle = 1 << cycleBits;
    std::vector<int64_t> acc(static_cast<size_t>(cycle) * (attackCycles + 1));
    const int attackFrames = cycle * attackCycles;
    for (size_t n = 0; n < acc.size(); ++n) {
        // Corner from harmonic 18 down to 4, settling exactly at the loop start.
        const int64_t t = std::min<int64_t>(static_cast<int64_t>(n), attackFrames);
        const int64_t falling = DecayQ30(t, attackFrames / 4) - DecayQ30(attackFrames, attackFrames / 4);
        const int64_t cutoffQ8 = 4 * 256 + (14 * 256 * falling >> 30);
        std::vector<int32_t> amps = HarmonicAmplitudes(40, cutoffQ8, false);
        amps[1] += 16000; // sub weight
        int64_t sum = 0;
        for (size_t h = 1; h < amps.size(); ++h)
            sum += int64_t{amps[h]} * SineQ15(static_cast<uint32_t>(h * n) << (32 - cycleBits));
        acc[n] = sum / 32768;
    }
    return Normalize(acc, 29000);
}

XmInstrument MakeDrum(const char* name, std::vector<int32_t> frames, int volume) {
    XmInstrument inst;
    inst.name = name;
    inst.sample.name = name;
    inst.sample.frames = std::move(frames);
    inst.sample.volume = volume;
    inst.sample.relativeNote = kDrumRelativeNote;
    inst.sample.finetune = kDrumFinetune;
    return inst;
}

// A cymbal: a looped 8-bit metallic noise shaped by the volume envelope.
XmInstrument MakeCymbal(const char* name, int loopBits, uint32_t seed, int cutCoefficient,
                        std::vector<XmEnvelopePoint> envelope) {
    std::vector<int64_t> noise = MetalNoise(size_t{1} << loopBits, loopBits, seed, cutCoefficient);
    XmInstrument inst = MakeDrum(name, Normalize(noise, 120), 64);
    inst.sample.sixteenBit = false;
    inst.sample.loopLength = 1 << loopBits;
    inst.volumeEnvelope.points = std::move(envelope);
    return inst;
}

// A pitched loop of whole cycles, each 2^cycleBits frames long.
XmInstrument MakeTonal(const char* name, std::vector<int32_t> frames, int loopStart, int cycleBits) {
    XmInstrument inst;
    inst.name = name;
    inst.sample.name = name;
    inst.sample.loopStart = loopStart;
    inst.sample.loopLength = static_cast<int>(frames.size()) - loopStart;
    inst.sample.frames = std::move(frames);
    inst.sample.relativeNote = CycleRelativeNote(cycleBits);
    inst.sample.finetune = kCycleFinetune;
    return inst;
}

} // namespace

std::vector<XmInstrument> MakeInstruments() {
    std::vector<XmInstrument> list;
    list.push_back(MakeDrum("kick", SynthKick(), 64));
    list.front().sample.name = "generated: tools/xmgen";
    list.push_back(MakeDrum("snare", SynthSnare(), 64));
    list.push_back(MakeDrum("closed hat", SynthClosedHat(), 64));
    // Envelope ticks last 2.5 / 120 s (about 21 ms) at the song's tempo.
    list.push_back(MakeCymbal("open hat", 13, 0x0A7, 37700, {{0, 64}, {3, 40}, {8, 18}, {14, 6}, {20, 0}}));
    list.push_back(MakeCymbal("crash", 14, 0xC4A, 22000, {{0, 64}, {6, 42}, {20, 22}, {45, 9}, {80, 0}}));

    {
        constexpr int kCycleBits = 8, kAttackCycles = 8;
        XmInstrument bass = MakeTonal("bass", SynthBass(kCycleBits, kAttackCycles), (1 << kCycleBits) * kAttackCycles,
                                      kCycleBits);
        bass.volumeEnvelope = {{{0, 64}, {4, 54}, {16, 42}}, 2};
        bass.fadeout = 0xC00;
        list.push_back(std::move(bass));
    }
    {
        // Three detuned sawtooths (127, 128 and 129 cycles per loop, about 13 cents apart):
        // a slow chorus that repeats every 16384 frames.
        constexpr int kLoopBits = 14, kCycleBits = 7;
        std::vector<int64_t> acc(size_t{1} << kLoopBits);
        const std::vector<int32_t> saw = HarmonicAmplitudes(20, 5 * 256, false);
        AddWave(acc, kLoopBits, 128, saw, 100);
        AddWave(acc, kLoopBits, 127, saw, 80);
        AddWave(acc, kLoopBits, 129, saw, 80);
        XmInstrument pad = MakeTonal("pad", Normalize(acc, 29000), 0, kCycleBits);
        pad.volumeEnvelope = {{{0, 8}, {8, 56}, {16, 64}}, 2};
        pad.fadeout = 0x200;
        list.push_back(std::move(pad));
    }
    {
        // A square with a slightly sharp sawtooth beside it, and a delayed vibrato.
        constexpr int kLoopBits = 14, kCycleBits = 7;
        std::vector<int64_t> acc(size_t{1} << kLoopBits);
        AddWave(acc, kLoopBits, 128, HarmonicAmplitudes(18, 8 * 256, true), 100);
        AddWave(acc, kLoopBits, 129, HarmonicAmplitudes(18, 8 * 256, false), 50);
        XmInstrument lead = MakeTonal("lead", Normalize(acc, 29000), 0, kCycleBits);
        lead.volumeEnvelope = {{{0, 64}, {4, 56}, {24, 46}}, 2};
        lead.fadeout = 0x600;
        lead.vibratoType = 0;
        lead.vibratoSweep = 48;
        lead.vibratoDepth = 4;
        lead.vibratoRate = 12;
        list.push_back(std::move(lead));
    }
    {
        constexpr int kCycleBits = 6;
        std::vector<int64_t> acc(size_t{1} << kCycleBits);
        AddWave(acc, kCycleBits, 1, HarmonicAmplitudes(10, 4 * 256, false), 100);
        XmInstrument pluck = MakeTonal("pluck", Normalize(acc, 29000), 0, kCycleBits);
        pluck.volumeEnvelope = {{{0, 64}, {2, 44}, {6, 24}, {12, 10}, {24, 0}}, -1};
        list.push_back(std::move(pluck));
    }
    return list;
}

} // namespace xmgen
