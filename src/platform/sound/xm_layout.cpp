// Whether an XM module's parts are all there, before libopenmpt reads it.
//
// libopenmpt reads what it can of a damaged XM and treats what is missing as empty: a file cut
// anywhere after its first 150 bytes, or one whose header claims parts it does not hold, loads
// and plays (silence, or part of the music). Here the parts an XM 1.04 file declares are walked
// by their stored sizes, so a file that ends inside one of them, or whose counts and sizes cannot
// be right, is refused as unreadable instead. Bytes after the last part are allowed (trackers
// append extensions there).
#include "sound_internal.h"

#include <cstdint>
#include <cstring>

namespace {

const char XmIdText[] = "Extended Module: ";
constexpr std::uint64_t XmIdLength = sizeof XmIdText - 1;
constexpr std::uint64_t HeaderSizeAt = 60;  // after ID text, name, marker, tracker name, version
constexpr std::uint64_t VersionAt = 58;
constexpr unsigned SupportedVersion = 0x0104;
constexpr std::uint64_t HeaderFieldBytes = 20;  // header size .. default BPM, before the orders

// FastTracker 2's limits.
constexpr unsigned MaxOrders = 256;
constexpr unsigned MaxChannels = 32;
constexpr unsigned MaxPatterns = 256;
constexpr unsigned MaxInstruments = 128;
constexpr unsigned MaxSamplesPerInstrument = 16;

constexpr std::uint64_t PatternHeaderBytes = 9;      // at least: length, packing, rows, data size
constexpr std::uint64_t InstrumentHeaderBytes = 29;  // at least: size, name, type, sample count
constexpr std::uint64_t SampleHeaderBytes = 40;      // what readers take, whatever the file says

struct FileView {
    const unsigned char* data;
    std::uint64_t size;

    bool Holds(std::uint64_t at, std::uint64_t bytes) const { return at <= size && bytes <= size - at; }
    unsigned U16(std::uint64_t at) const { return unsigned(data[at]) | unsigned(data[at + 1]) << 8; }
    std::uint64_t U32(std::uint64_t at) const { return std::uint64_t(U16(at)) | std::uint64_t(U16(at + 2)) << 16; }
};

// The offset just past the patterns that start at `at`, or 0 when one does not fit.
std::uint64_t SkipPatterns(const FileView& file, std::uint64_t at, unsigned count) {
    if (at > file.size) return 0;
    for (unsigned i = 0; i < count; i++) {
        if (!file.Holds(at, PatternHeaderBytes)) return 0;
        const std::uint64_t headerLength = file.U32(at);
        if (headerLength < PatternHeaderBytes) return 0;
        at += headerLength + file.U16(at + 7);  // the header, then its packed data
        if (at > file.size) return 0;
    }
    return at;
}

// Each instrument: its header, then the headers of its samples, then their data.
bool InstrumentsFit(const FileView& file, std::uint64_t at, unsigned count) {
    for (unsigned i = 0; i < count; i++) {
        if (!file.Holds(at, InstrumentHeaderBytes)) return false;
        const std::uint64_t headerSize = file.U32(at);
        const unsigned samples = file.U16(at + 27);
        if (headerSize < InstrumentHeaderBytes || samples > MaxSamplesPerInstrument) return false;
        at += headerSize;
        if (!file.Holds(at, samples * SampleHeaderBytes)) return false;
        std::uint64_t dataBytes = 0;
        for (unsigned s = 0; s < samples; s++) dataBytes += file.U32(at + s * SampleHeaderBytes);
        at += samples * SampleHeaderBytes + dataBytes;
        if (at > file.size) return false;
    }
    return true;
}

}  // namespace

int CheckXmLayout(const unsigned char* data, size_t size) {
    const FileView file = {data, size};
    if (!file.Holds(0, XmIdLength) || std::memcmp(data, XmIdText, XmIdLength) != 0)
        return FMOD_ERR_NONE;  // no XM: libopenmpt tells what it is
    if (!file.Holds(HeaderSizeAt, HeaderFieldBytes)) return FMOD_ERR_FILE_BAD;
    if (file.U16(VersionAt) != SupportedVersion) return FMOD_ERR_VERSION;

    const std::uint64_t headerSize = file.U32(HeaderSizeAt);
    const unsigned orders = file.U16(64);
    const unsigned channels = file.U16(68);
    const unsigned patterns = file.U16(70);
    const unsigned instruments = file.U16(72);
    if (orders < 1 || orders > MaxOrders || headerSize < HeaderFieldBytes + orders ||
        channels < 1 || channels > MaxChannels || patterns > MaxPatterns ||
        instruments > MaxInstruments)
        return FMOD_ERR_FILE_BAD;

    const std::uint64_t afterPatterns = SkipPatterns(file, HeaderSizeAt + headerSize, patterns);
    if (afterPatterns == 0 || !InstrumentsFit(file, afterPatterns, instruments)) return FMOD_ERR_FILE_BAD;
    return FMOD_ERR_NONE;
}
