// The title logo: chrome capitals over a two-colour glow, with a fading mirror image below; and
// the program's icon, a chrome V in the same style on a tile of night sky over the floor grid.
#include <algorithm>
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

namespace {

// The icon is drawn in a square of IconUnits x IconUnits, whatever its size in pixels.
const double IconUnits = 256.0;
const double IconMaskScale = 3.0;   // mask pixels per icon unit
const double IconCapTop = 34.0;     // icon units from the top
const double IconCapHeight = 128.0;
const double IconHorizon = 182.0;
const double IconTileInset = 6.0;
const double IconTileRadius = 36.0;

// The glyph of the V, its ink centred across the square.
Mask IconLetter(Font& font) {
    Mask letter;
    letter.scale = IconMaskScale;
    letter.width = letter.height = static_cast<int>(IconUnits * IconMaskScale);
    letter.values.assign(static_cast<size_t>(letter.width) * letter.height, 0.0);
    const int probe = 200;
    const int size = static_cast<int>(probe * IconCapHeight * IconMaskScale / font.CapHeight(probe) + 0.5);
    const double baseline = (IconCapTop + IconCapHeight) * IconMaskScale;
    Mask measure = letter;
    font.Draw(&measure, "V", size, 0.0, baseline);
    int left = measure.width;
    int right = -1;
    for (int y = 0; y < measure.height; ++y) {
        for (int x = 0; x < measure.width; ++x) {
            if (measure.At(x, y) > 0.0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    font.Draw(&letter, "V", size, (letter.width - (left + right + 1)) / 2.0, baseline);
    return letter;
}

// Whether an icon point lies on the tile: a square with rounded corners.
bool OnTile(double u, double v) {
    const double low = IconTileInset + IconTileRadius;
    const double high = IconUnits - IconTileInset - IconTileRadius;
    const double dx = std::fmax(0.0, std::fmax(low - u, u - high));
    const double dy = std::fmax(0.0, std::fmax(low - v, v - high));
    return dx * dx + dy * dy <= IconTileRadius * IconTileRadius;
}

}  // namespace

PngPicture MakeIcon(Font& boldSerif, int size) {
    const Mask fill = IconLetter(boldSerif);
    const Mask outline = Dilated(fill, 9);
    const Mask glow = Blurred(Dilated(fill, 10), 30);
    const double baseline = IconCapTop + IconCapHeight;
    // The title's floor and chrome, seen at half their size: title screen x and y of an icon point.
    const double zoom = 2.0;
    const double floorHorizon = 250.0;
    const auto titleX = [&](double u) { return ScreenWidth / 2.0 + (u - IconUnits / 2.0) * zoom; };
    const auto shade = [&](double x, double y) {
        const double u = x * IconUnits / ScreenWidth;
        const double v = y * IconUnits / ScreenHeight;
        if (!OnTile(u, v)) return Rgba{Rgb{0.0, 0.0, 0.0}, 0.0};
        const double sky = Clamp01(v / IconHorizon);
        Rgba out = {Mix(Rgb{0.03, 0.02, 0.12}, Rgb{0.30, 0.06, 0.36}, Pow(sky, 2.2)), 1.0};
        out = Over(Floor(titleX(u), floorHorizon + (v - IconHorizon) * zoom, floorHorizon), out);
        const Rgb glowColour = Mix(Rgb{0.1, 0.75, 1.0}, Rgb{1.0, 0.2, 0.75}, Clamp01(u / IconUnits));
        out = Over({glowColour, 0.85 * Clamp01(glow.Sample(u, v) * 1.6)}, out);
        if (v > baseline) {
            const double below = (v - baseline) / (0.6 * IconCapHeight);
            const double mirrorV = 2.0 * baseline - v;
            const double fade = 0.6 * Clamp01(1.0 - below) * Clamp01(1.0 - below);
            const double cover = fade * fill.Sample(u, mirrorV + 1.0);
            if (cover > 0.0) out = Over({Chrome((baseline - mirrorV) / IconCapHeight, titleX(u)) * 0.7, cover}, out);
        }
        out = Over({Rgb{0.04, 0.02, 0.12}, outline.Sample(u, v)}, out);
        const double letter = fill.Sample(u, v);
        if (letter > 0.0) out = Over({Chrome((baseline - v) / IconCapHeight, titleX(u)), letter}, out);
        out = Over({Rgb{1.0, 1.0, 1.0}, Clamp01(Sparkle(u, v, 58.0, IconCapTop + 8.0, 9.0))}, out);
        return out;
    };
    PngPicture picture;
    picture.width = picture.height = static_cast<uint32_t>(size);
    picture.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    picture.samples = RenderToSamples(size, size, size < 128 ? 8 : 3, true, shade);
    return picture;
}
