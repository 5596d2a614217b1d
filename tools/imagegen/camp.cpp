// A winter camp at night: stars and the northern lights over dark hills and pines, a glowing
// tent, a sleeping bag on the snow and a camp fire.
#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures.h"

namespace {

const double Pi = 3.14159265358979323846;
const double FireX = 458.0;  // screen pixels: the foot of the flames
const double FireY = 420.0;

double FarRidge(double x) {
    const double folded = 1.0 - std::fabs(2.0 * Fbm(x * 0.005, 3.0, 61, 5) - 1.0);  // sharp crests
    return 300.0 - 95.0 * Pow(folded, 1.5);
}
double NearRidge(double x) { return 345.0 + 14.0 * Sin(x * 0.011 + 0.7) + 22.0 * (Fbm(x * 0.01, 9.0, 62, 3) - 0.5); }

Rgb Sky(double x, double y) {
    Rgb c = Mix(Rgb{0.01, 0.015, 0.06}, Rgb{0.06, 0.10, 0.22}, Pow(Clamp01(y / 330.0), 1.8));
    // a faint band of the galaxy across the sky
    const double band = Exp(-Square((y - 0.35 * x - 20.0) / 70.0));
    c = c + Rgb{0.05, 0.05, 0.08} * (band * Fbm(x * 0.02, y * 0.02, 63, 4));
    // stars: at most one per 7x7 cell, looked up in the cell and its neighbours
    const double cell = 7.0;
    const int cx = static_cast<int>(std::floor(x / cell));
    const int cy = static_cast<int>(std::floor(y / cell));
    double light = 0.0;
    for (int j = cy - 1; j <= cy + 1; ++j) {
        for (int i = cx - 1; i <= cx + 1; ++i) {
            const double sx = (i + Hash01(i, j, 64)) * cell;
            const double sy = (j + Hash01(i, j, 65)) * cell;
            const double h = Hash01(i, j, 66);
            const double h2 = h * h;
            const double brightness = h2 * h2 * h2 * h2 * h2 * (1.0 + 2.0 * band);
            const double d2 = (x - sx) * (x - sx) + (y - sy) * (y - sy);
            const double spread = 0.35 + 0.9 * brightness;
            if (brightness > 0.002 && d2 < 30.0 * spread && Hash01(i, j, 67) < 0.5) light += brightness * Exp(-d2 / spread);
        }
    }
    return c + Rgb{0.95, 0.95, 1.0} * std::fmin(light, 1.2);
}

// The northern lights: curtains with a sharp lower hem that fade upwards, green below, violet
// above, in vertical rays.
Rgb Aurora(double x, double y) {
    Rgb sum = {0, 0, 0};
    for (int layer = 0; layer < 2; ++layer) {
        const double hem = (layer == 0 ? 175.0 : 105.0) + 42.0 * Sin(x * 0.0075 + 1.3 + layer * 2.1) +
                           50.0 * (Fbm(x * 0.004, layer * 5.0, 67, 3) - 0.5);
        const double above = hem - y;
        double intensity = above > 0.0 ? Exp(-above / (layer == 0 ? 95.0 : 60.0)) : Exp(-above * above / 50.0);
        const double rays = Fbm(x * 0.08, y * 0.003 + layer * 3.0, 68, 3);
        intensity *= 0.15 + 1.2 * rays * rays;  // rays
        intensity *= 0.6 + 0.4 * Sin(x * 0.017 + 2.0 * Fbm(x * 0.003, 1.0, 69, 2) + layer);  // folds
        const Rgb colour = Mix(Rgb{0.15, 1.0, 0.45}, Rgb{0.55, 0.2, 0.85}, Clamp01(above / 170.0));
        sum = sum + colour * (intensity * (layer == 0 ? 0.9 : 0.5));
    }
    return sum;
}

struct Pine {
    double x, top, foot;
};

const double PineSpacing = 13.0;  // screen pixels between neighbouring trees

// Pines along the near ridge, left and right of the camp; tree i stands near i * PineSpacing.
const std::vector<Pine>& PineRow() {
    static const std::vector<Pine> pines = [] {
        std::vector<Pine> row;
        for (int i = 0; i * PineSpacing < ScreenWidth + PineSpacing; ++i) {
            const double x = (i + 0.5 + 0.6 * (Hash01(i, 0, 71) - 0.5)) * PineSpacing;
            const double height = 28.0 + 40.0 * Hash01(i, 1, 71);
            const double foot = NearRidge(x) + 6.0;
            const bool clearing = x > 150.0 && x < 520.0;
            row.push_back({x, clearing ? foot : foot - height, foot});
        }
        return row;
    }();
    return pines;
}

// Coverage of the pines at a point.
double Pines(double x, double y) {
    const std::vector<Pine>& pines = PineRow();
    const int k = static_cast<int>(std::floor(x / PineSpacing));
    double cover = 0.0;
    for (int i = std::max(0, k - 2); i <= k + 2 && i < static_cast<int>(pines.size()); ++i) {
        const Pine& p = pines[i];
        if (y < p.top || y > p.foot || p.top >= p.foot) continue;
        const double height = p.foot - p.top;
        const double t = (y - p.top) / height;
        const double tiers = 0.75 + 0.25 * std::fmod(t * 5.0, 1.0);
        const double half = (t * 0.32 * height * tiers) + (t > 0.92 ? 1.5 : 0.0);
        cover = std::fmax(cover, 1.0 - SmoothStep(half - 0.7, half + 0.7, std::fabs(x - p.x)));
    }
    return cover;
}

double FireLight(double x, double y) {
    const double d = Hypot(x - FireX, (y - FireY + 8.0) * 2.0);
    return Exp(-d / 95.0);
}

Rgb Snow(double x, double y) {
    const double depth = Clamp01((y - 340.0) / 140.0);
    Rgb c = Mix(Rgb{0.13, 0.17, 0.30}, Rgb{0.28, 0.33, 0.50}, depth);
    c = c * (0.92 + 0.16 * Fbm(x * 0.03, y * 0.08, 72, 3)) + Rgb{0.02, 0.07, 0.04} * (1.0 - depth);
    const double glint = SmoothStep(0.993, 0.998, Hash01(static_cast<int32_t>(x * 1.3), static_cast<int32_t>(y * 1.3), 73));
    c = c + Rgb{0.5, 0.55, 0.7} * glint;
    return c + Rgb{1.0, 0.48, 0.16} * (0.85 * FireLight(x, y));
}

// Coverage of the triangle abc (screen points, either winding), sharp-edged.
bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx, double cy) {
    const double d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
    const double d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
    const double d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

double SegmentDistance(double x, double y, double ax, double ay, double bx, double by) {
    const double vx = bx - ax;
    const double vy = by - ay;
    const double t = Clamp01(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy));
    return Hypot(x - ax - t * vx, y - ay - t * vy);
}

