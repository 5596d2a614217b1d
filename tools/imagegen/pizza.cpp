// A pizza from above: crust, sauce, blistered cheese, pepperoni, olives and basil, cut in eight,
// on a red gingham cloth.
#include <cmath>
#include <vector>

#include "pictures.h"

namespace {

const double Pi = 3.14159265358979323846;
const double CentreX = 320.0;  // screen pixels
const double CentreY = 244.0;
const double Radius = 212.0;
const double CrustWidth = 24.0;

struct Disc {
    double x, y, radius;
};

struct Leaf {
    double x, y, angle, length, width;
};

std::vector<Disc> PepperoniSlices() {
    std::vector<Disc> slices;
    for (int i = 0; i < 7; ++i) {
        const double a = i * 2.0 * Pi / 7.0 + 0.3 + 0.25 * (Hash01(i, 1, 7) - 0.5);
        const double r = 128.0 + 18.0 * (Hash01(i, 2, 7) - 0.5);
        slices.push_back({CentreX + r * Cos(a), CentreY + r * Sin(a), 27.0 + 4.0 * Hash01(i, 3, 7)});
    }
    for (int i = 0; i < 3; ++i) {
        const double a = i * 2.0 * Pi / 3.0 + 1.1;
        slices.push_back({CentreX + 52.0 * Cos(a), CentreY + 52.0 * Sin(a), 28.0});
    }
    return slices;
}

std::vector<Disc> OliveRings(const std::vector<Disc>& pepperoni) {
    std::vector<Disc> olives;
    for (int i = 0; olives.size() < 12 && i < 200; ++i) {
        const double a = Hash01(i, 4, 11) * 2.0 * Pi;
        const double r = 25.0 + 150.0 * std::sqrt(Hash01(i, 5, 11));
        const Disc d = {CentreX + r * Cos(a), CentreY + r * Sin(a), 9.0};
        bool clear = true;
        for (const Disc& p : pepperoni) clear = clear && Hypot(d.x - p.x, d.y - p.y) > p.radius + 12.0;
        for (const Disc& o : olives) clear = clear && Hypot(d.x - o.x, d.y - o.y) > 30.0;
        if (clear) olives.push_back(d);
    }
    return olives;
}

const Leaf Leaves[] = {
    {262.0, 150.0, 0.6, 30.0, 11.0}, {392.0, 205.0, 2.2, 28.0, 10.0}, {300.0, 312.0, -0.4, 32.0, 12.0},
    {418.0, 318.0, 1.4, 26.0, 10.0}, {214.0, 250.0, 2.9, 27.0, 10.0},
};

Rgb Gingham(double x, double y) {
    const double period = 48.0;
    const double across = std::fmod(x + 1000.0 * period, period) < period / 2.0 ? 1.0 : 0.0;
    const double down = std::fmod(y + 1000.0 * period + 10.0, period) < period / 2.0 ? 1.0 : 0.0;
    const Rgb white = {0.95, 0.93, 0.88};
    const Rgb red = {0.74, 0.09, 0.11};
    Rgb c = Mix(white, red, (across + down) * 0.5 * (across + down > 1.5 ? 1.0 : 0.85));
    const double weave = 0.94 + 0.04 * Sin(x * 2.4) * Sin(y * 2.4) + 0.05 * (Fbm(x * 0.05, y * 0.05, 3, 3) - 0.5);
    c = c * weave;
    const double vignette = 1.0 - 0.35 * Square(Hypot((x - 320.0) / 420.0, (y - 240.0) / 330.0));
    const double shadow = 1.0 - 0.6 * (1.0 - SmoothStep(Radius - 30.0, Radius + 26.0, Hypot(x - CentreX - 12.0, y - CentreY - 16.0)));
    return c * (vignette * shadow);
}

// Light from the upper left, as a weight on the outward slope of a round bump.
double SlopeLight(double dx, double dy, double slope) {
    const double length = Hypot(dx, dy) + 1e-9;
    const double towardsLight = -(dx * 0.55 + dy * 0.83) / length;
    return 0.82 + 0.45 * slope * towardsLight;
}

Rgb Crust(double x, double y, double fromEdge) {
    const double s = Clamp01(fromEdge / CrustWidth);
    Rgb c = Mix(Rgb{0.88, 0.62, 0.30}, Rgb{0.62, 0.34, 0.13}, Fbm(x * 0.06, y * 0.06, 21, 4));
    const double char_ = SmoothStep(0.66, 0.78, Fbm(x * 0.11, y * 0.11, 22, 3));
    c = Mix(c, Rgb{0.32, 0.16, 0.07}, char_ * 0.8);
    const double flour = SmoothStep(0.93, 0.97, Hash01(static_cast<int32_t>(x * 1.5), static_cast<int32_t>(y * 1.5), 23));
    c = Mix(c, Rgb{0.97, 0.92, 0.82}, flour * 0.6);
    return c * SlopeLight(x - CentreX, y - CentreY, Cos(Pi * s) * 1.1) * (0.85 + 0.15 * Sin(Pi * s));
}

Rgb SauceAndCheese(double x, double y, double r, double edge) {
    const Rgb sauce = Mix(Rgb{0.72, 0.13, 0.05}, Rgb{0.55, 0.07, 0.03}, Fbm(x * 0.08, y * 0.08, 31, 3));
    const double cheeseEdge = edge - CrustWidth - 8.0 + 14.0 * (Fbm(x * 0.035, y * 0.035, 32, 3) - 0.5);
    double cheese = 1.0 - SmoothStep(cheeseEdge - 2.0, cheeseEdge + 1.0, r);
    cheese *= SmoothStep(0.22, 0.30, Fbm(x * 0.025, y * 0.025, 33, 4));  // sauce showing through
    Rgb top = Mix(Rgb{1.0, 0.88, 0.52}, Rgb{0.98, 0.76, 0.36}, Fbm(x * 0.05, y * 0.05, 34, 4));
    const double blister = Fbm(x * 0.07, y * 0.07, 35, 3);
    top = Mix(top, Rgb{0.86, 0.55, 0.22}, SmoothStep(0.60, 0.68, blister));
    top = Mix(top, Rgb{0.55, 0.28, 0.10}, SmoothStep(0.70, 0.76, blister) * 0.8);
    const double sheen = SmoothStep(0.80, 0.90, Fbm(x * 0.09 + 40.0, y * 0.09, 36, 2));
    top = Mix(top, Rgb{1.0, 0.98, 0.9}, sheen * 0.5);
    const double thinEdge = 0.75 + 0.25 * SmoothStep(0.0, 0.35, cheese);
    return Mix(sauce, top * thinEdge, cheese);
}

// The colour of a pepperoni slice at distance d from its centre, or alpha 0 outside it.
Rgba Pepperoni(double x, double y, const Disc& p) {
    const double d = Hypot(x - p.x, y - p.y);
    if (d > p.radius + 3.0) return {{0, 0, 0}, 0.0};
    const double inside = 1.0 - SmoothStep(p.radius - 0.8, p.radius + 0.8, d);
    Rgb c = Mix(Rgb{0.66, 0.12, 0.08}, Rgb{0.50, 0.07, 0.05}, Fbm(x * 0.12, y * 0.12, 41, 3));
    c = Mix(c, Rgb{0.86, 0.42, 0.30}, SmoothStep(0.68, 0.74, Fbm(x * 0.25, y * 0.25, 42, 2)) * 0.7);
    c = Mix(c, Rgb{0.30, 0.04, 0.03}, SmoothStep(p.radius - 6.0, p.radius, d));  // crisp rim
    const double cup = SlopeLight(x - p.x, y - p.y, -1.2 * d / p.radius);  // edges curl up
    const double gloss = Exp(-Square(Hypot(x - p.x + p.radius * 0.35, y - p.y + p.radius * 0.4) / 6.0));
    c = Mix(c * cup, Rgb{1.0, 0.8, 0.75}, gloss * 0.35);
    return {c, inside};
}

Rgba Olive(double x, double y, const Disc& o) {
    const double d = Hypot(x - o.x, y - o.y);
    const double ring = (1.0 - SmoothStep(o.radius - 0.7, o.radius + 0.7, d)) * SmoothStep(3.2, 4.4, d);
    if (ring <= 0.0) return {{0, 0, 0}, 0.0};
    const double a = Atan2(y - o.y, x - o.x);
    const double shine = Pow(Clamp01(Cos(a + 2.3)), 6.0) * SmoothStep(5.0, 7.0, d) * (1.0 - SmoothStep(7.0, 8.5, d));
    return {Mix(Rgb{0.09, 0.08, 0.07}, Rgb{0.55, 0.55, 0.5}, shine), ring};
}

Rgba Basil(double x, double y, const Leaf& leaf) {
    const double dx = x - leaf.x;
    const double dy = y - leaf.y;
    const double u = (dx * Cos(leaf.angle) + dy * Sin(leaf.angle)) / leaf.length;
    const double v = -dx * Sin(leaf.angle) + dy * Cos(leaf.angle);
    if (std::fabs(u) >= 1.0) return {{0, 0, 0}, 0.0};
    const double halfWidth = leaf.width * Pow(1.0 - u * u, 0.75) * (u < 0.0 ? 1.0 : 0.85 + 0.15 * (1.0 - u));
    const double inside = 1.0 - SmoothStep(halfWidth - 0.8, halfWidth + 0.8, std::fabs(v));
    if (inside <= 0.0) return {{0, 0, 0}, 0.0};
    const double across = std::fabs(v) / (halfWidth + 1e-9);
    Rgb c = Mix(Rgb{0.28, 0.62, 0.20}, Rgb{0.08, 0.36, 0.10}, across);
    const double midrib = 1.0 - SmoothStep(0.6, 1.4, std::fabs(v));
    const double veins = Pow(std::fabs(Sin((u * 5.0 - across * 1.2) * Pi)), 14.0) * (1.0 - across);
    c = Mix(c, Rgb{0.45, 0.75, 0.35}, Clamp01(midrib * 0.8 + veins * 0.35));
    c = c * (0.8 + 0.3 * (v < 0.0 ? 1.0 : 0.6));  // folded along the midrib
    c = Mix(c, Rgb{0.12, 0.18, 0.05}, SmoothStep(0.85, 1.0, across) * 0.5);
    return {c, inside};
}

// Eight slices: four cuts through the centre.
double CutShade(double x, double y, double r, double edge) {
    if (r > edge - 3.0) return 1.0;
    double nearest = 1e9;
    for (int i = 0; i < 4; ++i) {
        const double a = Pi / 8.0 + i * Pi / 4.0;
        nearest = std::fmin(nearest, std::fabs(-(x - CentreX) * Sin(a) + (y - CentreY) * Cos(a)));
    }
    return 0.55 + 0.45 * SmoothStep(0.5, 1.6, nearest);
}

}  // namespace

