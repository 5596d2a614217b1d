// Immediate mode: the current attributes, and the vertices between glBegin and glEnd, drawn at
// glEnd with one draw (and one upload, unless the same vertices were drawn lately), or handed to
// the list being compiled.
#include <cstring>

#include "layer_state.h"

namespace {

bool IsDrawnMode(GLenum mode) { return mode == GL_TRIANGLES || mode == GL_QUADS; }

// Sets an attribute: the context's, or while a list is compiled the list's own.
void SetAttribute(int attribute, float a, float b, float c, float d) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr) return;
    const float value[4] = {a, b, c, d};
    if (context->compiling) {
        std::memcpy(context->builder.current[attribute], value, sizeof(value));
        context->builder.given |= 1u << attribute;
    } else {
        std::memcpy(context->current[attribute], value, sizeof(value));
    }
}

void AddVertex(float x, float y, float z) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || !context->inBatch) return;  // a vertex outside glBegin draws nothing
    Vertex vertex;
    const float position[4] = {x, y, z, 1.0f};
    std::memcpy(vertex.values, position, sizeof(position));
    for (int a = NormalAttribute; a < VertexAttributeCount; a++) {
        const bool fromList = context->compiling && (context->builder.given & (1u << a));
        const float* value = fromList ? context->builder.current[a] : context->current[a];
        std::memcpy(vertex.values + AttributeOffsets[a], value, AttributeSizes[a] * sizeof(float));
    }
    context->batch.push_back(vertex);
    if (context->compiling) {
        const unsigned all = (1u << VertexAttributeCount) - 1;
        context->batchInherited.push_back(all & ~context->builder.given & ~(1u << PositionAttribute));
    }
}

// GL_QUADS as triangles (v0, v1, v3) and (v1, v2, v3), the split Mesa's rasteriser makes, so
// that colours interpolate across each quad as they do there. An incomplete primitive at the end
// is dropped. Per-vertex records of any kind go through it alike. Into triangles, which is
// overwritten: no allocation once it has grown.
template <typename T>
void AsTriangles(GLenum mode, const std::vector<T>& vertices, std::vector<T>& triangles) {
    triangles.clear();
    if (mode == GL_TRIANGLES) {
        triangles.assign(vertices.begin(), vertices.begin() + vertices.size() / 3 * 3);
    } else if (mode == GL_QUADS) {
        triangles.reserve(vertices.size() / 4 * 6);
        for (size_t i = 0; i + 3 < vertices.size(); i += 4) {
            for (size_t corner : {0, 1, 3, 1, 2, 3}) triangles.push_back(vertices[i + corner]);
        }
    }
}

template <typename T>
std::vector<T> AsTriangles(GLenum mode, const std::vector<T>& vertices) {
    std::vector<T> triangles;
    AsTriangles(mode, vertices, triangles);
    return triangles;
}

}  // namespace

extern "C" {

void glBegin(GLenum mode) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || context->inBatch) return;
    context->inBatch = true;
    context->batchMode = mode;
    context->batch.clear();
    context->batchInherited.clear();
}

void glEnd(void) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || !context->inBatch) return;
    context->inBatch = false;
    if (!IsDrawnMode(context->batchMode)) return;
    if (context->compiling) {
        RecordBatch(*context, AsTriangles(context->batchMode, context->batch),
                    AsTriangles(context->batchMode, context->batchInherited));
        return;
    }
    AsTriangles(context->batchMode, context->batch, context->triangles);
    DrawStreamedTriangles(context->renderer, context->triangles.data(),
                          static_cast<int>(context->triangles.size()), CurrentShading(*context));
}

void glVertex2f(GLfloat x, GLfloat y) { AddVertex(x, y, 0.0f); }

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { AddVertex(x, y, z); }

void glNormal3f(GLfloat nx, GLfloat ny, GLfloat nz) { SetAttribute(NormalAttribute, nx, ny, nz, 0.0f); }

void glTexCoord2f(GLfloat s, GLfloat t) { SetAttribute(TexCoordAttribute, s, t, 0.0f, 1.0f); }

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    SetAttribute(ColorAttribute, red, green, blue, 1.0f);
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    SetAttribute(ColorAttribute, red, green, blue, alpha);
}

}  // extern "C"
