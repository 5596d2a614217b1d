// Writing PNG files with libpng at fixed settings, so the same picture always gives the same
// bytes. Used by the capture's contact sheet, the image generator and the tests that make their
// own PNGs.
#ifndef VESKOP_PNG_WRITE_H
#define VESKOP_PNG_WRITE_H

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
    uint32_t width = 0;  // pixels
    uint32_t height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;  // any of libpng's five PNG_COLOR_TYPE_* values
    int bitDepth = 8;                    // 1, 2, 4, 8 or 16, as the colour type allows
    bool interlaced = false;             // Adam7
    // One value per sample, 0 to 2^bitDepth - 1: rows top first, width * channels per row
    // (palette images: one index per pixel). The writer packs them.
    std::vector<uint16_t> samples;
    std::vector<png_color> palette;      // PLTE, palette images only
    std::vector<uint8_t> paletteAlpha;   // tRNS alphas of the first palette entries; empty: none
    bool hasTransparentColor = false;    // tRNS for grey and RGB images
    png_color_16 transparentColor = {};  // .gray, or .red/.green/.blue, in sample units
    double gamma = 0.0;                  // gAMA when above 0 (1/2.2 = the usual encoding gamma)
    std::string comment;                 // a tEXt "Comment" chunk before the image data, if any
};

// Number of samples per pixel for a PNG colour type.
int PngChannels(int colorType);

// A picture whose sample s of pixel (x, y) is sampleAt(x, y, s), rows top first.
template <typename SampleAt>
PngPicture MakePicture(uint32_t width, uint32_t height, int colorType, int bitDepth, SampleAt sampleAt) {
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.colorType = colorType;
    picture.bitDepth = bitDepth;
    const int channels = PngChannels(colorType);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int s = 0; s < channels; ++s)
                picture.samples.push_back(static_cast<uint16_t>(sampleAt(x, y, s)));
    return picture;
}

// The encoded file; empty when libpng refused the picture (its text went to standard error).
std::vector<uint8_t> EncodePng(const PngPicture& picture);

// Writes bytes to path; false when the file could not be written completely.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

#endif
