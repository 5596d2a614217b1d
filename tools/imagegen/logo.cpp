// The title logo: chrome capitals over a two-colour glow, with a fading mirror image below.
#include <cmath>

#include "pictures.h"

namespace {

const char* const Title = "VESKOP";
const double MaskScale = 2.0;  // mask pixels per screen pixel
const double TitleWidth = 560.0;  // screen pixels
const double TitleMiddle = 212.0;  // screen y of the middle of the capitals

struct LogoLayers {
    Mask fill;
    Mask outline;
    Mask glow;
    double baseline;  // screen y
    double capHeight;  // screen pixels
    double left;
};

LogoLayers BuildLayers(Font& font) {
    LogoLayers layers;
    Mask text;
    text.scale = MaskScale;
    text.width = static_cast<int>(ScreenWidth * MaskScale);
    text.height = static_cast<int>(ScreenHeight * MaskScale);
    text.values.assign(static_cast<size_t>(text.width) * text.height, 0.0);
    const int probe = 200;
    const int size = static_cast<int>(probe * TitleWidth * MaskScale / font.TextWidth(Title, probe) + 0.5);
    const double width = font.TextWidth(Title, size);
    layers.capHeight = font.CapHeight(size) / MaskScale;
    layers.baseline = TitleMiddle + layers.capHeight / 2.0;
    layers.left = (ScreenWidth - width / MaskScale) / 2.0;
    font.Draw(&text, Title, size, layers.left * MaskScale, layers.baseline * MaskScale);
    layers.fill = text;
    layers.outline = Dilated(text, 5);
    layers.glow = Blurred(Dilated(text, 6), 16);
    return layers;
}

// Chrome: a bright sky above a dark horizon line, warm ground light below it. t runs from 0 at
// the baseline to 1 at the top of the capitals.
Rgb Chrome(double t, double x) {
    t = Clamp01(t);
    const double horizon = 0.47 + 0.03 * Sin(x * 0.02);
    Rgb c;
    if (t > horizon) {
        const double u = (t - horizon) / (1.0 - horizon);
        c = Mix(Rgb{0.30, 0.50, 0.95}, Rgb{1.0, 1.0, 1.0}, Pow(u, 0.7));
    } else {
        const double u = t / horizon;
        c = Mix(Rgb{1.0, 0.72, 0.42}, Rgb{0.22, 0.08, 0.22}, Pow(u, 1.6));
    }
    const double sheen = Exp(-Square((x * 0.5 - t * 180.0 - 60.0) / 14.0));
    return Mix(c, Rgb{1.0, 1.0, 1.0}, 0.55 * sheen);
}

// A four-pointed sparkle centred at (cx, cy); nothing beyond 8 sizes away.
double Sparkle(double x, double y, double cx, double cy, double size) {
    const double dx = std::fabs(x - cx) / size;
    const double dy = std::fabs(y - cy) / size;
    if (dx > 8.0 || dy > 8.0 || (dx > 0.6 && dy > 0.6)) return 0.0;
    const double arms = Exp(-dx * 1.2) * Exp(-dy * 14.0) + Exp(-dy * 1.2) * Exp(-dx * 14.0);
    const double core = Exp(-(dx * dx + dy * dy) * 6.0);
    return Clamp01(arms * 0.9 + core);
}

// A glowing floor grid running to a horizon below the title, in the style of the chrome.
Rgba Floor(double x, double y, double horizon) {
    const double centre = ScreenWidth / 2.0;
    const double across = Clamp01(std::fabs(x - centre) / centre);
    const double line = Exp(-Square((y - horizon) / 1.4)) + 0.35 * Exp(-std::fabs(y - horizon) / 10.0);
    Rgba out = {Rgb{1.0, 0.55, 0.85}, Clamp01(line * (1.0 - across * across))};
    if (y <= horizon + 0.5) return out;
    const double height = 70.0;  // screen pixels below the horizon of a row one unit deep
    const double depth = height / (y - horizon);
    const double z = depth * 2.0 + 0.35;
    const double worldX = (x - centre) * depth / 40.0;
    // distance to the nearest grid line, in screen pixels
    const double rows = std::fabs(z - std::floor(z + 0.5)) / (2.0 * height / Square(y - horizon));
    const double columns = std::fabs(worldX - std::floor(worldX + 0.5)) / (depth / 40.0);
    const double grid = 1.0 - SmoothStep(0.3, 1.3, std::fmin(rows, columns));
    // gone by the bottom row: the texture repeats, and filtering would carry it to the top
    const double fade = SmoothStep(0.0, 120.0, y - horizon) * (1.0 - 0.6 * across) * (1.0 - SmoothStep(468.0, 478.0, y));
    return Over({Rgb{0.95, 0.25, 0.85}, grid * fade}, out);
}

}  // namespace

PngPicture MakeTitleLogo(Font& boldSerif) {
    const LogoLayers layers = BuildLayers(boldSerif);
    const double capTop = layers.baseline - layers.capHeight;
    const auto shade = [&](double x, double y) {
        const double across = Clamp01((x - layers.left) / TitleWidth);
        const Rgb glowColour = Mix(Rgb{0.1, 0.75, 1.0}, Rgb{1.0, 0.2, 0.75}, across);
        Rgba out = Floor(x, y, layers.baseline + 62.0);
        out = Over({glowColour, 0.85 * Clamp01(layers.glow.Sample(x, y) * 1.6)}, out);

        // the mirror image fades out over 60% of the letter height below the baseline
        if (y > layers.baseline) {
            const double below = (y - layers.baseline) / (0.6 * layers.capHeight);
            const double mirrorY = 2.0 * layers.baseline - y;
            const double fade = 0.6 * Clamp01(1.0 - below) * Clamp01(1.0 - below);
            const double cover = fade * layers.fill.Sample(x, mirrorY + 1.5);
            if (cover > 0.0) out = Over({Chrome((layers.baseline - mirrorY) / layers.capHeight, x) * 0.7, cover}, out);
        }
        out = Over({Rgb{0.04, 0.02, 0.12}, layers.outline.Sample(x, y)}, out);
        const double fill = layers.fill.Sample(x, y);
        if (fill > 0.0) out = Over({Chrome((layers.baseline - y) / layers.capHeight, x), fill}, out);
        const double sparkle = Sparkle(x, y, layers.left + 18.0, capTop + 6.0, 26.0) +
                               Sparkle(x, y, layers.left + TitleWidth - 30.0, capTop + 30.0, 18.0);
        out = Over({Rgb{1.0, 1.0, 1.0}, Clamp01(sparkle)}, out);
        return out;
    };
    PngPicture picture;
    picture.width = 1024;
    picture.height = 512;
    picture.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    picture.samples = RenderToSamples(1024, 512, 2, true, shade);
    return picture;
}
