#include "gl_upload_check.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct UploadState {
    int levels;                       // uploaded so far
    GLsizei firstWidth, firstHeight;  // of level 0
    GLsizei width, height;            // of the last level
    GLenum format;
    int pushes;  // glPushClientAttrib less glPopClientAttrib
};

UploadState Upload;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "upload check: %s\n", what);
    std::abort();
}

void Require(bool holds, const char* what) {
    if (!holds) Fail(what);
}

bool IsPowerOfTwo(GLsizei n) { return n > 0 && (n & (n - 1)) == 0; }

GLsizei Halved(GLsizei side) { return side > 1 ? side / 2 : 1; }

GLsizei ExpectedSide(std::uint32_t fileSide) {
    std::uint64_t side = 1;
    while (side < fileSide) side <<= 1;
    return side > std::uint64_t(CheckedMaxTextureSize) ? CheckedMaxTextureSize : GLsizei(side);
}

}  // namespace

void BeginUploadCheck() { Upload = UploadState{0, 0, 0, 0, 0, 0, 0}; }

void EndUploadCheck(int loaded, const pngInfo& info) {
    Require(Upload.pushes == 0, "pixel-store state pushed and not popped");
    if (loaded != 1) {
        Require(loaded == 0, "pngLoad returned neither 0 nor 1");
        Require(Upload.levels == 0, "a failed load uploaded image data");
        return;
    }
    Require(Upload.levels > 0 && Upload.width == 1 && Upload.height == 1, "the chain stops before 1x1");
    Require(info.Width > 0 && info.Height > 0, "a loaded image without a size");
    Require(Upload.firstWidth == ExpectedSide(info.Width) && Upload.firstHeight == ExpectedSide(info.Height),
            "level 0 is not the file's size rounded up to powers of two");
    Require(info.Alpha == (Upload.format == GL_RGBA ? 8u : 0u), "alpha bits and format disagree");
    const std::uint32_t depth = info.Depth;
    Require(depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16, "bad bit depth");
}

extern "C" {

void GLAPIENTRY glGetIntegerv(GLenum name, GLint* value) {
    Require(name == GL_MAX_TEXTURE_SIZE, "an unexpected glGetIntegerv");
    *value = CheckedMaxTextureSize;
}

void GLAPIENTRY glPixelStorei(GLenum, GLint) { Require(Upload.pushes > 0, "pixel store changed unsaved"); }

void GLAPIENTRY glPushClientAttrib(GLbitfield) { Upload.pushes++; }

void GLAPIENTRY glPopClientAttrib() {
    Require(Upload.pushes > 0, "popped more than pushed");
    Upload.pushes--;
}

void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const GLvoid* pixels) {
    Require(target == GL_TEXTURE_2D && border == 0 && type == GL_UNSIGNED_BYTE, "bad upload call");
    Require(format == GL_RGB || format == GL_RGBA, "bad format");
    Require(GLenum(internalFormat) == format, "internal format differs from the data's");
    Require(level == Upload.levels, "levels out of order");
    if (level == 0) {
        Require(IsPowerOfTwo(width) && IsPowerOfTwo(height), "level 0 is not a power of two");
        Require(width <= CheckedMaxTextureSize && height <= CheckedMaxTextureSize, "level 0 too large");
        Require(std::uint64_t(width) * std::uint64_t(height) <= PNG_MAX_TEXELS, "over the texel limit");
        Upload.format = format;
        Upload.firstWidth = width;
        Upload.firstHeight = height;
    } else {
        Require(format == Upload.format, "format changed between levels");
        Require(width == Halved(Upload.width) && height == Halved(Upload.height), "level not halved");
        Require(Upload.width > 1 || Upload.height > 1, "a level after 1x1");
    }
    Require(pixels != nullptr, "no pixels");
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * (format == GL_RGBA ? 4 : 3);
    const volatile std::uint8_t* texels = static_cast<const std::uint8_t*>(pixels);
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; i++) sum += texels[i];
    (void)sum;
    Upload.levels++;
    Upload.width = width;
    Upload.height = height;
}

}  // extern "C"
