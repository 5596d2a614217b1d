// Mountains and a still lake at sunset, painted in colour ramps: every pixel is one ramp and a
// shade along it, dithered to a palette entry, as palette art is made.
#include <cmath>
#include <vector>

#include "pictures.h"

namespace {

const int Width = 640;  // the picture is the screen, pixel for pixel
const int Height = 480;
const double Horizon = 318.0;  // screen y of the lake's far shore
const double SunX = 322.0;
const double SunY = 200.0;
const double SunRadius = 26.0;

// A run of palette entries between colour stops spaced evenly along the ramp.
struct Ramp {
    std::vector<Rgb> stops;
    int size;
    int base = 0;  // first palette entry, set when the palette is built
};

enum RampId { SkyRamp, SunRamp, CloudRamp, Mountain0, Mountain1, Mountain2, Mountain3, WaterRamp, ForestRamp, RampCount };

std::vector<Ramp> MakeRamps() {
    std::vector<Ramp> ramps(RampCount);
    ramps[SkyRamp] = {{{1.0, 0.82, 0.48}, {1.0, 0.56, 0.42}, {0.72, 0.32, 0.50}, {0.30, 0.14, 0.40}, {0.10, 0.06, 0.24}}, 56};
    ramps[SunRamp] = {{{1.0, 0.78, 0.45}, {1.0, 0.95, 0.75}, {1.0, 1.0, 0.94}}, 8};
    ramps[CloudRamp] = {{{0.30, 0.16, 0.36}, {0.70, 0.34, 0.46}, {1.0, 0.66, 0.50}}, 16};
    ramps[Mountain0] = {{{0.50, 0.30, 0.50}, {0.72, 0.44, 0.58}, {0.96, 0.70, 0.66}}, 20};
    ramps[Mountain1] = {{{0.30, 0.18, 0.40}, {0.52, 0.30, 0.48}, {0.80, 0.48, 0.52}}, 20};
    ramps[Mountain2] = {{{0.16, 0.10, 0.28}, {0.32, 0.18, 0.36}, {0.60, 0.32, 0.40}}, 20};
    ramps[Mountain3] = {{{0.06, 0.05, 0.14}, {0.16, 0.10, 0.22}, {0.36, 0.18, 0.26}}, 20};
    ramps[WaterRamp] = {{{0.04, 0.04, 0.12}, {0.22, 0.12, 0.30}, {0.62, 0.34, 0.44}, {0.95, 0.66, 0.48}}, 32};
    ramps[ForestRamp] = {{{0.01, 0.02, 0.04}, {0.05, 0.07, 0.10}, {0.14, 0.12, 0.16}}, 12};
    int base = 0;
    for (Ramp& ramp : ramps) {
        ramp.base = base;
        base += ramp.size;
    }
    return ramps;
}

const std::vector<Ramp>& Ramps() {
    static const std::vector<Ramp> ramps = MakeRamps();
    return ramps;
}

Rgb RampColour(const Ramp& ramp, double t) {
    const double at = Clamp01(t) * (ramp.stops.size() - 1);
    const size_t i = std::min(static_cast<size_t>(at), ramp.stops.size() - 2);
    return Mix(ramp.stops[i], ramp.stops[i + 1], at - i);
}

struct Layer {
    double baseY, amplitude, frequency;
    uint32_t seed;
};

const Layer Mountains[4] = {
    {262.0, 120.0, 0.0042, 81}, {282.0, 95.0, 0.0060, 82}, {302.0, 60.0, 0.0085, 83}, {318.0, 30.0, 0.0140, 84},
};

// Sharp-crested ridges: folded noise, peaks where it folds.
double RidgeY(int layer, double x) {
    const Layer& l = Mountains[layer];
    const double n = Fbm(x * l.frequency, layer * 7.0, l.seed, 5);
    const double ridged = 1.0 - std::fabs(2.0 * n - 1.0);
    return l.baseY - l.amplitude * Pow(ridged, 1.8);
}

struct Paint {
    RampId ramp;
    double t;
};

// Pines on the nearest hills, on the left and the right; coverage only.
bool Pine(double x, double y) {
    const double spacing = 9.0;
    const int k = static_cast<int>(std::floor(x / spacing));
    for (int i = k - 2; i <= k + 2; ++i) {
        const double tx = (i + 0.5 + 0.5 * (Hash01(i, 0, 85) - 0.5)) * spacing;
        const bool wooded = tx < 200.0 || (tx > 520.0 && Hash01(i, 1, 85) > 0.3);
        if (!wooded) continue;
        const double height = 14.0 + 26.0 * Hash01(i, 2, 85) * (tx < 120.0 ? 1.4 : 1.0);
        const double foot = Horizon + 1.0;
        const double top = std::fmin(RidgeY(3, tx), foot) - height;
        if (y < top || y > foot) continue;
        const double t = (y - top) / height;
        const double half = t * height * 0.22 * (0.7 + 0.3 * std::fmod(t * 4.0, 1.0)) + 0.5;
        if (std::fabs(x - tx) < half) return true;
    }
    return false;
}

// What lies at (x, y) above the lake.
Paint Above(double x, double y) {
    if (Pine(x, y)) return {ForestRamp, 0.15 + 0.2 * Fbm(x * 0.2, y * 0.2, 86, 2)};
    for (int layer = 3; layer >= 0; --layer) {
        const double ridge = RidgeY(layer, x);
        if (y < ridge) continue;
        // faces turned to the sun (the ridge falling towards it) are lit; crests catch more light
        const double towardsSun = x < SunX ? 1.0 : -1.0;
        const double slope = (RidgeY(layer, x + 1.5) - RidgeY(layer, x - 1.5)) / 3.0 * towardsSun;
        double t = 0.42 + 0.9 * slope + 0.35 * (1.0 - SmoothStep(0.0, 50.0, y - ridge));
        t += 0.25 * (Fbm(x * 0.05, y * 0.09, 87 + layer, 3) - 0.5);
        t -= 0.3 * SmoothStep(0.0, 90.0, y - ridge) * (layer == 0 ? 0.5 : 1.0);  // shade at the feet
        return {static_cast<RampId>(Mountain0 + layer), t};
    }
    const double sunDistance = Hypot(x - SunX, y - SunY);
    if (sunDistance < SunRadius) return {SunRamp, 1.0 - sunDistance / SunRadius * 0.9};
    // cloud streaks, lit from below
    const double cloud = SmoothStep(0.56, 0.66, Fbm(x * 0.005, y * 0.028, 88, 5)) * SmoothStep(40.0, 90.0, y) * (1.0 - SmoothStep(180.0, 230.0, y));
    if (cloud > 0.5) {
        const double lit = 0.25 + 0.6 * Clamp01((y - 60.0) / 170.0) + 0.35 * Exp(-std::fabs(x - SunX) / 140.0);
        return {CloudRamp, lit * (0.8 + 0.4 * cloud) - 0.25 * Fbm(x * 0.03, y * 0.05, 89, 2)};
    }
    const double glow = Exp(-sunDistance / 110.0);
    return {SkyRamp, Clamp01(1.0 - y / Horizon) * 1.05 - 0.45 * glow + 0.1 * glow * glow};
}

// The lake mirrors what is above it, darker, broken by ripples, with a glitter path under the sun.
Paint Below(double x, double y) {
    const double depth = (y - Horizon) / (Height - Horizon);
    const double ripple = Sin(y * 1.7 + 6.0 * Fbm(x * 0.01, y * 0.05, 90, 3)) * (0.5 + 2.5 * depth);
    const double mirrorY = Horizon - (y - Horizon) * 1.15;
    const Paint above = Above(x + ripple, mirrorY);
    // the glitter path widens towards the viewer and thins out at its sides
    const double pathHalfWidth = 5.0 + 60.0 * depth;
    const double off = std::fabs(x - SunX + 0.3 * ripple) / pathHalfWidth;
    const double sparkle = Hash01(static_cast<int32_t>(x / 3.0), static_cast<int32_t>(y), 91);
    if (above.ramp == SunRamp || (off < 1.0 && sparkle > 0.45 + 0.5 * off * off)) {
        return {SunRamp, 0.25 + 0.5 * Hash01(static_cast<int32_t>(x), static_cast<int32_t>(y), 92) - 0.25 * depth};
    }
    const Rgb colour = RampColour(Ramps()[above.ramp], above.t);
    const double brightness = 0.30 * colour.r + 0.45 * colour.g + 0.25 * colour.b;
    double t = brightness * 1.25 - 0.2 * depth + 0.06 * Sin(y * 0.9 + x * 0.02);
    if (above.ramp == ForestRamp) t = 0.05;
    return {WaterRamp, t};
}

// Reeds and a dark bank along the bottom left.
bool Shore(double x, double y) {
    const double bank = 462.0 - 40.0 * Exp(-x / 90.0) + 8.0 * (Fbm(x * 0.03, 2.0, 93, 3) - 0.5);
    if (y > bank) return true;
    const int k = static_cast<int>(x / 4.0);
    if (x > 230.0) return false;
    const double tx = (k + Hash01(k, 0, 94)) * 4.0;
    const double height = (20.0 + 50.0 * Hash01(k, 1, 94)) * Exp(-x / 160.0);
    const double lean = (Hash01(k, 2, 94) - 0.5) * 0.5;
    const double t = (bank - y) / height;
    return t >= 0.0 && t <= 1.0 && std::fabs(x - tx - lean * (bank - y)) < 0.9 * (1.0 - t) + 0.3;
}

}  // namespace

