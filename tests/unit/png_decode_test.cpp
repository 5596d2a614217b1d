// Decoding PNG files into 8-bit RGB(A): every colour type and bit depth, interlacing, tRNS,
// gamma, and hostile files (truncated, bad CRCs, bad chunks, absurd sizes).
#include "png_decode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "glpng.h"
#include "fifo_swap.h"
#include "png_test_files.h"

namespace {

const double NeutralScreenGamma = 2.2;  // against the default file gamma 1/2.2: no change

struct Decoded {
    int ok = 0;
    PngImage image = {nullptr, 0, 0, 0, 0};
    std::string errors;  // what was written to standard error
    std::vector<uint8_t> Pixels() const {
        return ok ? std::vector<uint8_t>(image.pixels, image.pixels + size_t{image.width} * image.height *
                                                                           image.channels)
                  : std::vector<uint8_t>();
    }
    ~Decoded() { std::free(image.pixels); }
};

void Decode(const std::string& path, Decoded* out, double screenGamma = NeutralScreenGamma) {
    testing::internal::CaptureStderr();
    out->ok = ReadPngFile(path.c_str(), screenGamma, &out->image);
    out->errors = testing::internal::GetCapturedStderr();
}

// A sample of depth bits as the decoder gives it in 8 bits. 16-bit test samples are multiples
// of 257, which scale to 8 bits exactly.
int To8Bits(int value, int depth) { return depth == 16 ? value / 257 : value * 255 / ((1 << depth) - 1); }

int TestSample(uint32_t x, uint32_t y, int s, int depth) {
    const int value = static_cast<int>(x * 7 + y * 13 + static_cast<uint32_t>(s) * 5);
    return depth == 16 ? (value % 256) * 257 : value % (1 << depth);
}

std::vector<png_color> TestPalette(int entries) {
    std::vector<png_color> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({static_cast<png_byte>(i * 3), static_cast<png_byte>(255 - i), static_cast<png_byte>(i ^ 0x5a)});
    return palette;
}

// What the decoder must give for the test picture: RGB, or RGBA for alpha types.
std::vector<uint8_t> ExpectedPixels(const PngPicture& p) {
    std::vector<uint8_t> out;
    const int channels = PngChannels(p.colorType);
    for (size_t i = 0; i < p.samples.size(); i += channels) {
        const uint16_t* s = &p.samples[i];
        switch (p.colorType) {
            case PNG_COLOR_TYPE_PALETTE:
                out.insert(out.end(), {p.palette[s[0]].red, p.palette[s[0]].green, p.palette[s[0]].blue});
                break;
            case PNG_COLOR_TYPE_GRAY:
            case PNG_COLOR_TYPE_GRAY_ALPHA: {
                const uint8_t grey = static_cast<uint8_t>(To8Bits(s[0], p.bitDepth));
                out.insert(out.end(), {grey, grey, grey});
                if (channels == 2) out.push_back(static_cast<uint8_t>(To8Bits(s[1], p.bitDepth)));
                break;
            }
            default:
                for (int c = 0; c < channels; ++c) out.push_back(static_cast<uint8_t>(To8Bits(s[c], p.bitDepth)));
        }
    }
    return out;
}

PngPicture TestPicture(uint32_t width, uint32_t height, int colorType, int depth) {
    PngPicture p = MakePicture(width, height, colorType, depth,
                               [&](uint32_t x, uint32_t y, int s) { return TestSample(x, y, s, depth); });
    if (colorType == PNG_COLOR_TYPE_PALETTE) p.palette = TestPalette(1 << depth);
    return p;
}

TEST(PngDecode, EveryColourTypeAndDepthBecomes8BitRgbOrRgba) {
    struct Format {
        int colorType;
        int depth;
        int channels;
    };
    const Format formats[] = {
        {PNG_COLOR_TYPE_GRAY, 1, 3},       {PNG_COLOR_TYPE_GRAY, 2, 3},      {PNG_COLOR_TYPE_GRAY, 4, 3},
        {PNG_COLOR_TYPE_GRAY, 8, 3},       {PNG_COLOR_TYPE_GRAY, 16, 3},     {PNG_COLOR_TYPE_PALETTE, 1, 3},
        {PNG_COLOR_TYPE_PALETTE, 2, 3},    {PNG_COLOR_TYPE_PALETTE, 4, 3},   {PNG_COLOR_TYPE_PALETTE, 8, 3},
        {PNG_COLOR_TYPE_RGB, 8, 3},        {PNG_COLOR_TYPE_RGB, 16, 3},      {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 4},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 4}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, 4}, {PNG_COLOR_TYPE_RGB_ALPHA, 16, 4},
    };
    ScratchDir dir;
    for (const Format& f : formats) {
        SCOPED_TRACE("colour type " + std::to_string(f.colorType) + ", depth " + std::to_string(f.depth));
        // 13 wide: rows of 1-, 2- and 4-bit samples end inside a byte.
        const PngPicture picture = TestPicture(13, 5, f.colorType, f.depth);
        Decoded d;
        Decode(dir.Write("format.png", Encode(picture)), &d);
        ASSERT_EQ(d.ok, 1) << d.errors;
        EXPECT_EQ(d.image.width, 13u);
        EXPECT_EQ(d.image.height, 5u);
        EXPECT_EQ(d.image.bitDepth, f.depth);
        EXPECT_EQ(d.image.channels, f.channels);
        EXPECT_EQ(d.Pixels(), ExpectedPixels(picture));
        EXPECT_EQ(d.errors, "");
    }
}

