// The letter sheet: one character per 64x64 cell, on a common baseline in each row.
#include <cmath>
#include <string>

#include "pictures.h"

namespace {

const char* const Characters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!?";
const int Cell = 64;    // pixels
const int Columns = 8;  // and 8 rows
const int GlyphSize = 44;     // em height in pixels
const int BaselineInCell = 46;  // from the cell's top; leaves room for descenders

}  // namespace

PngPicture MakeAlphabetSheet(Font& serif) {
    Mask sheet;
    sheet.width = Cell * Columns;
    sheet.height = Cell * Columns;
    sheet.values.assign(static_cast<size_t>(sheet.width) * sheet.height, 0.0);
    const std::string characters = Characters;
    for (size_t i = 0; i < characters.size(); ++i) {
        const std::string ch(1, characters[i]);
        const int column = static_cast<int>(i) % Columns;
        const int row = static_cast<int>(i) / Columns;
        const double x = column * Cell + (Cell - serif.TextWidth(ch, GlyphSize)) / 2.0;
        serif.Draw(&sheet, ch, GlyphSize, std::floor(x), row * Cell + BaselineInCell);
    }
    PngPicture picture;
    picture.width = static_cast<uint32_t>(sheet.width);
    picture.height = static_cast<uint32_t>(sheet.height);
    picture.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    for (double coverage : sheet.values) {
        picture.samples.push_back(255);  // white everywhere, so filtered edges keep no dark fringe
        picture.samples.push_back(static_cast<uint16_t>(std::lround(Clamp01(coverage) * 255.0)));
    }
    return picture;
}