// The tent, lit from inside: a front triangle with a door and a darker side panel.
bool Tent(double x, double y, Rgb* colour) {
    const double apexX = 228.0, apexY = 296.0, baseY = 404.0;
    const double leftX = 132.0, rightX = 318.0;
    const double backX = 290.0, backY = 284.0, backBaseX = 378.0, backBaseY = 394.0;
    const double glow = 0.75 + 0.25 * Clamp01((y - apexY) / (baseY - apexY));
    if (InTriangle(x, y, apexX, apexY, leftX, baseY, rightX, baseY)) {
        const double seam = std::fabs(std::fmod((x - apexX) / (y - apexY + 1.0) * 6.0 + 100.5, 1.0) - 0.5);
        Rgb c = Rgb{1.0, 0.58, 0.22} * glow * (0.88 + 0.12 * SmoothStep(0.0, 0.08, seam));
        const bool door = InTriangle(x, y, apexX, apexY + 22.0, apexX - 30.0, baseY, apexX + 30.0, baseY);
        if (door) c = Mix(Rgb{1.0, 0.86, 0.5}, Rgb{1.0, 0.7, 0.35}, Clamp01((y - apexY) / 110.0));
        const double hot = Exp(-Square(Hypot(x - apexX, y - baseY + 20.0) / 60.0));
        *colour = c + Rgb{0.2, 0.15, 0.05} * hot;
        return true;
    }
    if (InTriangle(x, y, apexX, apexY, backX, backY, backBaseX, backBaseY) ||
        InTriangle(x, y, apexX, apexY, backBaseX, backBaseY, rightX, baseY)) {
        *colour = Rgb{0.78, 0.36, 0.13} * glow;
        return true;
    }
    // guy lines to pegs in the snow
    const double line = std::fmin(SegmentDistance(x, y, apexX, apexY, 90.0, 412.0),
                                  SegmentDistance(x, y, backX, backY, 420.0, 386.0));
    if (line < 0.6) {
        *colour = Rgb{0.35, 0.3, 0.3};
        return true;
    }
    return false;
}