TEST(PngDecode, InterlacedImagesDecodeLikeProgressiveOnes) {
    ScratchDir dir;
    for (int colorType : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_RGB_ALPHA, PNG_COLOR_TYPE_PALETTE}) {
        const int depth = colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 16 : 2;
        PngPicture picture = TestPicture(11, 9, colorType, depth);  // odd sizes: partial Adam7 passes
        Decoded progressive;
        Decode(dir.Write("plain.png", Encode(picture)), &progressive);
        picture.interlaced = true;
        Decoded interlaced;
        Decode(dir.Write("adam7.png", Encode(picture)), &interlaced);
        ASSERT_EQ(interlaced.ok, 1) << interlaced.errors;
        EXPECT_EQ(interlaced.Pixels(), progressive.Pixels()) << "colour type " << colorType;
        EXPECT_EQ(interlaced.Pixels(), ExpectedPixels(picture));
    }
}

// A tRNS chunk is not an alpha channel: grey, RGB and palette images stay RGB, and the
// transparent entries keep their colours.
TEST(PngDecode, TrnsGivesNoAlphaChannel) {
    ScratchDir dir;
    {
        PngPicture p = MakePicture(4, 1, PNG_COLOR_TYPE_PALETTE, 8, [](uint32_t x, uint32_t, int) { return x; });
        p.palette = TestPalette(4);
        p.paletteAlpha = {0, 128};
        Decoded d;
        Decode(dir.Write("palette.png", Encode(p)), &d);
        ASSERT_EQ(d.ok, 1) << d.errors;
        EXPECT_EQ(d.image.channels, 3);
        EXPECT_EQ(d.Pixels(), ExpectedPixels(p));
    }
    {
        PngPicture p = MakePicture(3, 1, PNG_COLOR_TYPE_GRAY, 4, [](uint32_t x, uint32_t, int) { return x * 5; });
        p.hasTransparentColor = true;
        p.transparentColor.gray = 5;
        Decoded d;
        Decode(dir.Write("grey.png", Encode(p)), &d);
        ASSERT_EQ(d.ok, 1) << d.errors;
        EXPECT_EQ(d.image.channels, 3);
        EXPECT_EQ(d.Pixels(), (std::vector<uint8_t>{0, 0, 0, 85, 85, 85, 170, 170, 170}));
    }
    {
        PngPicture p = MakePicture(2, 1, PNG_COLOR_TYPE_RGB, 8, [](uint32_t x, uint32_t, int s) { return x * 100 + s; });
        p.hasTransparentColor = true;
        p.transparentColor.red = 100;
        p.transparentColor.green = 101;
        p.transparentColor.blue = 102;
        Decoded d;
        Decode(dir.Write("rgb.png", Encode(p)), &d);
        ASSERT_EQ(d.ok, 1) << d.errors;
        EXPECT_EQ(d.image.channels, 3);
        EXPECT_EQ(d.Pixels(), (std::vector<uint8_t>{0, 1, 2, 100, 101, 102}));
    }
}

