// Writes the fuzzers' seed corpora: small PNGs of every colour type and bit depth, interlaced,
// with transparency, gamma and text, and tiny XM modules. Any earlier content of the two
// folders is removed first (the fuzzers add what they find to them).
//
//   fuzz_seeds PNG_FOLDER MODULE_FOLDER
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "png_write.h"
#include "tiny_xm.h"

namespace {

PngPicture Picture(uint32_t width, uint32_t height, int colorType, int bitDepth) {
    const uint32_t channels = uint32_t(PngChannels(colorType));
    const uint32_t levels = 1u << bitDepth;
    PngPicture picture = MakePicture(width, height, colorType, bitDepth, [&](uint32_t x, uint32_t y, int s) {
        return (((y * width + x) * channels + uint32_t(s)) * 37 + 11) % levels;
    });
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint32_t i = 0; i < levels; i++)
            picture.palette.push_back({png_byte(i * 9), png_byte(255 - i), png_byte(i * 5)});
    }
    return picture;
}

std::vector<PngPicture> SeedPictures() {
    std::vector<PngPicture> pictures;
    const struct {
        int colorType;
        std::vector<int> depths;
    } kinds[] = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_RGB, {8, 16}},
        {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},  {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
        {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
    };
    for (const auto& kind : kinds)
        for (int depth : kind.depths) pictures.push_back(Picture(5, 3, kind.colorType, depth));

    PngPicture interlaced = Picture(9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 8);
    interlaced.interlaced = true;
    interlaced.comment = "seed";
    pictures.push_back(interlaced);
    PngPicture paletteAlpha = Picture(4, 4, PNG_COLOR_TYPE_PALETTE, 2);
    paletteAlpha.paletteAlpha = {0, 128};
    pictures.push_back(paletteAlpha);
    PngPicture greyKey = Picture(3, 5, PNG_COLOR_TYPE_GRAY, 8);
    greyKey.hasTransparentColor = true;
    greyKey.transparentColor.gray = 11;
    pictures.push_back(greyKey);
    PngPicture gamma = Picture(6, 2, PNG_COLOR_TYPE_RGB, 8);
    gamma.gamma = 1.0 / 1.8;
    pictures.push_back(gamma);
    pictures.push_back(Picture(1, 1, PNG_COLOR_TYPE_RGB, 8));
    pictures.push_back(Picture(17, 1, PNG_COLOR_TYPE_GRAY, 8));
    pictures.push_back(Picture(1, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8));
    return pictures;
}

std::vector<TinyXmSong> SeedSongs() {
    TinyXmSong plain;
    TinyXmSong everyRow;
    everyRow.noteEveryRow = true;
    TinyXmSong burst;
    burst.sample = TinySample::ShortBurst;
    burst.rows = 20;
    burst.speed = 3;
    TinyXmSong twoPatterns;
    twoPatterns.orders = {0, 1, 0};
    twoPatterns.restart = 1;
    return {plain, everyRow, burst, twoPatterns};
}

bool Refill(const std::string& folder) {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return std::filesystem::create_directories(folder, error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds PNG_FOLDER MODULE_FOLDER\n");
        return 2;
    }
    if (!Refill(argv[1]) || !Refill(argv[2])) {
        std::fprintf(stderr, "fuzz_seeds: cannot make the folders\n");
        return 1;
    }
    int written = 0;
    for (const PngPicture& picture : SeedPictures()) {
        const std::vector<uint8_t> bytes = EncodePng(picture);
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(written++) + ".png";
        if (bytes.empty() || !WriteFileBytes(path, bytes)) return 1;
    }
    for (const TinyXmSong& song : SeedSongs()) {
        const std::string path = std::string(argv[2]) + "/seed" + std::to_string(written++) + ".xm";
        if (!WriteTestFile(path, BuildTinyXm(song))) return 1;
    }
    return 0;
}
