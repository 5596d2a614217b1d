// The PNG texture call: loads a PNG file, given by name, into the texture bound to
// GL_TEXTURE_2D, with a full mipmap chain. Written over libpng and zlib.
//
// Supported modes: mipmap mode PNG_BUILDMIPMAPS with transparency mode PNG_ALPHA. Any other mode
// returns 0 before the file is opened.
//
// What a load with those modes does:
//   - Sizes: a side that is not a power of two is rescaled by nearest sampling up to the next
//     power of two; a side above GL_MAX_TEXTURE_SIZE is clamped to it.
//   - Mipmaps: every level down to 1x1 is built here and uploaded with glTexImage2D as
//     GL_UNSIGNED_BYTE. Each texel of a level is the truncated average of the 2x2 texels beneath
//     it, or of 2 texels once one side has reached 1.
//   - Formats: grey with alpha and RGBA files become GL_RGBA textures with the file's alpha
//     (info->Alpha = 8); grey, RGB and palette files become GL_RGB textures, grey and palette
//     expanded to RGB (info->Alpha = 0), with or without a tRNS chunk: its transparent palette
//     entries, grey level or RGB colour keep their colours and give no alpha. 16-bit samples are
//     scaled to 8 bits; 1-, 2- and 4-bit samples are expanded to 8 bits.
//   - Row order: the file's top row is the texture's first row, at t = 0.
//   - Gamma: the decoder gets screen gamma 2.2, or 2.2 divided by the number in the environment
//     variable VIEWING_GAMMA (read at every load; a value that is not a number between 0.001
//     and 1000 is ignored), and file gamma from the file's gAMA chunk, or 1/2.2 without one.
//     With neither, samples pass unchanged.
//   - Limit: a file whose texture, each side rounded up to a power of two, would hold more than
//     PNG_MAX_TEXELS texels (64 MiB as RGBA; 4096x4096, 8192x2048, ...) is refused right after
//     its header is read, before any pixel memory is allocated. Text, suggested-palette and
//     unknown chunks are skipped unread, whatever length they claim (with libpng's warning past
//     its 8,000,000-byte chunk limit), and the decoder never gets more than 16 MiB at once.
//   - Unpack state: GL_UNPACK_* pixel-store settings are saved and restored around the upload.
//
// Returns 1 when the texture was filled, 0 when not. On 0 the bound texture is left without
// image data: the file is not a regular file (checked on the file as opened, without waiting,
// so a FIFO never blocks the load), could not be opened or closed, did not start with the PNG
// signature, or the decoder reported an error (a bad chunk, a CRC error, a truncated file, a
// colour type or size it cannot take). A file without the signature fails before libpng runs
// and writes nothing. libpng's default handlers write its texts to standard error
// ("libpng error: %s", "libpng warning: %s"); nothing else is printed.
//
// Needs a current OpenGL rendering context. Not thread-safe beyond that context's thread.
#ifndef VESKOP_GLPNG_H
#define VESKOP_GLPNG_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PNG_BUILDMIPMAPS -1  // mipmap mode: build and upload every level, averaged
#define PNG_ALPHA -2         // transparency mode: keep the file's alpha, if it has any

#define PNG_MAX_TEXELS (1u << 24)  // texels in the power-of-two texture, at most

// Filled by a successful load; left untouched by a failed one.
typedef struct {
    uint32_t Width;   // the file's own width in pixels, before any rescaling
    uint32_t Height;  // the file's own height in pixels, before any rescaling
    uint32_t Depth;   // bits per sample stated in the file's header (1, 2, 4, 8 or 16)
    uint32_t Alpha;   // 8 when the texture received an alpha channel, 0 when not
} pngInfo;

// filename: path of the PNG file. info may be NULL.
int pngLoad(const char* filename, int mipmap, int trans, pngInfo* info);

#ifdef __cplusplus
}
#endif

#endif