TEST(PngDecode, GammaCorrectsColourButNotAlpha) {
    ScratchDir dir;
    PngPicture p = MakePicture(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, [](uint32_t, uint32_t, int) { return 128; });
    const std::string noChunk = dir.Write("none.png", Encode(p));
    p.gamma = 1.0;  // linear samples
    const std::string linear = dir.Write("linear.png", Encode(p));
    p.gamma = 1.0 / 2.2;
    const std::string usual = dir.Write("usual.png", Encode(p));
    p.gamma = 200.0;  // far beyond the usual, but a valid chunk
    const std::string steep = dir.Write("steep.png", Encode(p));

    struct Case {
        std::string path;
        double screenGamma;
        double exponent;  // 1 / (file gamma * screen gamma)
    };
    const Case cases[] = {
        {noChunk, 2.2, 1.0},        {usual, 2.2, 1.0},        {noChunk, 1.1, 2.0},
        {linear, 2.2, 1.0 / 2.2},  {linear, 1.0, 1.0},       {noChunk, 4.4, 0.5},
        {steep, 2.2, 1.0 / 440.0},
    };
    for (const Case& c : cases) {
        Decoded d;
        Decode(c.path, &d, c.screenGamma);
        ASSERT_EQ(d.ok, 1);
        const double expected = 255.0 * std::pow(128.0 / 255.0, c.exponent);
        EXPECT_NEAR(d.image.pixels[0], expected, 1.0) << c.path << " at screen gamma " << c.screenGamma;
        EXPECT_EQ(d.image.pixels[0], d.image.pixels[2]);
        EXPECT_EQ(d.image.pixels[3], 128) << "alpha is not gamma-corrected";
    }
}

TEST(PngDecode, FilesThatAreNotPngFailSilentlyBeforeTheDecoder) {
    ScratchDir dir;
    const Bytes png = Encode(TestPicture(4, 4, PNG_COLOR_TYPE_RGB, 8));
    const std::pair<const char*, Bytes> files[] = {
        {"empty", {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}},
        {"short signature", Bytes(png.begin(), png.begin() + 7)},
        {"one bit off", [&] { Bytes b = png; b[1] ^= 0x20; return b; }()},  // "pNG"
    };
    for (const auto& [name, bytes] : files) {
        Decoded d;
        d.image.width = 77;  // must stay untouched
        Decode(dir.Write("file", bytes), &d);
        EXPECT_EQ(d.ok, 0) << name;
        EXPECT_EQ(d.errors, "") << name;
        EXPECT_EQ(d.image.width, 77u) << name;
    }
    Decoded missing;
    Decode(dir.Path("no such file.png"), &missing);
    EXPECT_EQ(missing.ok, 0);
    EXPECT_EQ(missing.errors, "");
    Decoded directory;
    Decode(dir.Path(""), &directory);
    EXPECT_EQ(directory.ok, 0);
}

// Every cut of a file, from just after the signature to one byte short of the end, fails with
// libpng's message.
TEST(PngDecode, EveryTruncationFails) {
    ScratchDir dir;
    PngPicture picture = TestPicture(9, 7, PNG_COLOR_TYPE_RGB_ALPHA, 8);
    picture.comment = "trailing text";
    picture.interlaced = true;
    const Bytes png = Encode(picture);
    for (size_t length = 8; length < png.size(); ++length) {
        Decoded d;
        Decode(dir.Write("cut.png", Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(length))), &d);
        EXPECT_EQ(d.ok, 0) << "cut at " << length << " of " << png.size();
        EXPECT_NE(d.errors.find("libpng error: "), std::string::npos) << "cut at " << length;
    }
}

