// The texels of a texture's levels, made from a decoded image on the CPU: nearest-sample
// rescaling to the texture's size, and each mipmap level from the one above. The half of the
// texture call that knows neither libpng nor OpenGL.
#ifndef VESKOP_TEXTURE_LEVELS_H
#define VESKOP_TEXTURE_LEVELS_H

// Rescales src (srcWidth x srcHeight texels of `channels` bytes, rows packed) into dst
// (dstWidth x dstHeight): destination texel x takes source texel floor(x * srcWidth / dstWidth),
// and the same for rows. channels is 3 or 4.
void ResampleNearest(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                     int dstWidth, int dstHeight, int channels);

// Makes the next mipmap level in place: both sides halve (a side of 1 stays 1), and each texel
// becomes the truncated average of the 2x2 texels beneath it (along a side of 1, of the 2 texels
// there). *width and *height become the new level's. channels is 3 or 4.
void HalveInPlace(unsigned char* texels, int* width, int* height, int channels);

#endif
