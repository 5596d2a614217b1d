// pngLoad: the decoded image becomes a power-of-two texture with a full mipmap chain.
#include "glpng.h"

#include <GL/gl.h>

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "png_decode.h"
#include "texture_levels.h"

namespace {

const double DefaultScreenGamma = 2.2;

// 2.2, or 2.2 divided by VIEWING_GAMMA when that holds a usable number. Values outside
// [0.001, 1000] (and text that is not a number) are ignored: libpng rejects the extreme screen
// gammas they would give, and a stray setting should not make every image fail.
double ScreenGamma() {
    const char* text = getenv("VIEWING_GAMMA");
    if (text == NULL) return DefaultScreenGamma;
    char* end = NULL;
    const double viewingGamma = strtod(text, &end);
    if (end == text) return DefaultScreenGamma;
    while (isspace((unsigned char)*end)) ++end;
    if (*end != '\0' || !(viewingGamma >= 0.001 && viewingGamma <= 1000.0)) return DefaultScreenGamma;
    return DefaultScreenGamma / viewingGamma;
}

// The next power of two at or above size, clamped to maxSize.
int TextureSide(uint32_t size, int maxSize) {
    uint64_t side = 1;
    while (side < size) side <<= 1;
    return side > (uint64_t)maxSize ? maxSize : (int)side;
}

// Uploads levels 0 to the 1x1 level from texels (width x height, rows at t = 0 first), which it
// overwrites level by level.
void UploadMipmapChain(unsigned char* texels, int width, int height, int channels) {
    const GLenum format = channels == 4 ? GL_RGBA : GL_RGB;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are packed: RGB rows need not be 4-aligned
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    for (GLint level = 0;; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, format, width, height, 0, format, GL_UNSIGNED_BYTE, texels);
        if (width == 1 && height == 1) break;
        HalveInPlace(texels, &width, &height, channels);
    }
    glPopClientAttrib();
}

// Fits the image to the texture size and uploads the chain. Everything is allocated before the
// first upload, so a failure leaves the texture without image data. Consumes image.pixels.
int BuildTexture(PngImage image) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize < 1) {
        free(image.pixels);
        return 0;
    }
    const int width = TextureSide(image.width, maxSize);
    const int height = TextureSide(image.height, maxSize);
    unsigned char* texels = image.pixels;
    if ((uint32_t)width != image.width || (uint32_t)height != image.height) {
        texels = (unsigned char*)malloc((size_t)width * height * image.channels);
        if (texels == NULL) {
            free(image.pixels);
            return 0;
        }
        ResampleNearest(image.pixels, (int)image.width, (int)image.height, texels, width, height,
                        image.channels);
        free(image.pixels);
    }
    UploadMipmapChain(texels, width, height, image.channels);
    free(texels);
    return 1;
}

}  // namespace

int pngLoad(const char* filename, int mipmap, int trans, pngInfo* info) {
    if (filename == NULL || mipmap != PNG_BUILDMIPMAPS || trans != PNG_ALPHA) return 0;
    PngImage image;
    if (!ReadPngFile(filename, ScreenGamma(), &image)) return 0;
    pngInfo loaded;
    loaded.Width = image.width;
    loaded.Height = image.height;
    loaded.Depth = (uint32_t)image.bitDepth;
    loaded.Alpha = image.channels == 4 ? 8 : 0;
    if (!BuildTexture(image)) return 0;
    if (info != NULL) *info = loaded;
    return 1;
}