// The sleeping bag on the snow between tent and fire: a quilted mummy bag, a sleeper's face
// and red cap in its hood on the left, lit warm from the fire on the right.
bool SleepingBag(double x, double y, Rgb* colour) {
    const double headX = 302.0, headY = 436.0, footX = 398.0, footY = 446.0;
    const double vx = footX - headX, vy = footY - headY;
    const double along = Clamp01(((x - headX) * vx + (y - headY) * vy) / (vx * vx + vy * vy));
    const double radius = 14.0 - 5.0 * along * along;  // tapers to the feet
    const double d = SegmentDistance(x, y, headX, headY, footX, footY);
    if (d > radius) return false;
    const double roundness = std::sqrt(1.0 - Square(d / radius));
    const double baffle = std::fabs(std::fmod(along * 9.0 + (y - headY) * 0.04, 1.0) - 0.5);
    Rgb c = Rgb{0.08, 0.36, 0.42} * (0.3 + 0.7 * roundness) * (0.8 + 0.2 * SmoothStep(0.0, 0.12, baffle));
    c = c + Rgb{0.6, 0.28, 0.08} * (0.9 * FireLight(x, y) * roundness);
    const double hood = Hypot((x - headX - 2.0) / 9.5, (y - headY + 1.0) / 8.5);
    if (hood < 1.0) c = Mix(Rgb{0.95, 0.55, 0.2}, Rgb{0.55, 0.25, 0.08}, SmoothStep(0.75, 1.0, hood));  // lining
    const double face = Hypot((x - headX - 2.5) / 6.0, (y - headY) / 6.5);
    if (face < 1.0) c = Rgb{0.88, 0.62, 0.46} * (0.75 + 0.25 * Clamp01((x - headX + 4.0) / 10.0));
    if (face < 1.05 && y < headY - 1.5) c = Rgb{0.75, 0.1, 0.08} * (0.8 + 0.2 * roundness);  // cap
    *colour = c;
    return true;
}

