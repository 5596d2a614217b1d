// The state of one rendering context of the fixed-function layer: what OpenGL 1.1 keeps for the
// calls of gl.h and glu.h, and the WebGL objects that stand for its lists and textures.
#ifndef VESKOP_WEBGL_LAYER_STATE_H
#define VESKOP_WEBGL_LAYER_STATE_H

#include <GL/gl.h>

#include <cstdint>
#include <map>
#include <vector>

#include "webgl_renderer.h"

// Column-major, as OpenGL keeps matrices: element (row r, column c) is m[c * 4 + r].
struct Matrix {
    float m[16];
};
Matrix IdentityMatrix();
// a * b
Matrix Multiply(const Matrix& a, const Matrix& b);

constexpr int MatrixStackDepth = 32;
struct MatrixStack {
    Matrix entries[MatrixStackDepth];
    int top = 0;  // index of the current matrix
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emission[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
};

// One material call, as a list records it.
struct MaterialCall {
    GLenum pname;
    float values[4];
};

// A compiled display list: what glCallList does, in order.
struct ListStep {
    enum Kind { DrawStatic, DrawStreamed, SetMaterial } kind;
    int index;  // into geometry.batches, streamed or materials
};
struct StreamedBatch {
    std::vector<Vertex> vertices;        // triangles
    std::vector<unsigned> inherited;     // per vertex: attributes taken when it is drawn
};
struct DisplayList {
    StaticGeometry geometry;
    std::vector<StreamedBatch> streamed;  // batches whose vertices do not all inherit alike
    std::vector<MaterialCall> materials;
    std::vector<ListStep> steps;
    unsigned setsAttributes = 0;  // bit per VertexAttribute: the list leaves its own value current
    float leaves[VertexAttributeCount][4] = {};
};

// A list while it is being compiled.
struct ListBuilder {
    GLuint name = 0;
    DisplayList list;
    std::vector<BatchSource> staticSources;
    unsigned given = 0;  // attributes given in the list so far
    float current[VertexAttributeCount][4] = {};  // their values
};

struct TextureLevel {
    int width = 0, height = 0;  // 0: not defined
    GLenum format = 0;
};
constexpr int MaxTextureLevels = 16;
struct Texture {
    GLuint webgl = 0;
    GLint minFilter = 0x2702;  // GL_NEAREST_MIPMAP_LINEAR, OpenGL's initial value
    TextureLevel levels[MaxTextureLevels];
};

struct UnpackSettings {
    GLint swapBytes = 0, lsbFirst = 0, rowLength = 0, skipRows = 0, skipPixels = 0, alignment = 4;
};
constexpr int ClientAttribStackDepth = 16;

struct LayerContext {
    RendererState* renderer = nullptr;

    GLenum matrixMode = GL_MODELVIEW;
    MatrixStack modelView, projection;

    bool lighting = false, light0 = false, normalize = false, texture2D = false;
    float lightPosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // eye space
    Material front;

    // The current attributes: position unused; normal, texture coordinate, colour.
    float current[VertexAttributeCount][4] = {
        {0, 0, 0, 1}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 1, 1, 1}};

    // Between glBegin and glEnd.
    bool inBatch = false;
    GLenum batchMode = 0;
    std::vector<Vertex> batch;
    std::vector<unsigned> batchInherited;  // per vertex, while a list is compiled
    std::vector<Vertex> triangles;         // the batch drawn at glEnd, as triangles

    std::map<GLuint, DisplayList> lists;
    bool compiling = false;
    ListBuilder builder;

    std::map<GLuint, Texture> textures;  // name 0 is the default texture, made when bound
    GLuint nextTexture = 1;
    GLuint boundTexture = 0;

    UnpackSettings unpack;
    std::vector<UnpackSettings> unpackStack;
};

// The context current on this thread, or null.
LayerContext* CurrentLayer();

// The shading of a draw made now.
Shading CurrentShading(LayerContext& context);
// The WebGL texture that texturing applies now: the bound one while GL_TEXTURE_2D is on and it
// is complete; 0 for none.
std::uint32_t CompleteBoundTexture(LayerContext& context);
void ApplyMaterialCall(LayerContext& context, const MaterialCall& call);

// While a list is compiled: a batch of triangles (with, per vertex, the attributes it takes
// when the list is called), and a material call.
void RecordBatch(LayerContext& context, std::vector<Vertex> triangles,
                 std::vector<unsigned> inherited);
void RecordMaterialCall(LayerContext& context, const MaterialCall& call);

// Runs a list (glCallList).
void RunDisplayList(LayerContext& context, const DisplayList& list);
// Frees the WebGL objects of every list and texture.
void DeleteListsAndTextures(LayerContext& context);

#endif
