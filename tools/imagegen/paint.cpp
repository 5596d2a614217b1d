#include "paint.h"

#include <algorithm>
#include <cmath>

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
double Mix(double a, double b, double t) { return a + (b - a) * t; }
Rgb Mix(Rgb a, Rgb b, double t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }

double SmoothStep(double edge0, double edge1, double x) {
    const double t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

Rgba Over(Rgba top, Rgba bottom) {
    if (top.a <= 0.0) return bottom;
    const double a = top.a + bottom.a * (1.0 - top.a);
    if (a <= 0.0) return {{0, 0, 0}, 0.0};
    const Rgb premultiplied = top.rgb * top.a + bottom.rgb * (bottom.a * (1.0 - top.a));
    return {premultiplied * (1.0 / a), a};
}

double Hash01(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8da6b343u ^ static_cast<uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return (h >> 8) * (1.0 / 16777216.0);
}

double ValueNoise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx);
    const int32_t iy = static_cast<int32_t>(fy);
    double tx = x - fx;
    double ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    const double top = Mix(Hash01(ix, iy, seed), Hash01(ix + 1, iy, seed), tx);
    const double bottom = Mix(Hash01(ix, iy + 1, seed), Hash01(ix + 1, iy + 1, seed), tx);
    return Mix(top, bottom, ty);
}

double Fbm(double x, double y, uint32_t seed, int octaves) {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u);
        total += weight;
        weight *= 0.5;
        // rotate a little between octaves so lattice lines do not stack up
        const double nx = 2.0 * (0.8 * x - 0.6 * y) + 17.3;
        y = 2.0 * (0.6 * x + 0.8 * y) + 5.9;
        x = nx;
    }
    return sum / total;
}

double Bayer4(int x, int y) {
    static const int matrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (matrix[y & 3][x & 3] + 0.5) / 16.0;
}

namespace {

uint16_t To8Bits(double value, int x, int y) {
    const double v = std::floor(Clamp01(value) * 255.0 + Bayer4(x, y));
    return static_cast<uint16_t>(v > 255.0 ? 255.0 : v);
}

}  // namespace

std::vector<uint16_t> RenderToSamples(int width, int height, int samples, bool withAlpha, const Shader& shade) {
    std::vector<uint16_t> out;
    out.reserve(static_cast<size_t>(width) * height * (withAlpha ? 4 : 3));
    const double stepX = ScreenWidth / width;
    const double stepY = ScreenHeight / height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb premultiplied = {0, 0, 0};
            double alpha = 0.0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const Rgba c = shade((x + (sx + 0.5) / samples) * stepX, (y + (sy + 0.5) / samples) * stepY);
                    premultiplied = premultiplied + c.rgb * c.a;
                    alpha += c.a;
                }
            }
            const double n = static_cast<double>(samples) * samples;
            alpha /= n;
            const Rgb rgb = alpha > 0.0 ? premultiplied * (1.0 / (n * alpha)) : Rgb{0, 0, 0};
            out.push_back(To8Bits(rgb.r, x, y));
            out.push_back(To8Bits(rgb.g, x, y));
            out.push_back(To8Bits(rgb.b, x, y));
            if (withAlpha) out.push_back(To8Bits(alpha, x, y));
        }
    }
    return out;
}

double Mask::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0;
    return values[static_cast<size_t>(y) * width + x];
}

double Mask::Sample(double sx, double sy) const {
    const double mx = sx * scale - 0.5;
    const double my = sy * scale - 0.5;
    const double fx = std::floor(mx);
    const double fy = std::floor(my);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double tx = mx - fx;
    const double ty = my - fy;
    return Mix(Mix(At(ix, iy), At(ix + 1, iy), tx), Mix(At(ix, iy + 1), At(ix + 1, iy + 1), tx), ty);
}

namespace {

// Reads and writes line `line` of a mask along rows or along columns.
struct LineView {
    Mask* mask;
    bool alongRows;
    int Lines() const { return alongRows ? mask->height : mask->width; }
    int Length() const { return alongRows ? mask->width : mask->height; }
    double& At(int line, int i) const {
        return mask->values[alongRows ? static_cast<size_t>(line) * mask->width + i
                                      : static_cast<size_t>(i) * mask->width + line];
    }
};

// Box average of width 2r+1 along each line, with a running sum; outside the mask is 0.
void BoxPass(Mask* mask, int radius, bool alongRows) {
    const LineView view{mask, alongRows};
    std::vector<double> line(view.Length());
    for (int l = 0; l < view.Lines(); ++l) {
        for (int i = 0; i < view.Length(); ++i) line[i] = view.At(l, i);
        double sum = 0.0;
        for (int i = 0; i < radius && i < view.Length(); ++i) sum += line[i];
        for (int i = 0; i < view.Length(); ++i) {
            if (i + radius < view.Length()) sum += line[i + radius];
            if (i - radius - 1 >= 0) sum -= line[i - radius - 1];
            view.At(l, i) = sum / (2 * radius + 1);
        }
    }
}

void MaxPass(Mask* mask, int radius, bool alongRows) {
    const LineView view{mask, alongRows};
    std::vector<double> line(view.Length());
    for (int l = 0; l < view.Lines(); ++l) {
        for (int i = 0; i < view.Length(); ++i) line[i] = view.At(l, i);
        for (int i = 0; i < view.Length(); ++i) {
            double m = 0.0;
            for (int j = std::max(0, i - radius); j <= std::min(view.Length() - 1, i + radius); ++j) m = std::max(m, line[j]);
            view.At(l, i) = m;
        }
    }
}

}  // namespace

Mask Blurred(const Mask& mask, int radius) {
    Mask out = mask;
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(&out, radius, true);
        BoxPass(&out, radius, false);
    }
    return out;
}

Mask Dilated(const Mask& mask, int radius) {
    Mask out = mask;
    MaxPass(&out, radius, true);
    MaxPass(&out, radius, false);
    return out;
}
