// Small painting kit for the generated pictures: colours, noise, supersampled rendering of a
// shading function given in screen space (640x480, y down), and conversion to PNG samples.
//
// Everything here is plain double arithmetic and integer hashing, so a picture comes out the same
// on every run and every machine with the same compiler and C library.
#ifndef VESKOP_IMAGEGEN_PAINT_H
#define VESKOP_IMAGEGEN_PAINT_H

#include <cstdint>
#include <functional>
#include <vector>

#include "png_write.h"
#include "steady_math.h"

// The screen the pictures are made for: they are stretched over the whole 4:3 viewport.
constexpr double ScreenWidth = 640.0;
constexpr double ScreenHeight = 480.0;

struct Rgb {
    double r, g, b;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

double Clamp01(double v);
inline double Square(double v) { return v * v; }
double Mix(double a, double b, double t);
Rgb Mix(Rgb a, Rgb b, double t);
double SmoothStep(double edge0, double edge1, double x);

// Colour with straight (not premultiplied) alpha.
struct Rgba {
    Rgb rgb;
    double a;
};

// Paints top over bottom ("over" with straight alpha).
Rgba Over(Rgba top, Rgba bottom);

// Integer hash of a lattice point and a seed, in [0, 1).
double Hash01(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise in [0, 1], lattice spacing 1.
double ValueNoise(double x, double y, uint32_t seed);
// Sum of octaves of value noise, in [0, 1].
double Fbm(double x, double y, uint32_t seed, int octaves);

// Ordered-dither threshold of a pixel, in [0, 1).
double Bayer4(int x, int y);

// A shading function: the colour at screen point (x, y), x in [0, 640), y in [0, 480) from the top.
using Shader = std::function<Rgba(double x, double y)>;

// Renders shade over a width x height picture stretched to the screen, averaging samples x
// samples points per pixel, and gives one sample per channel (RGB, or RGBA when withAlpha),
// rows top first, in 8 bits with a light ordered dither against banding.
std::vector<uint16_t> RenderToSamples(int width, int height, int samples, bool withAlpha, const Shader& shade);

// A single-channel image in screen space at some scale (for glyph masks and their blurs).
struct Mask {
    int width = 0;
    int height = 0;
    double scale = 1.0;  // mask pixels per screen pixel
    std::vector<double> values;

    double At(int x, int y) const;
    // Bilinear sample at a screen point.
    double Sample(double sx, double sy) const;
};

// Separable box blurs, three passes (close to a Gaussian), of radius r mask pixels.
Mask Blurred(const Mask& mask, int radius);
// Grows the mask by radius mask pixels (a square max filter).
Mask Dilated(const Mask& mask, int radius);

#endif