TEST(PngDecode, CrcErrorsInCriticalChunksFail) {
    ScratchDir dir;
    PngPicture picture = TestPicture(6, 6, PNG_COLOR_TYPE_PALETTE, 4);
    picture.comment = "ancillary";
    const Bytes png = Encode(picture);
    for (const char* type : {"IHDR", "PLTE", "IDAT", "IEND"}) {
        const size_t at = FindChunk(png, type);
        ASSERT_NE(at, SIZE_MAX) << type;
        Bytes broken = png;
        const uint32_t length = (uint32_t{png[at]} << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
        broken[at + 8 + length] ^= 0x01;  // first CRC byte
        Decoded d;
        Decode(dir.Write("crc.png", broken), &d);
        EXPECT_EQ(d.ok, 0) << type;
        EXPECT_NE(d.errors.find("CRC error"), std::string::npos) << type << ": " << d.errors;
    }
    // A damaged ancillary chunk is dropped with a warning; the image is still good.
    const size_t text = FindChunk(png, "tEXt");
    ASSERT_NE(text, SIZE_MAX);
    Bytes broken = png;
    broken[text + 8] ^= 0x40;  // a data byte: the stored CRC no longer matches
    Decoded d;
    Decode(dir.Write("text.png", broken), &d);
    EXPECT_EQ(d.ok, 1);
    EXPECT_NE(d.errors.find("libpng warning: "), std::string::npos) << d.errors;
    EXPECT_EQ(d.Pixels(), ExpectedPixels(picture));
}

TEST(PngDecode, MalformedChunksFail) {
    ScratchDir dir;
    const PngPicture picture = TestPicture(8, 8, PNG_COLOR_TYPE_RGB, 8);
    const Bytes png = Encode(picture);
    const size_t ihdr = FindChunk(png, "IHDR");
    const size_t idat = FindChunk(png, "IDAT");
    Bytes hugeLength = png;
    hugeLength[idat] = 0x7f;  // IDAT claims 2 GiB of data

    Bytes unknownCritical(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(idat));
    const Bytes strange = Chunk("QUUX", {1, 2, 3});
    unknownCritical.insert(unknownCritical.end(), strange.begin(), strange.end());
    unknownCritical.insert(unknownCritical.end(), png.begin() + static_cast<std::ptrdiff_t>(idat), png.end());

    Bytes paletteWithoutPlte = HeaderOnlyPng(IhdrData(8, 8, 8, PNG_COLOR_TYPE_PALETTE));

    const std::pair<const char*, Bytes> files[] = {
        {"colour type 5", ReplaceChunkData(png, ihdr, IhdrData(8, 8, 8, 5))},
        {"bit depth 3", ReplaceChunkData(png, ihdr, IhdrData(8, 8, 3, PNG_COLOR_TYPE_RGB))},
        {"RGB at 4 bits", ReplaceChunkData(png, ihdr, IhdrData(8, 8, 4, PNG_COLOR_TYPE_RGB))},
        {"zero width", ReplaceChunkData(png, ihdr, IhdrData(0, 8, 8, PNG_COLOR_TYPE_RGB))},
        {"interlace method 2", ReplaceChunkData(png, ihdr, IhdrData(8, 8, 8, PNG_COLOR_TYPE_RGB, 2))},
        {"short IHDR", ReplaceChunkData(png, ihdr, {0, 0, 0, 8})},
        {"IDAT not zlib", ReplaceChunkData(png, idat, Bytes(40, 0xa5))},
        {"IDAT too short for the image", ReplaceChunkData(png, ihdr, IhdrData(8, 80, 8, PNG_COLOR_TYPE_RGB))},
        {"huge chunk length", hugeLength},
        {"unknown critical chunk", unknownCritical},
        {"palette image without PLTE", paletteWithoutPlte},
    };
    for (const auto& [name, bytes] : files) {
        Decoded d;
        Decode(dir.Write("bad.png", bytes), &d);
        EXPECT_EQ(d.ok, 0) << name;
        EXPECT_NE(d.errors.find("libpng error: "), std::string::npos) << name << ": " << d.errors;
    }
}

// Headers that claim more than the texture limit are refused before any pixel memory exists;
// the file's data is far too short to hold such an image, so success would be a bug too.
TEST(PngDecode, HeadersBeyondTheTextureLimitFailFast) {
    ScratchDir dir;
    const struct {
        uint32_t width;
        uint32_t height;
        const char* message;
    } headers[] = {
        {100000, 100000, "exceeds the texture limit"},
        {4097, 4096, "exceeds the texture limit"},  // rounds up to 8192x4096
        {600000, 64, "exceeds the texture limit"},  // 1048576x64 after rounding
        {2000000, 1, "exceeds user limit"},  // libpng's own width limit comes first
        {0x80000000u, 1, "libpng error: "},  // not a valid PNG width at all
    };
    for (const auto& h : headers) {
        Decoded d;
        Decode(dir.Write("huge.png", HeaderOnlyPng(IhdrData(h.width, h.height, 8, PNG_COLOR_TYPE_RGB_ALPHA))), &d);
        EXPECT_EQ(d.ok, 0) << h.width << "x" << h.height;
        EXPECT_NE(d.errors.find(h.message), std::string::npos) << h.width << "x" << h.height << ": " << d.errors;
    }
    // Right at the limit the header passes; this file then fails on its missing image data.
    Decoded atLimit;
    Decode(dir.Write("limit.png", HeaderOnlyPng(IhdrData(4096, 4096, 1, PNG_COLOR_TYPE_GRAY))), &atLimit);
    EXPECT_EQ(atLimit.ok, 0);
    EXPECT_EQ(atLimit.errors.find("texture limit"), std::string::npos) << atLimit.errors;
}

// A text chunk larger than any allocation the decoder allows, before or after the image data,
// is skipped with libpng's warning and the image loads.
TEST(PngDecode, AnAncillaryChunkOfSeventeenMegabytesIsSkipped) {
    ScratchDir dir;
    const PngPicture picture = TestPicture(5, 3, PNG_COLOR_TYPE_RGB, 8);
    const Bytes png = Encode(picture);
    Bytes text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
    text.resize(text.size() + (17u << 20), 'x');
    const Bytes chunk = Chunk("tEXt", text);
    for (const char* before : {"IDAT", "IEND"}) {
        Bytes file = png;
        const auto at = file.begin() + static_cast<std::ptrdiff_t>(FindChunk(png, before));
        file.insert(at, chunk.begin(), chunk.end());
        Decoded d;
        Decode(dir.Write("large.png", file), &d);
        ASSERT_EQ(d.ok, 1) << "before " << before << ": " << d.errors;
        EXPECT_EQ(d.Pixels(), ExpectedPixels(picture)) << "before " << before;
        EXPECT_NE(d.errors.find("libpng warning: tEXt: chunk data is too large"), std::string::npos)
            << "before " << before << ": " << d.errors;
    }
}

// Found by the fuzzer (tests/fuzz/findings/png_load): a 300-byte file whose tEXt chunk claims
// 256 MiB. The chunk is skipped without an allocation (one refused would say it lacked memory),
// and the file then fails on its missing data.
TEST(PngDecode, AChunkClaimingHundredsOfMegabytesIsNotAllocated) {
    Decoded d;
    Decode(FUZZ_FINDINGS_DIR "/png_load/text-chunk-claims-256-mib.png", &d);
    EXPECT_EQ(d.ok, 0);
    EXPECT_NE(d.errors.find("libpng error: "), std::string::npos) << d.errors;
    EXPECT_EQ(d.errors.find("memory"), std::string::npos) << d.errors;
}

// A path that turns into a FIFO between the loader's check and its open must not leave it
// waiting for a writer: the check is made on what was opened.
TEST(PngDecode, APathSwappedForAFifoIsNeverWaitedOn) {
    ScratchDir dir;
    const double longest = LongestLoadWhileSwappingInFifo(
        dir.Path("swap-"),
        [](const char* path) {
            PngImage image;
            if (ReadPngFile(path, NeutralScreenGamma, &image)) std::free(image.pixels);
        },
        0.5);
    EXPECT_LT(longest, 0.75) << "a load waited on the FIFO";  // one that did is let go after 1 s
}

}  // namespace
