// Text into coverage masks, through FreeType (unhinted outlines, 8-bit anti-aliased coverage).
#ifndef VESKOP_IMAGEGEN_GLYPHS_H
#define VESKOP_IMAGEGEN_GLYPHS_H

#include <string>

#include "paint.h"

struct FontFace;

class Font {
public:
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool ok() const { return face_ != nullptr; }

    // Pen advance of text in pixels at pixelSize (em height in pixels), kerning included.
    double TextWidth(const std::string& text, int pixelSize);
    // Height above the baseline of capital letters, in pixels at pixelSize.
    double CapHeight(int pixelSize);
    // Adds text to the mask (coverage combined by maximum), the pen starting at (x, baseline)
    // in mask pixels.
    void Draw(Mask* mask, const std::string& text, int pixelSize, double x, double baseline);

private:
    FontFace* face_ = nullptr;
};

#endif