PngPicture MakePizza() {
    const std::vector<Disc> pepperoni = PepperoniSlices();
    const std::vector<Disc> olives = OliveRings(pepperoni);
    const auto shade = [&](double x, double y) -> Rgba {
        const double r = Hypot(x - CentreX, y - CentreY);
        const double edge = Radius + 7.0 * (Fbm(x * 0.02, y * 0.02, 11, 3) - 0.5);
        const Rgb cloth = Gingham(x, y);
        if (r > edge + 1.0) return {cloth, 1.0};
        Rgb c = r > edge - CrustWidth ? Crust(x, y, edge - r) : SauceAndCheese(x, y, r, edge);
        for (const Disc& p : pepperoni) {
            const double shadow = 1.0 - 0.35 * (1.0 - SmoothStep(p.radius - 2.0, p.radius + 4.0, Hypot(x - p.x - 3.0, y - p.y - 4.0)));
            c = c * shadow;
            const Rgba slice = Pepperoni(x, y, p);
            c = Mix(c, slice.rgb, slice.a);
        }
        for (const Disc& o : olives) {
            const Rgba ring = Olive(x, y, o);
            c = Mix(c, ring.rgb, ring.a);
        }
        for (const Leaf& leaf : Leaves) {
            const Rgba l = Basil(x, y, leaf);
            c = Mix(c, l.rgb, l.a);
        }
        c = c * CutShade(x, y, r, edge);
        return {Mix(cloth, c, 1.0 - SmoothStep(edge - 1.0, edge + 1.0, r)), 1.0};
    };
    PngPicture picture;
    picture.width = 512;
    picture.height = 512;
    picture.colorType = PNG_COLOR_TYPE_RGB;
    picture.samples = RenderToSamples(512, 512, 2, false, shade);
    return picture;
}
