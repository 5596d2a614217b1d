// xmgen: composes the demo's music and writes it as an XM module.
//
//   xmgen OUTPUT.XM
//
// The committed data/LUMAR7.XM is this program's output; regenerate it with
//   cmake --build build --target update_module
// Everything is integer arithmetic, so the bytes are the same on every machine.
#include "score.h"
#include "xm_file.h"

#include <cstdio>
#include <exception>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xmgen OUTPUT.XM\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    xmgen::XmSong song;
    try {
        song = xmgen::ComposeSong();
        bytes = xmgen::SerializeXm(song);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xmgen: %s\n", e.what());
        return 1;
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) {
        std::fprintf(stderr, "xmgen: could not write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %zu bytes, %.3f s\n", argv[1], bytes.size(), xmgen::SongSeconds(song));
    return 0;
}
