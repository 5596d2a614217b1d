#include "png_write.h"

#include <cstdio>

namespace {

// Packs one row of samples into PNG's byte layout (big-endian 16-bit, high bits first below 8).
void PackRow(const uint16_t* samples, size_t count, int bitDepth, png_bytep out) {
    if (bitDepth == 16) {
        for (size_t i = 0; i < count; ++i) {
            out[2 * i] = static_cast<png_byte>(samples[i] >> 8);
            out[2 * i + 1] = static_cast<png_byte>(samples[i] & 0xff);
        }
        return;
    }
    if (bitDepth == 8) {
        for (size_t i = 0; i < count; ++i) out[i] = static_cast<png_byte>(samples[i]);
        return;
    }
    const int perByte = 8 / bitDepth;
    const unsigned mask = (1u << bitDepth) - 1;
    for (size_t i = 0; i < count; ++i) {
        const int shift = 8 - bitDepth * (1 + static_cast<int>(i % perByte));
        if (i % perByte == 0) out[i / perByte] = 0;
        out[i / perByte] |= static_cast<png_byte>((samples[i] & mask) << shift);
    }
}

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// What libpng's error path must release, kept outside the frame that calls setjmp.
struct EncodeJob {
    const PngPicture* picture;
    png_structp png;
    png_infop info;
    std::vector<png_byte>* packed;  // all rows, packed
    std::vector<png_bytep>* rows;
};

// Fixed settings: no time stamp, maximum compression, libpng's default filter choice.
void EncodeImage(EncodeJob* job) {
    const PngPicture& p = *job->picture;
    png_structp png = job->png;
    png_infop info = job->info;
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, p.width, p.height, p.bitDepth, p.colorType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (p.gamma > 0.0) png_set_gAMA(png, info, p.gamma);
    if (!p.palette.empty())
        png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!p.paletteAlpha.empty())
        png_set_tRNS(png, info, p.paletteAlpha.data(), static_cast<int>(p.paletteAlpha.size()), nullptr);
    if (p.hasTransparentColor) png_set_tRNS(png, info, nullptr, 0, &p.transparentColor);
    png_text text = {};
    if (!p.comment.empty()) {
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = const_cast<char*>("Comment");
        text.text = const_cast<char*>(p.comment.c_str());
        png_set_text(png, info, &text, 1);
    }

    const size_t samplesPerRow = static_cast<size_t>(p.width) * PngChannels(p.colorType);
    const size_t rowBytes = (samplesPerRow * p.bitDepth + 7) / 8;
    if (p.samples.size() != samplesPerRow * p.height) png_error(png, "sample count does not match the size");
    job->packed->assign(rowBytes * p.height, 0);
    job->rows->resize(p.height);
    for (uint32_t y = 0; y < p.height; ++y) {
        (*job->rows)[y] = job->packed->data() + rowBytes * y;
        PackRow(p.samples.data() + samplesPerRow * y, samplesPerRow, p.bitDepth, (*job->rows)[y]);
    }
    png_write_info(png, info);
    png_write_image(png, job->rows->data());
    png_write_end(png, nullptr);
}

int EncodeGuarded(EncodeJob* job) {
    if (setjmp(png_jmpbuf(job->png)) != 0) return 0;
    EncodeImage(job);
    return 1;
}

}  // namespace

int PngChannels(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_RGB: return 3;
        case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
        case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
        default: return 1;  // grey, palette
    }
}

std::vector<uint8_t> EncodePng(const PngPicture& picture) {
    std::vector<uint8_t> bytes;
    std::vector<png_byte> packed;
    std::vector<png_bytep> rows;
    EncodeJob job = {&picture, nullptr, nullptr, &packed, &rows};
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (job.png == nullptr) return {};
    job.info = png_create_info_struct(job.png);
    png_set_write_fn(job.png, &bytes, AppendToVector, FlushNothing);
    const bool ok = job.info != nullptr && EncodeGuarded(&job);
    png_destroy_write_struct(&job.png, &job.info);
    if (!ok) bytes.clear();
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
