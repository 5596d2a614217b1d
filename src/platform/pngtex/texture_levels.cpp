// Both loops are written for a fixed number of channels, so that each texel is a few byte moves
// and adds instead of a call to memcpy or a loop of unknown length: a 640x480 image rescaled to
// 1024x512 and its mipmap chain then cost less than decoding the file.
#include "texture_levels.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace {

// Steps through floor(i * from / to) for i = 0, 1, 2, ... without a division per step.
struct NearestStep {
    int whole;      // from / to
    int remainder;  // from % to
    int to;
    int index = 0;
    int carry = 0;
    NearestStep(int from, int to_) : whole(from / to_), remainder(from % to_), to(to_) {}
    void Next() {
        index += whole;
        carry += remainder;
        if (carry >= to) {
            carry -= to;
            ++index;
        }
    }
};

template <int Channels>
void ResampleRow(const unsigned char* srcRow, int srcWidth, unsigned char* dstRow, int dstWidth) {
    NearestStep column(srcWidth, dstWidth);
    for (int x = 0; x < dstWidth; ++x, column.Next()) {
        memcpy(dstRow + (size_t)x * Channels, srcRow + (size_t)column.index * Channels, Channels);
    }
}

template <int Channels>
void Resample(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
              int dstWidth, int dstHeight) {
    const size_t srcStride = (size_t)srcWidth * Channels;
    const size_t dstStride = (size_t)dstWidth * Channels;
    NearestStep row(srcHeight, dstHeight);
    int previous = -1;
    for (int y = 0; y < dstHeight; ++y, row.Next()) {
        unsigned char* dstRow = dst + (size_t)y * dstStride;
        if (row.index == previous) {
            memcpy(dstRow, dstRow - dstStride, dstStride);  // the same source row again
        } else {
            ResampleRow<Channels>(src + (size_t)row.index * srcStride, srcWidth, dstRow, dstWidth);
        }
        previous = row.index;
    }
}

unsigned char Mean(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (unsigned char)((a + b + c + d) >> 2);  // truncated
}

// Both sides above 1: each new texel is the truncated average of a 2x2 block. Texel i of the new level reads only
// texels at i or beyond of the old one, so writing in order never overwrites one still to be read.
template <int Channels>
void HalveBlocks(unsigned char* texels, int w, int h) {
    const size_t stride = (size_t)w * Channels;
    unsigned char* out = texels;
    for (int y = 0; y < h / 2; ++y) {
        const unsigned char* a = texels + 2 * (size_t)y * stride;  // the top row of the blocks
        const unsigned char* c = a + stride;                       // and the bottom row
        for (int x = 0; x < w / 2; ++x, a += 2 * Channels, c += 2 * Channels, out += Channels) {
            // Every byte is read before any is written: out may be the block's first texel.
            const unsigned sum0 = a[0] + a[Channels] + c[0] + c[Channels];
            const unsigned sum1 = a[1] + a[Channels + 1] + c[1] + c[Channels + 1];
            const unsigned sum2 = a[2] + a[Channels + 2] + c[2] + c[Channels + 2];
            const unsigned sum3 = Channels == 4 ? a[3] + a[Channels + 3] + c[3] + c[Channels + 3] : 0;
            out[0] = (unsigned char)(sum0 >> 2);  // truncated
            out[1] = (unsigned char)(sum1 >> 2);
            out[2] = (unsigned char)(sum2 >> 2);
            if (Channels == 4) out[3] = (unsigned char)(sum3 >> 2);
        }
    }
}

// One side of 1: each sample is taken twice, which gives the truncated average of the 2 texels
// along the other side. step is the bytes between those two.
void HalveLine(unsigned char* texels, int count, size_t step, int channels) {
    for (int i = 0; i < count; ++i) {
        const unsigned char* a = texels + (size_t)i * 2 * step;
        for (int k = 0; k < channels; ++k) {
            texels[(size_t)i * channels + k] = Mean(a[k], a[k], a[step + k], a[step + k]);
        }
    }
}

}  // namespace

void ResampleNearest(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                     int dstWidth, int dstHeight, int channels) {
    if (channels == 4) {
        Resample<4>(src, srcWidth, srcHeight, dst, dstWidth, dstHeight);
    } else {
        Resample<3>(src, srcWidth, srcHeight, dst, dstWidth, dstHeight);
    }
}

void HalveInPlace(unsigned char* texels, int* width, int* height, int channels) {
    const int w = *width;
    const int h = *height;
    if (w > 1 && h > 1) {
        if (channels == 4) {
            HalveBlocks<4>(texels, w, h);
        } else {
            HalveBlocks<3>(texels, w, h);
        }
    } else if (w > 1) {
        HalveLine(texels, w / 2, (size_t)channels, channels);
    } else if (h > 1) {
        HalveLine(texels, h / 2, (size_t)channels, channels);  // a column of 1 is packed rows
    }
    *width = w > 1 ? w / 2 : 1;
    *height = h > 1 ? h / 2 : 1;
}
