// Reading a PNG file into 8-bit RGB or RGBA pixels, the half of the texture call that knows
// libpng and nothing of OpenGL.
#ifndef VESKOP_PNG_DECODE_H
#define VESKOP_PNG_DECODE_H

#include <stdint.h>

struct PngImage {
    unsigned char* pixels;  // rows top first, width * channels bytes each, no padding;
                            // malloc'd, owned by the caller (free())
    uint32_t width;         // the file's own size in pixels
    uint32_t height;
    int channels;           // 3 (RGB) or 4 (RGBA: the file had an alpha channel)
    int bitDepth;           // bits per sample stated in the file's header
};

// Bytes that start every PNG file.
extern const unsigned char PngSignature[8];

// Reads the whole file: checks the signature itself (a file without it fails before libpng is
// started, silently), then decodes with libpng's default error and warning handlers, which write
// to standard error. screenGamma (0.001 to 20000) goes to the decoder with the file's own gamma
// (1/2.2 when the file has no gAMA chunk). Files whose power-of-two texture would exceed PNG_MAX_TEXELS are
// refused after the header. Returns 1 and fills image, or 0 with nothing allocated and image
// untouched; the file is closed either way, and a failing close is a failure too.
int ReadPngFile(const char* filename, double screenGamma, PngImage* image);

#endif
