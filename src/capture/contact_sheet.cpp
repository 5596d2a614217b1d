#include "capture/contact_sheet.h"

#include "png_write.h"

#include <algorithm>

namespace {

const int TargetTileWidth = 160;   // pixels
const int Gap = 4;                 // pixels between tiles and around them
const std::uint8_t Background = 40;

// Digits and the colon, 5 x 7 pixels, one row per byte, the leftmost pixel in bit 4.
const std::uint8_t DigitGlyphs[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};
const std::uint8_t ColonGlyph[7] = {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00};
const int GlyphWidth = 5, GlyphHeight = 7, GlyphAdvance = 6;

void SetPixel(ContactSheet* sheet, int x, int y, std::uint8_t value) {
    if (x < 0 || y < 0 || x >= sheet->width || y >= sheet->height) return;
    std::uint8_t* pixel = &sheet->rgb[(static_cast<size_t>(y) * sheet->width + x) * 3];
    pixel[0] = pixel[1] = pixel[2] = value;
}

// White text on a black box, `size` sheet pixels to a font pixel, its box's corner at (x, y).
void DrawStamp(ContactSheet* sheet, int x, int y, const std::string& text, int size) {
    int boxWidth = (static_cast<int>(text.size()) * GlyphAdvance + 1) * size;
    int boxHeight = (GlyphHeight + 2) * size;
    for (int row = 0; row < boxHeight; row++) {
        for (int column = 0; column < boxWidth; column++) SetPixel(sheet, x + column, y + row, 0);
    }
    for (size_t i = 0; i < text.size(); i++) {
        const std::uint8_t* glyph = text[i] == ':' ? ColonGlyph : DigitGlyphs[text[i] - '0'];
        int left = x + (static_cast<int>(i) * GlyphAdvance + 1) * size;
        for (int row = 0; row < GlyphHeight; row++) {
            for (int column = 0; column < GlyphWidth; column++) {
                if ((glyph[row] & (0x10 >> column)) == 0) continue;
                for (int dy = 0; dy < size; dy++) {
                    for (int dx = 0; dx < size; dx++) {
                        SetPixel(sheet, left + column * size + dx, y + (row + 1) * size + dy, 255);
                    }
                }
            }
        }
    }
}

std::string Stamp(int seconds) {
    std::string text = std::to_string(seconds / 60) + ":";
    text += static_cast<char>('0' + seconds % 60 / 10);
    text += static_cast<char>('0' + seconds % 10);
    return text;
}

}  // namespace

void StartContactSheet(ContactSheet* sheet, int frameWidth, int frameHeight, int tiles,
                       int columns) {
    sheet->columns = columns;
    sheet->frameWidth = frameWidth;
    sheet->rows = (tiles + columns - 1) / columns;
    sheet->scale = std::max(1, frameWidth / TargetTileWidth);
    sheet->tileWidth = frameWidth / sheet->scale;
    sheet->tileHeight = frameHeight / sheet->scale;
    sheet->width = Gap + columns * (sheet->tileWidth + Gap);
    sheet->height = Gap + sheet->rows * (sheet->tileHeight + Gap);
    sheet->rgb.assign(static_cast<size_t>(sheet->width) * sheet->height * 3, Background);
}

void AddSheetTile(ContactSheet* sheet, int index, const std::uint8_t* rgba, int seconds) {
    if (index < 0 || index >= sheet->columns * sheet->rows) return;
    const int left = Gap + index % sheet->columns * (sheet->tileWidth + Gap);
    const int top = Gap + index / sheet->columns * (sheet->tileHeight + Gap);
    const int scale = sheet->scale;
    // The frame's own width, which is more than tileWidth * scale where scale does not divide it.
    const size_t frameWidth = static_cast<size_t>(sheet->frameWidth);
    // Each tile pixel is the mean of the scale x scale frame pixels beneath it; the frame's last
    // columns and rows that make no whole tile pixel are left out.
    for (int y = 0; y < sheet->tileHeight; y++) {
        for (int x = 0; x < sheet->tileWidth; x++) {
            unsigned sums[3] = {0, 0, 0};
            for (int dy = 0; dy < scale; dy++) {
                const std::uint8_t* from =
                    rgba + ((static_cast<size_t>(y) * scale + dy) * frameWidth + x * scale) * 4;
                for (int dx = 0; dx < scale; dx++, from += 4) {
                    for (int c = 0; c < 3; c++) sums[c] += from[c];
                }
            }
            std::uint8_t* to =
                &sheet->rgb[(static_cast<size_t>(top + y) * sheet->width + left + x) * 3];
            for (int c = 0; c < 3; c++) {
                to[c] = static_cast<std::uint8_t>((sums[c] + scale * scale / 2) / (scale * scale));
            }
        }
    }
    int size = sheet->tileHeight >= 100 ? 2 : 1;
    DrawStamp(sheet, left, top + sheet->tileHeight - (GlyphHeight + 2) * size, Stamp(seconds), size);
}

bool WriteContactSheet(const ContactSheet& sheet, const std::string& path) {
    PngPicture picture;
    picture.width = static_cast<uint32_t>(sheet.width);
    picture.height = static_cast<uint32_t>(sheet.height);
    picture.colorType = PNG_COLOR_TYPE_RGB;
    picture.samples.assign(sheet.rgb.begin(), sheet.rgb.end());
    std::vector<uint8_t> bytes = EncodePng(picture);
    return !bytes.empty() && WriteFileBytes(path, bytes);
}
