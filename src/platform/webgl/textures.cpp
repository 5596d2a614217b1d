// 2D textures over WebGL's, the unpack settings and their stack, and the one query. Texture
// names are the context's own, from 1, as OpenGL hands them out; each stands for a WebGL texture.
#include <webgl/webgl1.h>  // emscripten_gl*, and GL_* values that match gl.h's
#include <webgl/webgl2.h>

#include "layer_state.h"

namespace {

const GLint Nearest = 0x2600;

// The texture bound now, made (with its WebGL texture) when the name is new.
Texture& BoundTexture(LayerContext& context) {
    Texture& texture = context.textures[context.boundTexture];
    if (texture.webgl == 0) emscripten_glGenTextures(1, &texture.webgl);
    return texture;
}

// Binds the texture's WebGL texture, for the calls that change it.
Texture& BindForChange(LayerContext& context) {
    Texture& texture = BoundTexture(context);
    emscripten_glBindTexture(GL_TEXTURE_2D, texture.webgl);
    return texture;
}

bool UsesMipmaps(GLint minFilter) { return minFilter != Nearest && minFilter != GL_LINEAR; }

// OpenGL 1.1's rule: level 0 defined, and with a mipmapping filter every level down to 1x1,
// each half the size of the one above (a side at 1 stays 1), all of one format.
bool IsComplete(const Texture& texture) {
    const TextureLevel& base = texture.levels[0];
    if (base.width <= 0 || base.height <= 0) return false;
    if (!UsesMipmaps(texture.minFilter)) return true;
    int width = base.width, height = base.height;
    for (int level = 1; width > 1 || height > 1; level++) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        if (level >= MaxTextureLevels) return false;
        const TextureLevel& next = texture.levels[level];
        if (next.width != width || next.height != height || next.format != base.format) return false;
    }
    return true;
}

bool IsPowerOfTwoOrZero(int side) { return (side & (side - 1)) == 0; }

}  // namespace

std::uint32_t CompleteBoundTexture(LayerContext& context) {
    if (!context.texture2D) return 0;
    auto found = context.textures.find(context.boundTexture);
    if (found == context.textures.end() || !IsComplete(found->second)) return 0;
    return found->second.webgl;
}

void DeleteListsAndTextures(LayerContext& context) {
    for (auto& entry : context.lists) DeleteStaticGeometry(context.renderer, entry.second.geometry);
    context.lists.clear();
    DeleteStaticGeometry(context.renderer, context.builder.list.geometry);
    for (auto& entry : context.textures) {
        if (entry.second.webgl != 0) emscripten_glDeleteTextures(1, &entry.second.webgl);
    }
    context.textures.clear();
}

extern "C" {

void glGenTextures(GLsizei n, GLuint* textures) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || textures == nullptr) return;
    for (GLsizei i = 0; i < n; i++) {
        while (context->textures.count(context->nextTexture) != 0) context->nextTexture++;
        textures[i] = context->nextTexture;
        context->textures[context->nextTexture];  // reserved, made in WebGL when first bound
        context->nextTexture++;
    }
}

void glBindTexture(GLenum target, GLuint texture) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || target != GL_TEXTURE_2D) return;
    context->boundTexture = texture;
    BindForChange(*context);
}

void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || target != GL_TEXTURE_2D) return;
    if (pname != GL_TEXTURE_MIN_FILTER && pname != GL_TEXTURE_MAG_FILTER) return;
    Texture& texture = BindForChange(*context);
    emscripten_glTexParameteri(GL_TEXTURE_2D, pname, param);
    if (pname == GL_TEXTURE_MIN_FILTER) texture.minFilter = param;
}

void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || target != GL_TEXTURE_2D || border != 0 || type != GL_UNSIGNED_BYTE) return;
    if (internalformat == 3) internalformat = GL_RGB;
    if (internalformat == 4) internalformat = GL_RGBA;
    if ((format != GL_RGB && format != GL_RGBA) || GLenum(internalformat) != format) return;
    // OpenGL 1.1 takes power-of-two sides only.
    if (level < 0 || level >= MaxTextureLevels || width < 0 || height < 0 ||
        !IsPowerOfTwoOrZero(width) || !IsPowerOfTwoOrZero(height)) {
        return;
    }
    Texture& texture = BindForChange(*context);
    emscripten_glTexImage2D(GL_TEXTURE_2D, level, internalformat, width, height, 0, format, type,
                            pixels);
    texture.levels[level] = TextureLevel{width, height, format};
}

void glPixelStorei(GLenum pname, GLint param) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr) return;
    UnpackSettings& unpack = context->unpack;
    switch (pname) {
    // Byte order within a component: no effect on the byte components the layer takes.
    case GL_UNPACK_SWAP_BYTES:
        unpack.swapBytes = param != 0;
        return;
    case GL_UNPACK_LSB_FIRST:
        unpack.lsbFirst = param != 0;
        return;
    case GL_UNPACK_ROW_LENGTH:
        if (param < 0) return;
        unpack.rowLength = param;
        break;
    case GL_UNPACK_SKIP_ROWS:
        if (param < 0) return;
        unpack.skipRows = param;
        break;
    case GL_UNPACK_SKIP_PIXELS:
        if (param < 0) return;
        unpack.skipPixels = param;
        break;
    case GL_UNPACK_ALIGNMENT:
        if (param != 1 && param != 2 && param != 4 && param != 8) return;
        unpack.alignment = param;
        break;
    default:
        return;
    }
    // WebGL 2 reads the pixels with these, as OpenGL does.
    emscripten_glPixelStorei(pname, param);
}

void glPushClientAttrib(GLbitfield mask) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || context->unpackStack.size() >= ClientAttribStackDepth) return;
    // Only the unpack settings are kept; pushed whatever the mask, as each push needs its pop.
    (void)mask;
    context->unpackStack.push_back(context->unpack);
}

void glPopClientAttrib(void) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || context->unpackStack.empty()) return;
    const UnpackSettings saved = context->unpackStack.back();
    context->unpackStack.pop_back();
    glPixelStorei(GL_UNPACK_SWAP_BYTES, saved.swapBytes);
    glPixelStorei(GL_UNPACK_LSB_FIRST, saved.lsbFirst);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, saved.rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, saved.skipRows);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, saved.skipPixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, saved.alignment);
}

void glGetIntegerv(GLenum pname, GLint* params) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || params == nullptr) return;
    const UnpackSettings& unpack = context->unpack;
    switch (pname) {
    case GL_MAX_TEXTURE_SIZE:
        emscripten_glGetIntegerv(pname, params);
        break;
    case GL_UNPACK_SWAP_BYTES:
        *params = unpack.swapBytes;
        break;
    case GL_UNPACK_LSB_FIRST:
        *params = unpack.lsbFirst;
        break;
    case GL_UNPACK_ROW_LENGTH:
        *params = unpack.rowLength;
        break;
    case GL_UNPACK_SKIP_ROWS:
        *params = unpack.skipRows;
        break;
    case GL_UNPACK_SKIP_PIXELS:
        *params = unpack.skipPixels;
        break;
    case GL_UNPACK_ALIGNMENT:
        *params = unpack.alignment;
        break;
    }
}

}  // extern "C"
