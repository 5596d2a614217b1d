#include "png_decode.h"

#include <png.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "glpng.h"
#include "regular_file.h"

const unsigned char PngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

namespace {

// Everything libpng's error path must release. It lives in ReadPngFile's frame, outside the
// frame that calls setjmp, so its fields keep their values across a longjmp.
struct DecodeJob {
    FILE* file;
    double screenGamma;
    png_structp png;
    png_infop info;
    unsigned char* pixels;  // the decoded image, handed over on success
    png_bytep* rows;        // row pointers into pixels, freed after decoding
    PngImage image;
};

// The most libpng may allocate at once. A valid image within the texture limit needs at most
// about 8 MB (a row of a million 16-bit RGBA pixels). libpng's own cap on a chunk's data
// (8,000,000 bytes) only warns, and its readers then ask for what the chunk's length field
// claims, up to 2 GiB from a file of 300 bytes. The chunks that could claim that much are
// skipped unread (SkipUnusedChunks); this bound guards the rest, whose readers skip a chunk
// they get no memory for.
const png_alloc_size_t MaxDecoderAllocation = 16u << 20;

png_voidp PNGCBAPI AllocateBounded(png_structp, png_alloc_size_t size) {
    return size <= MaxDecoderAllocation ? malloc(size) : NULL;
}

void PNGCBAPI FreeAllocation(png_structp, png_voidp memory) { free(memory); }

uint64_t NextPowerOfTwo(uint32_t n) {
    uint64_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

// The texture built from the image rounds each side up to a power of two; refusing here, before
// any pixel memory exists, bounds what a header claiming 100000x100000 can make us allocate.
void CheckTextureLimit(png_structp png, uint32_t width, uint32_t height) {
    if (NextPowerOfTwo(width) * NextPowerOfTwo(height) <= PNG_MAX_TEXELS) return;
    char message[128];
    snprintf(message, sizeof message, "image of %ux%u pixels exceeds the texture limit of %u texels",
             (unsigned)width, (unsigned)height, (unsigned)PNG_MAX_TEXELS);
    png_error(png, message);  // prints through the default handler, then longjmps
}

// Nothing here reads text, suggested palettes or unknown chunks, so libpng is told to keep none:
// its chunk cache limit at 1 (one more than the number of such chunks it may store) makes it
// skip every tEXt, zTXt, iTXt, sPLT and unknown chunk, whatever length it claims, with nothing
// allocated. A refused allocation is no substitute: libpng's tEXt reader does not skip the
// chunk's bytes then, and reads its text as the next chunk header.
void SkipUnusedChunks(png_structp png) { png_set_chunk_cache_max(png, 1); }

const png_fixed_point DefaultFileGamma = 45455;  // 1/2.2, the usual encoding

png_fixed_point FixedGamma(double gamma) {
    return static_cast<png_fixed_point>(gamma * PNG_FP_1 + 0.5);
}

// Asks libpng for 8-bit RGBA where the file has an alpha channel and 8-bit RGB otherwise, with
// the gamma correction from screenGamma and the file's gamma. A tRNS chunk is no alpha channel:
// stripping alpha also drops it (the transparent entries keep their colours).
void RequestRgb8(png_structp png, png_infop info, int colorType, int bitDepth, double screenGamma) {
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
            if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
            png_set_gray_to_rgb(png);
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            png_set_gray_to_rgb(png);
            break;
        case PNG_COLOR_TYPE_PALETTE:
            png_set_palette_to_rgb(png);
            break;
        case PNG_COLOR_TYPE_RGB:
        case PNG_COLOR_TYPE_RGB_ALPHA:
            break;
        default:
            png_error(png, "unsupported colour type");
    }
    const bool hasAlphaChannel = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
    if (!hasAlphaChannel) png_set_strip_alpha(png);  // palette expansion would add tRNS as alpha
    if (bitDepth == 16) png_set_scale_16(png);
    png_set_interlace_handling(png);

    // libpng takes the second value in place of the file's own, so pass the file's gAMA on.
    // Both go in libpng's fixed point (gamma times 100000): its floating-point call reads a
    // value of 128 or more as already fixed, so a steep screen gamma (VIEWING_GAMMA below about
    // 0.017) or file gamma would come out a hundred thousand times too flat and blacken the image.
    png_fixed_point fileGamma = 0;
    if (!png_get_gAMA_fixed(png, info, &fileGamma) || fileGamma <= 0) fileGamma = DefaultFileGamma;
    png_set_gamma_fixed(png, FixedGamma(screenGamma), fileGamma);
}

// The decoding proper. libpng's errors longjmp out of it, so it holds nothing that needs a
// destructor; what it allocates it stores in job at once.
void DecodeImage(DecodeJob* job) {
    png_structp png = job->png;
    png_infop info = job->info;
    png_init_io(png, job->file);
    png_set_sig_bytes(png, sizeof PngSignature);
    SkipUnusedChunks(png);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, NULL, NULL, NULL);
    CheckTextureLimit(png, width, height);
    RequestRgb8(png, info, colorType, bitDepth, job->screenGamma);
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    if ((channels != 3 && channels != 4) || rowBytes != (size_t)width * channels)
        png_error(png, "unexpected decoded row layout");

    job->pixels = (unsigned char*)malloc(rowBytes * height);
    job->rows = (png_bytep*)malloc(sizeof(png_bytep) * height);
    if (job->pixels == NULL || job->rows == NULL) png_error(png, "out of memory for the image");
    for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->pixels + rowBytes * y;
    png_read_image(png, job->rows);
    png_read_end(png, NULL);  // reaches IEND, so a file cut after its image data fails too

    job->image.pixels = job->pixels;
    job->image.width = width;
    job->image.height = height;
    job->image.channels = channels;
    job->image.bitDepth = bitDepth;
}

int DecodeGuarded(DecodeJob* job) {
    if (setjmp(png_jmpbuf(job->png)) != 0) return 0;
    DecodeImage(job);
    return 1;
}

}  // namespace

int ReadPngFile(const char* filename, double screenGamma, PngImage* image) {
    // A FIFO, a device or a folder is refused at once, without waiting.
    FILE* file = OpenRegularFile(filename, NULL);
    if (file == NULL) return 0;
    unsigned char signature[sizeof PngSignature];
    if (fread(signature, 1, sizeof signature, file) != sizeof signature ||
        memcmp(signature, PngSignature, sizeof signature) != 0) {
        fclose(file);
        return 0;
    }

    DecodeJob job;
    memset(&job, 0, sizeof job);
    job.file = file;
    job.screenGamma = screenGamma;
    job.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL, NULL, AllocateBounded,
                                       FreeAllocation);
    if (job.png != NULL) job.info = png_create_info_struct(job.png);
    int ok = job.info != NULL && DecodeGuarded(&job);
    png_destroy_read_struct(&job.png, &job.info, NULL);  // each may be NULL
    free(job.rows);
    if (fclose(file) != 0) ok = 0;
    if (!ok) {
        free(job.pixels);
        return 0;
    }
    *image = job.image;
    return 1;
}
