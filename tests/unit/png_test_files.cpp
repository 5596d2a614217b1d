#include "png_test_files.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

namespace {

void PutUint32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t GetUint32(const Bytes& in, size_t at) {
    return (uint32_t{in[at]} << 24) | (uint32_t{in[at + 1]} << 16) | (uint32_t{in[at + 2]} << 8) | in[at + 3];
}

const Bytes Signature = {137, 80, 78, 71, 13, 10, 26, 10};

}  // namespace

ScratchDir::ScratchDir() {
    static int serial = 0;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("veskop-png-" + std::to_string(getpid()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(dir);
    path_ = dir.string();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Write(const std::string& name, const Bytes& bytes) {
    const std::string path = Path(name);
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
    return path;
}

Bytes Encode(const PngPicture& picture) {
    Bytes bytes = EncodePng(picture);
    EXPECT_FALSE(bytes.empty()) << "libpng refused a test picture";
    return bytes;
}

Bytes Chunk(const char* type, const Bytes& data) {
    Bytes out;
    out.reserve(12 + data.size());  // length, type, data, CRC
    PutUint32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + 4, static_cast<uInt>(4 + data.size()));
    PutUint32(out, static_cast<uint32_t>(crc));
    return out;
}

size_t FindChunk(const Bytes& png, const char* type) {
    size_t at = Signature.size();
    while (at + 12 <= png.size()) {
        if (std::memcmp(png.data() + at + 4, type, 4) == 0) return at;
        at += 12 + GetUint32(png, at);
    }
    return SIZE_MAX;
}

Bytes ReplaceChunkData(const Bytes& png, size_t offset, const Bytes& data) {
    const size_t oldEnd = offset + 12 + GetUint32(png, offset);
    char type[5] = {};
    std::memcpy(type, png.data() + offset + 4, 4);
    Bytes out(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(offset));
    const Bytes chunk = Chunk(type, data);
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(oldEnd), png.end());
    return out;
}

Bytes IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType, int interlace) {
    Bytes data;
    PutUint32(data, width);
    PutUint32(data, height);
    data.push_back(static_cast<uint8_t>(bitDepth));
    data.push_back(static_cast<uint8_t>(colorType));
    data.push_back(0);  // compression
    data.push_back(0);  // filter
    data.push_back(static_cast<uint8_t>(interlace));
    return data;
}

Bytes HeaderOnlyPng(const Bytes& ihdrData) {
    const Bytes zeros(16, 0);
    Bytes idat(compressBound(zeros.size()));
    uLongf idatSize = idat.size();
    compress(idat.data(), &idatSize, zeros.data(), zeros.size());
    idat.resize(idatSize);
    Bytes png = Signature;
    for (const Bytes& chunk : {Chunk("IHDR", ihdrData), Chunk("IDAT", idat), Chunk("IEND", {})})
        png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}
