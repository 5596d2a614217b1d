// The five pictures of the demo, each made from nothing but code (and a font for the two with
// text). Each comes back ready for the PNG writer.
#ifndef VESKOP_IMAGEGEN_PICTURES_H
#define VESKOP_IMAGEGEN_PICTURES_H

#include "glyphs.h"
#include "png_write.h"

// "VESKOP" in chrome letters with an outline, a glow and a reflection, on transparency:
// 1024x512 RGBA.
PngPicture MakeTitleLogo(Font& boldSerif);
// The program's icon: a chrome V over the title's floor grid on a rounded tile of night sky,
// size x size RGBA.
PngPicture MakeIcon(Font& boldSerif, int size);
// A-Z, a-z, 0-9 and two marks in an 8x8 grid of 64x64 cells, white with coverage as alpha:
// 512x512 grey with alpha.
PngPicture MakeAlphabetSheet(Font& serif);
// A pizza seen from above on a gingham cloth: 512x512 RGB.
PngPicture MakePizza();
// A winter camp at night under the northern lights, a sleeping bag by the fire: 512x512 RGB with
// a gAMA chunk.
PngPicture MakeCamp();
// Mountains and a lake at sunset in 256 colours: 640x480, palette.
PngPicture MakeLandscape();

#endif