PngPicture MakeLandscape() {
    const std::vector<Ramp>& ramps = Ramps();
    PngPicture picture;
    picture.width = Width;
    picture.height = Height;
    picture.colorType = PNG_COLOR_TYPE_PALETTE;
    for (const Ramp& ramp : ramps) {
        for (int i = 0; i < ramp.size; ++i) {
            const Rgb c = RampColour(ramp, ramp.size > 1 ? static_cast<double>(i) / (ramp.size - 1) : 0.0);
            picture.palette.push_back({static_cast<png_byte>(std::lround(Clamp01(c.r) * 255.0)),
                                       static_cast<png_byte>(std::lround(Clamp01(c.g) * 255.0)),
                                       static_cast<png_byte>(std::lround(Clamp01(c.b) * 255.0))});
        }
    }
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            Paint paint = py < Horizon ? Above(px, py) : Below(px, py);
            if (Shore(px, py)) paint = {ForestRamp, 0.1 * Fbm(px * 0.1, py * 0.1, 95, 2)};
            const Ramp& ramp = ramps[paint.ramp];
            int step = static_cast<int>(std::floor(Clamp01(paint.t) * (ramp.size - 1) + Bayer4(x, y)));
            step = std::min(std::max(step, 0), ramp.size - 1);
            picture.samples.push_back(static_cast<uint16_t>(ramp.base + step));
        }
    }
    return picture;
}
