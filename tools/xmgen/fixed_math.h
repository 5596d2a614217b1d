// Integer signal primitives for the module's synthesised samples. Everything here is exact
// integer arithmetic, so the generated module is the same byte for byte on every machine.
#pragma once

#include <cstdint>

namespace xmgen {

// One full turn of phase is 2^32; the result is a sine in Q15 (-32767..32767).
int32_t SineQ15(uint32_t phase);

// 2^(-x / 65536) in Q30 for x >= 0 (x is a Q16 exponent): 1.0 at x = 0, halving every 65536.
int64_t Exp2NegQ30(int64_t x);

// Decay factor in Q30 after `frames` frames of a curve that halves every `halfLife` frames.
int64_t DecayQ30(int64_t frames, int64_t halfLife);

// White noise from a 32-bit xorshift generator: uniform Q15 values in -32768..32767.
class Noise {
public:
    explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
    int32_t NextQ15();

private:
    uint32_t state;
};

// One-pole low-pass in Q15: y += (x - y) * coefficient / 65536 (coefficient 1..65536;
// larger is brighter).
class OnePole {
public:
    explicit OnePole(int32_t coefficient) : k(coefficient) {}
    int32_t LowPass(int32_t x);
    int32_t HighPass(int32_t x) { return x - LowPass(x); }

private:
    int32_t k;
    int64_t y = 0; // Q15 shifted left by 16 for headroom and precision
};

// Multiplies a Q15 value by a Q30 gain, rounding toward zero.
inline int32_t ScaleQ30(int32_t x, int64_t gainQ30) {
    return static_cast<int32_t>((static_cast<int64_t>(x) * gainQ30) / (int64_t{1} << 30));
}

} // namespace xmgen
