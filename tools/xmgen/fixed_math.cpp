#include "fixed_math.h"

#include <array>

namespace xmgen {

namespace {

constexpr int64_t kOneQ30 = int64_t{1} << 30;
constexpr int64_t kPiQ30 = 3373259426;  // pi * 2^30
constexpr int64_t kLn2Q30 = 744261118;  // ln 2 * 2^30
constexpr int kTableBits = 16;          // full-turn table of 65536 entries
constexpr int kQuarter = 1 << (kTableBits - 2);

// sin(x) for 0 <= x <= pi/2, all in Q30, by its Taylor series (terms fall below 1 LSB by x^17).
int64_t TaylorSineQ30(int64_t x) {
    const int64_t x2 = x * x / kOneQ30;
    int64_t term = x;
    int64_t sum = x;
    for (int k = 1; k <= 9; ++k) {
        term = -(term * x2 / kOneQ30) / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

const std::array<int32_t, kQuarter + 1>& QuarterTable() {
    static const std::array<int32_t, kQuarter + 1> table = [] {
        std::array<int32_t, kQuarter + 1> t{};
        for (int i = 0; i <= kQuarter; ++i) {
            const int64_t x = kPiQ30 * i / (2 * kQuarter);
            const int64_t s = TaylorSineQ30(x) * 32767;
            t[i] = static_cast<int32_t>((s + kOneQ30 / 2) / kOneQ30);
        }
        return t;
    }();
    return table;
}

} // namespace

int32_t SineQ15(uint32_t phase) {
    const auto& quarter = QuarterTable();
    const uint32_t index = phase >> (32 - kTableBits);
    const uint32_t within = index & (kQuarter - 1);
    switch (index >> (kTableBits - 2)) {
    case 0: return quarter[within];
    case 1: return quarter[kQuarter - within];
    case 2: return -quarter[within];
    default: return -quarter[kQuarter - within];
    }
}

int64_t Exp2NegQ30(int64_t x) {
    if (x <= 0) return kOneQ30;
    const int64_t whole = x >> 16;
    if (whole >= 31) return 0;
    // e^(-y) with y = frac * ln 2 < 0.7: the series converges to 1 LSB within 14 terms.
    const int64_t y = (x & 0xFFFF) * kLn2Q30 >> 16;
    int64_t term = kOneQ30;
    int64_t sum = kOneQ30;
    for (int k = 1; k <= 14; ++k) {
        term = -(term * y / kOneQ30) / k;
        sum += term;
    }
    return sum >> whole;
}

int64_t DecayQ30(int64_t frames, int64_t halfLife) {
    return Exp2NegQ30(frames * 65536 / halfLife);
}

int32_t Noise::NextQ15() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int32_t>(state >> 16) - 32768;
}

int32_t OnePole::LowPass(int32_t x) {
    const int64_t target = static_cast<int64_t>(x) * 65536;
    y += (target - y) / 65536 * k;
    return static_cast<int32_t>(y / 65536);
}

} // namespace xmgen
