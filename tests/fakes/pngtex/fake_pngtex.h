// A stand-in for the PNG texture call (<glpng.h>), for tests that run the program's own scene
// set-up without data/: pngLoad reads no file; it uploads into the bound texture the one texel
// the test gave for that path (opaque white for any other path) and succeeds.
#ifndef VESKOP_FAKE_PNGTEX_H
#define VESKOP_FAKE_PNGTEX_H

#include <glpng.h>

#include <array>
#include <cstdint>
#include <string>

void SetFakeImage(const std::string& path, std::array<std::uint8_t, 4> rgba);

#endif
