#include "glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

struct FontFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Font::Font(const std::string& path) {
    auto* f = new FontFace;
    if (FT_Init_FreeType(&f->library) != 0) {
        delete f;
        return;
    }
    if (FT_New_Face(f->library, path.c_str(), 0, &f->face) != 0) {
        std::fprintf(stderr, "imagegen: cannot open font %s\n", path.c_str());
        FT_Done_FreeType(f->library);
        delete f;
        return;
    }
    face_ = f;
}

Font::~Font() {
    if (face_ == nullptr) return;
    FT_Done_Face(face_->face);
    FT_Done_FreeType(face_->library);
    delete face_;
}

namespace {

const FT_Int32 LoadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;

// Calls visit(glyph slot, pen x in pixels) for each character, after kerning.
template <typename Visit>
double WalkText(FT_Face face, const std::string& text, int pixelSize, Visit visit) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    double pen = 0.0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        const FT_UInt index = FT_Get_Char_Index(face, ch);
        if (previous != 0 && FT_HAS_KERNING(face)) {
            FT_Vector kerning;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kerning) == 0) pen += kerning.x / 64.0;
        }
        if (visit(index, pen)) pen += face->glyph->advance.x / 64.0;
        previous = index;
    }
    return pen;
}

}  // namespace

double Font::TextWidth(const std::string& text, int pixelSize) {
    if (face_ == nullptr) return 0.0;
    FT_Face face = face_->face;
    return WalkText(face, text, pixelSize, [&](FT_UInt index, double) {
        return FT_Load_Glyph(face, index, LoadFlags) == 0;
    });
}

double Font::CapHeight(int pixelSize) {
    if (face_ == nullptr) return 0.0;
    FT_Face face = face_->face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    if (FT_Load_Char(face, 'H', LoadFlags) != 0) return 0.0;
    return face->glyph->metrics.horiBearingY / 64.0;
}

void Font::Draw(Mask* mask, const std::string& text, int pixelSize, double x, double baseline) {
    if (face_ == nullptr) return;
    FT_Face face = face_->face;
    WalkText(face, text, pixelSize, [&](FT_UInt index, double pen) {
        if (FT_Load_Glyph(face, index, LoadFlags) != 0) return false;
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        const int left = static_cast<int>(x + pen + 0.5) + face->glyph->bitmap_left;
        const int top = static_cast<int>(baseline + 0.5) - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int mx = left + static_cast<int>(col);
                const int my = top + static_cast<int>(row);
                if (mx < 0 || my < 0 || mx >= mask->width || my >= mask->height) continue;
                double& v = mask->values[static_cast<size_t>(my) * mask->width + mx];
                v = std::max(v, bitmap.buffer[row * bitmap.pitch + col] / 255.0);
            }
        }
        return true;
    });
}
