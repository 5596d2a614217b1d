// PNG files made by the tests themselves: pictures with known samples, and hostile byte
// streams built chunk by chunk.
#ifndef VESKOP_PNG_TEST_FILES_H
#define VESKOP_PNG_TEST_FILES_H

#include <cstdint>
#include <string>
#include <vector>

#include "png_write.h"

using Bytes = std::vector<uint8_t>;

// A directory of its own under the system's temporary directory, removed with its contents.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Writes bytes to a file of that name in the directory and returns its path.
    std::string Write(const std::string& name, const Bytes& bytes);
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A valid picture's file; fails the calling test when encoding fails.
Bytes Encode(const PngPicture& picture);

// A chunk: length, type, data and the CRC over type and data.
Bytes Chunk(const char* type, const Bytes& data);

// Offset of the first chunk of that type (its length field), or Bytes::npos-like SIZE_MAX.
size_t FindChunk(const Bytes& png, const char* type);

// Replaces the data of the chunk at offset (from FindChunk) and recomputes its CRC.
Bytes ReplaceChunkData(const Bytes& png, size_t offset, const Bytes& data);

// The 13 data bytes of an IHDR chunk.
Bytes IhdrData(uint32_t width, uint32_t height, int bitDepth, int colorType, int interlace = 0);

// Signature, the given IHDR data, one small IDAT (a valid zlib stream of a few zero bytes, far
// too short for the claimed size) and IEND.
Bytes HeaderOnlyPng(const Bytes& ihdrData);

#endif
