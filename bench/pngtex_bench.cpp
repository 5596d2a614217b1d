// Cost of loading the demo's images: decoding alone, and the whole texture call (decode,
// rescale, mipmap chain, upload) in a real context. Needs a display: run under xvfb-run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "gl_context.h"
#include "glpng.h"
#include "png_decode.h"

namespace {

const char* const Images[] = {"startlogo2.png", "alphabetGeorgia.png", "pizza2.png", "sovepose2.png", "vardlum.png"};

std::string ImagePath(int index) { return std::string(VESKOP_DATA_DIR) + "/" + Images[index]; }

void DecodeOnly(benchmark::State& state) {
    const std::string path = ImagePath(static_cast<int>(state.range(0)));
    state.SetLabel(Images[state.range(0)]);
    for (auto _ : state) {
        PngImage image;
        if (!ReadPngFile(path.c_str(), 2.2, &image)) state.SkipWithError("decode failed");
        std::free(image.pixels);
    }
}
BENCHMARK(DecodeOnly)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void TextureCall(benchmark::State& state) {
    static TestGLContext context(64, 64);
    const std::string path = ImagePath(static_cast<int>(state.range(0)));
    state.SetLabel(Images[state.range(0)]);
    for (auto _ : state) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        if (!pngLoad(path.c_str(), PNG_BUILDMIPMAPS, PNG_ALPHA, nullptr)) state.SkipWithError("load failed");
        glFinish();
        glDeleteTextures(1, &texture);
    }
}
BENCHMARK(TextureCall)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
