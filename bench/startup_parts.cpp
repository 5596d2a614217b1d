// The work of the show's start-up that cannot be avoided, each part measured alone, the first
// time in a fresh process as the show meets it (a library's one-time set-up included), and what
// our texture code adds to each image:
//   startup_parts decode    "part decode MS": the five PNGs decoded by plain libpng calls, to
//                           8-bit RGB or RGBA
//   startup_parts lists     "part lists MS": the three mesh lists compiled, and finished, in a
//                           640x480 context
//   startup_parts module    "part module MS": the module read and loaded by libopenmpt
//   startup_parts images RUNS
//                           "image NAME PLAIN_MS LEVELS_MS TEXTURE_MS" per image, medians of
//                           RUNS: the plain decode, our rescale and mipmap chain on the CPU, and
//                           the whole texture call (our decode, levels and upload)
// The window and context are measured as a process of their own (bare_show --window). Needs a
// display.
#include <png.h>

#include <libopenmpt/libopenmpt.h>

#include <GL/gl.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo/meshes/mesh_lists.h"
#include "gl_context.h"
#include "glpng.h"
#include "png_decode.h"
#include "texture_levels.h"

namespace {

const char* const Images[5] = {"startlogo2.png", "alphabetGeorgia.png", "pizza2.png",
                               "sovepose2.png", "vardlum.png"};

double Milliseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

std::string DataPath(const char* name) { return std::string(VESKOP_DATA_DIR) + "/" + name; }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// The least any loader does: libpng's expansion to 8-bit RGB or RGBA, rows into one buffer.
bool DecodePlain(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    unsigned char* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        const size_t rowBytes = png_get_rowbytes(png, info);
        pixels = static_cast<unsigned char*>(std::malloc(rowBytes * height));
        rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
        if (pixels != nullptr && rows != nullptr) {
            for (png_uint_32 y = 0; y < height; y++) rows[y] = pixels + rowBytes * y;
            png_read_image(png, rows);
            png_read_end(png, nullptr);
            ok = true;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    std::free(pixels);
    std::fclose(file);
    return ok;
}

int PowerOfTwoAtLeast(uint32_t size) {
    int side = 1;
    while (uint32_t(side) < size) side <<= 1;
    return side;
}

// Our rescale (where the image is not a power of two) and the whole mipmap chain, on a copy of
// the decoded image. Milliseconds, or a negative value when the image does not decode.
double TimeLevels(const std::string& path) {
    PngImage image;
    if (!ReadPngFile(path.c_str(), 2.2, &image)) return -1.0;
    const int width = PowerOfTwoAtLeast(image.width), height = PowerOfTwoAtLeast(image.height);
    std::vector<unsigned char> texels(size_t(width) * height * image.channels);
    const double begin = Milliseconds();
    if (uint32_t(width) != image.width || uint32_t(height) != image.height) {
        ResampleNearest(image.pixels, int(image.width), int(image.height), texels.data(), width,
                        height, image.channels);
    } else {
        std::memcpy(texels.data(), image.pixels, texels.size());
    }
    int w = width, h = height;
    while (w > 1 || h > 1) HalveInPlace(texels.data(), &w, &h, image.channels);
    const double spent = Milliseconds() - begin;
    std::free(image.pixels);
    return spent;
}

double TimeTextureCall(const std::string& path) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const double begin = Milliseconds();
    const bool ok = pngLoad(path.c_str(), PNG_BUILDMIPMAPS, PNG_ALPHA, nullptr) != 0;
    glFinish();
    const double spent = Milliseconds() - begin;
    glDeleteTextures(1, &texture);
    return ok ? spent : -1.0;
}

double TimeLists() {
    const double begin = Milliseconds();
    const GLuint a = BuildMeshListA(), b = BuildMeshListB(), c = BuildMeshListC();
    glFinish();
    const double spent = Milliseconds() - begin;
    glDeleteLists(a, 1);
    glDeleteLists(b, 1);
    glDeleteLists(c, 1);
    return spent;
}

double TimeModule() {
    const double begin = Milliseconds();
    std::FILE* file = std::fopen(DataPath("LUMAR7.XM").c_str(), "rb");
    if (file == nullptr) return -1.0;
    std::vector<char> bytes(1 << 20);
    const size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    openmpt_module* module = openmpt_module_create_from_memory2(
        bytes.data(), size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr,
        nullptr, nullptr, nullptr);
    const double spent = Milliseconds() - begin;
    if (module == nullptr) return -1.0;
    openmpt_module_destroy(module);
    return spent;
}

int MeasureImages(int runs) {
    TestGLContext context(640, 480);
    if (!context.ok()) return 1;
    std::vector<std::vector<double>> plain(5), levels(5), texture(5);
    for (int run = 0; run < runs; run++) {
        for (int i = 0; i < 5; i++) {
            const std::string path = DataPath(Images[i]);
            const double begin = Milliseconds();
            if (!DecodePlain(path)) return 1;
            plain[i].push_back(Milliseconds() - begin);
            levels[i].push_back(TimeLevels(path));
            texture[i].push_back(TimeTextureCall(path));
        }
    }
    for (int i = 0; i < 5; i++) {
        std::printf("image %s %.3f %.3f %.3f\n", Images[i], Median(plain[i]), Median(levels[i]),
                    Median(texture[i]));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string part = argc > 1 ? argv[1] : "";
    if (part == "images") return MeasureImages(argc > 2 ? std::max(1, std::atoi(argv[2])) : 9);
    double spent = -1.0;
    if (part == "decode") {
        const double begin = Milliseconds();
        for (const char* image : Images) {
            if (!DecodePlain(DataPath(image))) return 1;
        }
        spent = Milliseconds() - begin;
    } else if (part == "lists") {
        TestGLContext context(640, 480);
        if (!context.ok()) return 1;
        spent = TimeLists();
    } else if (part == "module") {
        spent = TimeModule();
    } else {
        std::fprintf(stderr, "usage: startup_parts decode|lists|module|images [RUNS]\n");
        return 2;
    }
    if (spent < 0) return 1;
    std::printf("part %s %.3f\n", part.c_str(), spent);
    return 0;
}
