// In place of OpenGL for the PNG fuzzer: the calls pngLoad makes, checked instead of executed.
// Every texel of every uploaded level is read (so AddressSanitizer sees a buffer too short for
// its level), and anything a correct load cannot do aborts with a message: a level out of order
// or of the wrong size, a bad format or size, unbalanced pixel-store pushes, image data after a
// failed load, or a successful load whose chain does not reach 1x1.
#ifndef VESKOP_FUZZ_GL_UPLOAD_CHECK_H
#define VESKOP_FUZZ_GL_UPLOAD_CHECK_H

#include <glpng.h>

// GL_MAX_TEXTURE_SIZE as Mesa's software renderer reports it.
const int CheckedMaxTextureSize = 16384;

void BeginUploadCheck();
// loaded: pngLoad's result; info: the record it was given.
void EndUploadCheck(int loaded, const pngInfo& info);

#endif
