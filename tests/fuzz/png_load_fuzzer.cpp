// libFuzzer target: the input, as a file, through pngLoad with the program's modes, the way the
// program loads its images. The OpenGL calls are the checks of gl_upload_check.cpp.
//
// Before the load every complete chunk gets its CRC recomputed, so mutated headers and chunk
// data reach the decoder instead of all failing at the first checksum (CRC failures have tests
// of their own).
#include <glpng.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_input_file.h"
#include "gl_upload_check.h"

namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    static std::uint32_t table[256];
    if (table[1] == 0) {
        for (std::uint32_t n = 0; n < 256; n++) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; k++) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    std::uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < size; i++) crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

std::uint32_t BigEndian32(const std::uint8_t* at) {
    return std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 | std::uint32_t(at[2]) << 8 | at[3];
}

// Chunks follow the 8-byte signature: length, type, data, CRC over type and data.
void FixChunkCrcs(std::vector<std::uint8_t>& file) {
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint64_t length = BigEndian32(&file[at]);
        if (length > file.size() - at - 12) return;
        const std::uint32_t crc = Crc32(&file[at + 4], std::size_t(length) + 4);
        std::uint8_t* stored = &file[at + 8 + std::size_t(length)];
        for (int i = 0; i < 4; i++) stored[i] = std::uint8_t(crc >> (24 - 8 * i));
        at += 12 + std::size_t(length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(data, data + size);
    FixChunkCrcs(file);
    const char* path = FuzzInputFile(file.data(), file.size());
    pngInfo info;
    std::memset(&info, 0, sizeof info);
    BeginUploadCheck();
    const int loaded = pngLoad(path, PNG_BUILDMIPMAPS, PNG_ALPHA, &info);
    EndUploadCheck(loaded, info);
    return 0;
}
