// The WebGL side of the fixed-function layer: the shader programs that do OpenGL 1.1's vertex
// lighting and texture modulation, the buffers that vertices are drawn from, and the draws.
// It knows nothing of OpenGL 1.1's calls: the layer hands it each draw's shading, already worked
// out, in plain numbers. Everything here needs the context's WebGL context current.
#ifndef VESKOP_WEBGL_RENDERER_H
#define VESKOP_WEBGL_RENDERER_H

#include <cstdint>
#include <vector>

// The attributes of a vertex, in the order of Vertex's fields and of the shaders' locations.
enum VertexAttribute { PositionAttribute, NormalAttribute, TexCoordAttribute, ColorAttribute };
constexpr int VertexAttributeCount = 4;
// Floats per attribute: position x y z w, normal x y z, texture s t, colour r g b a.
constexpr int AttributeSizes[VertexAttributeCount] = {4, 3, 2, 4};
constexpr int VertexFloats = 4 + 3 + 2 + 4;

// One vertex with every attribute, as immediate mode makes it.
struct Vertex {
    float values[VertexFloats];  // position, normal, texture coordinate, colour
};
constexpr int AttributeOffsets[VertexAttributeCount] = {0, 4, 7, 9};

// What a draw is shaded with, in eye space. Matrices are column-major, as OpenGL keeps them.
struct Shading {
    float modelViewProjection[16];
    bool lighting;
    // With lighting only:
    float modelView[16];
    float normalMatrix[9];     // inverse transpose of the model-view's upper 3x3
    bool normalize;            // GL_NORMALIZE
    bool light0;               // GL_LIGHT0 enabled
    float lightPosition[4];    // eye space, homogeneous; with nearLight divided by its w
    // A light at a point (w not 0) and the model-view affine, so every vertex (at w = 1) stays
    // at w = 1 in eye space: the light's direction is then a plain difference.
    bool nearLight;
    // Emission + material ambient * (light model ambient + light 0's ambient, while it is on):
    // every term that does not depend on the vertex.
    float sceneColor[3];
    float diffuseProduct[3];   // material * light 0's colours

    float specularProduct[3];
    float shininess;
    float alpha;               // material diffuse alpha, clamped to 0..1
    // Texturing: a complete texture's WebGL name, or 0 for none.
    std::uint32_t texture;
};

// A batch of triangles in a static buffer, made once. Each attribute comes from the buffer
// (interleaved, in the order of VertexAttribute), or is one value for the whole batch: the
// batch's own, or the one current when it is drawn (inherited).
struct StaticBatch {
    std::uint32_t vertexArray = 0;  // WebGL vertex array object
    int count = 0;                  // vertices (triangles * 3)
    unsigned fromBuffer = 0;        // bit per VertexAttribute
    unsigned inherited = 0;         // bit per VertexAttribute; not in fromBuffer
    float constants[VertexAttributeCount][4] = {};  // the others' values
};

// The buffer of a display list's batches; deleting it ends them.
struct StaticGeometry {
    std::uint32_t buffer = 0;
    std::vector<StaticBatch> batches;
};

// A triangle batch to be made static: vertices, three a triangle, and which attributes each
// takes from the time it is drawn.
struct BatchSource {
    std::vector<Vertex> vertices;
    unsigned inherited = 0;  // bit per VertexAttribute
};

struct RendererState;

// Puts WebGL's state as OpenGL's starts (the viewport the whole drawing buffer of width x height
// pixels), and compiles nothing yet (programs are made on first use); null when WebGL refuses a
// buffer.
RendererState* CreateRenderer(int width, int height);
// Deletes every program and buffer it made; null does nothing.
void DeleteRenderer(RendererState* renderer);

// Draws triangles (count a multiple of 3) from vertices that are uploaded for this draw.
void DrawStreamedTriangles(RendererState* renderer, const Vertex* vertices, int count,
                           const Shading& shading);

// Makes the batches' buffer: one upload for all of them, of the attributes that vary within a
// batch only.
StaticGeometry MakeStaticGeometry(RendererState* renderer, const std::vector<BatchSource>& sources);
void DeleteStaticGeometry(RendererState* renderer, StaticGeometry& geometry);
// current: the attributes current now, for those the batch inherits.
void DrawStaticBatch(RendererState* renderer, const StaticBatch& batch,
                     const float current[VertexAttributeCount][4], const Shading& shading);

#endif
