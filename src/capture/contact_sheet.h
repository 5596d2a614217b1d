// A contact sheet: one frame for each second of the show, scaled down, in a grid, each with its
// time stamp (m:ss) in its lower left corner.
#ifndef VESKOP_CAPTURE_CONTACT_SHEET_H
#define VESKOP_CAPTURE_CONTACT_SHEET_H

#include <cstdint>
#include <string>
#include <vector>

struct ContactSheet {
    int columns = 0, rows = 0;
    int frameWidth = 0;              // of the frames, pixels: the rows' stride
    int scale = 1;                   // a tile is a frame shrunk this many times
    int tileWidth = 0, tileHeight = 0;  // pixels
    int width = 0, height = 0;       // of the whole sheet, pixels
    std::vector<std::uint8_t> rgb;   // the sheet, top row first
};

// An empty sheet for `tiles` frames of frameWidth x frameHeight pixels, `columns` to a row.
// Tiles are about 160 pixels wide (frames narrower than that stay as they are).
void StartContactSheet(ContactSheet* sheet, int frameWidth, int frameHeight, int tiles,
                       int columns);
// Puts a frame (RGBA, top row first) in tile `index` (0-based, row by row), stamped `seconds`.
void AddSheetTile(ContactSheet* sheet, int index, const std::uint8_t* rgba, int seconds);
// False when the PNG cannot be written.
bool WriteContactSheet(const ContactSheet& sheet, const std::string& path);

#endif
