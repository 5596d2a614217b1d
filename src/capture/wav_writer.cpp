#include "capture/wav_writer.h"

#include <unistd.h>

#include <cstring>
#include <limits>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "WAV samples are written as in memory");

namespace {

const int Channels = 2;
const int BytesPerSample = 2;
const size_t HeaderBytes = 44;

void PutLittle(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool StartWav(int descriptor, WavWriter* wav) {
    wav->file = fdopen(descriptor, "wb");
    if (wav->file == nullptr) {
        close(descriptor);
        return false;
    }
    wav->dataBytes = 0;
    const std::uint8_t room[HeaderBytes] = {};
    return std::fwrite(room, 1, HeaderBytes, wav->file) == HeaderBytes;
}

bool AppendWav(WavWriter* wav, const std::int16_t* samples, int frames) {
    if (wav->file == nullptr || frames < 0) return false;
    const size_t bytes = static_cast<size_t>(frames) * Channels * BytesPerSample;
    // A RIFF file counts in 32 bits; 55 s of sound is far below.
    if (bytes > std::numeric_limits<std::uint32_t>::max() - HeaderBytes - wav->dataBytes) return false;
    if (std::fwrite(samples, 1, bytes, wav->file) != bytes) return false;
    wav->dataBytes += static_cast<std::uint32_t>(bytes);
    return true;
}

bool FinishWav(WavWriter* wav, int rate) {
    if (wav->file == nullptr) return false;
    std::uint8_t header[HeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                        'f', 'm', 't', ' ', 16, 0, 0, 0};
    PutLittle(header + 4, static_cast<std::uint32_t>(HeaderBytes - 8) + wav->dataBytes, 4);
    PutLittle(header + 20, 1, 2);  // PCM
    PutLittle(header + 22, Channels, 2);
    PutLittle(header + 24, static_cast<std::uint32_t>(rate), 4);
    PutLittle(header + 28, static_cast<std::uint32_t>(rate * Channels * BytesPerSample), 4);
    PutLittle(header + 32, Channels * BytesPerSample, 2);
    PutLittle(header + 34, 8 * BytesPerSample, 2);
    std::memcpy(header + 36, "data", 4);
    PutLittle(header + 40, wav->dataBytes, 4);
    bool ok = std::fseek(wav->file, 0, SEEK_SET) == 0 &&
              std::fwrite(header, 1, HeaderBytes, wav->file) == HeaderBytes;
    ok = std::fclose(wav->file) == 0 && ok;
    wav->file = nullptr;
    return ok;
}