// Flames, logs and stones of the fire; returns coverage, and colour through *colour.
double Fire(double x, double y, Rgb* colour) {
    double cover = 0.0;
    Rgb c = {0, 0, 0};
    *colour = c;
    if (std::fabs(x - FireX) > 40.0 || y < FireY - 70.0 || y > FireY + 12.0) return 0.0;
    // stones around the fire
    for (int i = 0; i < 7; ++i) {
        const double a = i * 2.0 * Pi / 7.0 + 0.4;
        const double sx = FireX + 26.0 * Cos(a);
        const double sy = FireY + 2.0 + 8.0 * Sin(a);
        if (Hypot((x - sx) / 8.0, (y - sy) / 5.0) < 1.0) {
            c = Rgb{0.2, 0.19, 0.2} * (0.6 + 0.4 * Fbm(x * 0.3, y * 0.3, 74, 2)) + Rgb{0.5, 0.2, 0.05} * (sy < FireY + 2.0 ? 0.2 : 0.5);
            cover = 1.0;
        }
    }
    // logs, crossed
    if (SegmentDistance(x, y, FireX - 22.0, FireY + 2.0, FireX + 20.0, FireY - 6.0) < 3.5 ||
        SegmentDistance(x, y, FireX - 18.0, FireY - 7.0, FireX + 22.0, FireY + 1.0) < 3.5) {
        c = Rgb{0.22, 0.11, 0.05} + Rgb{0.6, 0.2, 0.02} * SmoothStep(0.6, 0.8, Fbm(x * 0.4, y * 0.4, 75, 2));
        cover = 1.0;
    }
    // flames: a few tongues that wave with noise
    for (int k = 0; k < 5; ++k) {
        const double baseX = FireX + (k - 2) * 6.0;
        const double height = 34.0 + 22.0 * Hash01(k, 2, 76);
        const double t = (FireY - 2.0 - y) / height;
        if (t < 0.0 || t > 1.0) continue;
        const double sway = 7.0 * (Fbm(k * 3.0, y * 0.05, 77, 2) - 0.5) * t;
        const double half = 7.0 * Pow(1.0 - t, 0.7) * std::sqrt(t + 0.05);
        const double inside = 1.0 - SmoothStep(half * 0.7, half, std::fabs(x - baseX - sway));
        if (inside <= 0.0) continue;
        const double heat = Clamp01((1.0 - t) * (1.0 - std::fabs(x - baseX - sway) / (half + 1e-9)) * 1.4);
        const Rgb flame = Mix(Mix(Rgb{0.8, 0.12, 0.02}, Rgb{1.0, 0.55, 0.08}, SmoothStep(0.0, 0.4, heat)),
                              Rgb{1.0, 0.95, 0.65}, SmoothStep(0.45, 0.9, heat));
        c = Mix(c, flame, inside);
        cover = std::fmax(cover, inside);
    }
    *colour = c;
    return cover;
}

double Sparks(double x, double y) {
    double light = 0.0;
    if (std::fabs(x - FireX) > 40.0 || y > FireY || y < FireY - 140.0) return 0.0;
    for (int i = 0; i < 14; ++i) {
        const double rise = 40.0 + 90.0 * Hash01(i, 3, 78);
        const double sx = FireX + 30.0 * (Hash01(i, 4, 78) - 0.5) + 10.0 * Sin(rise * 0.05);
        const double sy = FireY - rise;
        light += Exp(-((x - sx) * (x - sx) + (y - sy) * (y - sy)) / 0.8) * (1.0 - rise / 140.0);
    }
    return light;
}

}  // namespace

PngPicture MakeCamp() {
    const auto shade = [](double x, double y) -> Rgba {
        Rgb c;
        const double farRidge = FarRidge(x);
        if (y < farRidge) {
            c = Sky(x, y) + Aurora(x, y);
        } else if (y < NearRidge(x)) {
            // far mountains, snow near their ridges catching the green light
            const double fromRidge = y - farRidge;
            const double snowCap = 1.0 - SmoothStep(0.0, 45.0, fromRidge);
            const double gullies = SmoothStep(0.48, 0.66, Fbm(x * 0.07, y * 0.012, 79, 4)) * (1.0 - SmoothStep(20.0, 70.0, fromRidge));
            c = Mix(Rgb{0.03, 0.05, 0.10}, Rgb{0.26, 0.33, 0.46}, Clamp01(snowCap * 0.75 + gullies * 0.6));
            c = c + Aurora(x, farRidge - 30.0) * 0.12;
        } else {
            c = Snow(x, y);
        }
        const double pine = Pines(x, y);
        c = Mix(c, Rgb{0.01, 0.02, 0.035}, pine);
        Rgb object;
        if (Tent(x, y, &object)) c = object;
        if (SleepingBag(x, y, &object)) c = object;
        const double fire = Fire(x, y, &object);
        c = Mix(c, object, fire);
        const double halo = Exp(-Hypot(x - FireX, y - FireY + 22.0) / 32.0);
        c = c + Rgb{1.0, 0.45, 0.12} * (0.45 * halo) + Rgb{1.0, 0.7, 0.3} * Sparks(x, y);
        return {c, 1.0};
    };
    PngPicture picture;
    picture.width = 512;
    picture.height = 512;
    picture.colorType = PNG_COLOR_TYPE_RGB;
    picture.gamma = 1.0 / 2.2;
    picture.samples = RenderToSamples(512, 512, 2, false, shade);
    return picture;
}
