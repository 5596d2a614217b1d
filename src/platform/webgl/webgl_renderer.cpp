// Shader programs and draws over WebGL 2, through Emscripten's emscripten_gl* names (the gl*
// names are the layer's own OpenGL 1.1 calls).
//
// A program is compiled for each combination of the switches a draw needs (lighting, light 0,
// normalisation, texturing, a light at a point, a white colour under the texture), the first
// time it is needed, so that no shader branches on them or does work that changes nothing.
// Uniforms, attribute values and the vertex array binding are sent only when they differ from
// what WebGL holds.
#include "webgl_renderer.h"

#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

enum ProgramSwitch : unsigned {
    LightingSwitch = 1,
    Light0Switch = 2,
    NormalizeSwitch = 4,
    TexturingSwitch = 8,
    NearLightSwitch = 16,
    WhiteTextureSwitch = 32,
};
constexpr unsigned ProgramVariants = 64;

// Where each uniform is; -1 where the variant has none.
struct Uniforms {
    GLint modelViewProjection, modelView, normalMatrix, lightPosition, sceneColor, diffuseProduct,
        specularProduct, shininess, alpha, texture;
};

struct Program {
    GLuint name = 0;  // 0 until made; stays 0 when WebGL refuses it
    bool tried = false;
    Uniforms at = {};
    Shading sent = {};  // what its uniforms hold
    bool anythingSent = false;
};

const char* const AttributeNames[VertexAttributeCount] = {"a_position", "a_normal", "a_texcoord",
                                                          "a_color"};

// Each variant takes only the attributes it uses: a declared one is fetched for every vertex
// even when nothing reads it.
//
// OpenGL 1.1's lighting of one vertex by one light with a constant attenuation of 1 and no
// spot, one-sided, with the viewer at infinity (the half vector uses (0, 0, 1)): what the
// fixed-function pipeline of Mesa computes. The diffuse and specular terms count only where
// the light falls on the front of the surface.
const char VertexShader[] = R"(
in vec4 a_position;
uniform mat4 u_modelViewProjection;
#ifndef WHITE_TEXTURE
out vec4 v_color;
#endif
#ifdef TEXTURING
in vec2 a_texcoord;
out vec2 v_texcoord;
#endif
#ifdef LIGHTING
in vec3 a_normal;
uniform mat4 u_modelView;
uniform mat3 u_normalMatrix;
uniform vec4 u_lightPosition;
uniform vec3 u_sceneColor;
uniform vec3 u_diffuseProduct;
uniform vec3 u_specularProduct;
uniform float u_shininess;
uniform float u_alpha;
#elif !defined(WHITE_TEXTURE)
in vec4 a_color;
#endif
void main() {
    gl_Position = u_modelViewProjection * a_position;
#ifdef TEXTURING
    v_texcoord = a_texcoord;
#endif
#ifdef LIGHTING
    vec3 color = u_sceneColor;
#ifdef LIGHT0
    vec4 eye = u_modelView * a_position;
    vec3 normal = u_normalMatrix * a_normal;
#ifdef NORMALIZE
    normal = normalize(normal);
#endif
#ifdef NEAR_LIGHT
    vec3 toLight = normalize(u_lightPosition.xyz - eye.xyz);
#else
    vec3 toLight = u_lightPosition.w == 0.0
        ? u_lightPosition.xyz
        : u_lightPosition.xyz / u_lightPosition.w - eye.xyz / eye.w;
    toLight = normalize(toLight);
#endif
    float facing = dot(normal, toLight);
    if (facing > 0.0) {
        color += facing * u_diffuseProduct;
        float halfFacing = dot(normal, normalize(toLight + vec3(0.0, 0.0, 1.0)));
        if (halfFacing > 0.0) color += pow(halfFacing, u_shininess) * u_specularProduct;
    }
#endif
    v_color = vec4(clamp(color, 0.0, 1.0), u_alpha);
#elif !defined(WHITE_TEXTURE)
    v_color = clamp(a_color, 0.0, 1.0);
#endif
}
)";

// GL_MODULATE: the texel times the vertex colour; under a white colour, the texel itself.
const char FragmentShader[] = R"(
precision highp float;
out vec4 fragColor;
#ifdef TEXTURING
in vec2 v_texcoord;
uniform sampler2D u_texture;
#endif
#ifdef WHITE_TEXTURE
void main() {
    fragColor = texture(u_texture, v_texcoord);
}
#else
in vec4 v_color;
void main() {
    fragColor = v_color;
#ifdef TEXTURING
    fragColor *= texture(u_texture, v_texcoord);
#endif
}
#endif
)";

std::string Defines(unsigned variant) {
    std::string text = "#version 300 es\n";
    if (variant & LightingSwitch) text += "#define LIGHTING\n";
    if (variant & Light0Switch) text += "#define LIGHT0\n";
    if (variant & NormalizeSwitch) text += "#define NORMALIZE\n";
    if (variant & TexturingSwitch) text += "#define TEXTURING\n";
    if (variant & NearLightSwitch) text += "#define NEAR_LIGHT\n";
    if (variant & WhiteTextureSwitch) text += "#define WHITE_TEXTURE\n";
    return text;
}

GLuint CompileShader(GLenum type, const std::string& source) {
    GLuint shader = emscripten_glCreateShader(type);
    const GLchar* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
    emscripten_glCompileShader(shader);
    GLint compiled = GL_FALSE;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        std::fprintf(stderr, "fixed-function layer: a shader does not compile: %s\n", log);
        emscripten_glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint LinkProgram(unsigned variant) {
    GLuint vertex = CompileShader(GL_VERTEX_SHADER, Defines(variant) + VertexShader);
    GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, Defines(variant) + FragmentShader);
    GLuint program = 0;
    if (vertex != 0 && fragment != 0) {
        program = emscripten_glCreateProgram();
        emscripten_glAttachShader(program, vertex);
        emscripten_glAttachShader(program, fragment);
        for (int i = 0; i < VertexAttributeCount; i++) {
            emscripten_glBindAttribLocation(program, i, AttributeNames[i]);
        }
        emscripten_glLinkProgram(program);
        GLint linked = GL_FALSE;
        emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            std::fprintf(stderr, "fixed-function layer: a shader program does not link\n");
            emscripten_glDeleteProgram(program);
            program = 0;
        }
    }
    if (vertex != 0) emscripten_glDeleteShader(vertex);
    if (fragment != 0) emscripten_glDeleteShader(fragment);
    return program;
}

}  // namespace

// A buffer of streamed vertices. The same vertices drawn again (a frame's immediate-mode
// batches are those of the frame before, mostly) are drawn from it without a new upload.
struct StreamBuffer {
    GLuint buffer = 0;
    GLuint vertexArray = 0;
    std::vector<Vertex> vertices;  // what it holds
    unsigned long lastUse = 0;
};
// Enough for the batches of a frame; a batch larger than MaxKeptVertices is never looked for.
constexpr int StreamBufferCount = 8;
constexpr size_t MaxKeptVertices = 4096;

struct RendererState {
    Program programs[ProgramVariants];
    GLuint current = 0;  // the program in use
    unsigned currentReads = 0;  // the attributes it reads: bit per VertexAttribute
    // The values of attributes without an array, as last given to WebGL (context state, not
    // the vertex array's); knownConstants: bit per attribute whose value is known.
    float constants[VertexAttributeCount][4] = {};
    unsigned knownConstants = 0;
    GLuint boundArray = 0;  // the vertex array object bound now
    StreamBuffer streams[StreamBufferCount];
    unsigned long draws = 0;  // streamed draws so far
};

namespace {

// white: every vertex's colour is opaque white.
unsigned VariantOf(const Shading& shading, bool white) {
    unsigned variant = 0;
    if (shading.lighting) {
        variant |= LightingSwitch;
        if (shading.light0) variant |= Light0Switch;
        if (shading.normalize) variant |= NormalizeSwitch;
        if (shading.nearLight) variant |= NearLightSwitch;
    }
    if (shading.texture != 0) variant |= TexturingSwitch;
    if (white && !shading.lighting && shading.texture != 0) variant |= WhiteTextureSwitch;
    return variant;
}

Program* ProgramFor(RendererState* renderer, unsigned variant) {
    Program& program = renderer->programs[variant];
    if (!program.tried) {
        program.tried = true;
        program.name = LinkProgram(variant);
        if (program.name != 0) {
            auto at = [&](const char* name) { return emscripten_glGetUniformLocation(program.name, name); };
            program.at = Uniforms{at("u_modelViewProjection"), at("u_modelView"),
                                  at("u_normalMatrix"),        at("u_lightPosition"),
                                  at("u_sceneColor"),          at("u_diffuseProduct"),
                                  at("u_specularProduct"),     at("u_shininess"),
                                  at("u_alpha"),               at("u_texture")};
        }
    }
    return program.name != 0 ? &program : nullptr;
}

bool Differs(const float* a, const float* b, int count) {
    return std::memcmp(a, b, sizeof(float) * count) != 0;
}

// Sends what changed since the program's last draw.
void SendUniforms(Program& program, const Shading& shading) {
    const Uniforms& at = program.at;
    Shading& sent = program.sent;
    const bool all = !program.anythingSent;
    if (all || Differs(sent.modelViewProjection, shading.modelViewProjection, 16))
        emscripten_glUniformMatrix4fv(at.modelViewProjection, 1, GL_FALSE, shading.modelViewProjection);
    if (at.modelView >= 0 && (all || Differs(sent.modelView, shading.modelView, 16)))
        emscripten_glUniformMatrix4fv(at.modelView, 1, GL_FALSE, shading.modelView);
    if (at.normalMatrix >= 0 && (all || Differs(sent.normalMatrix, shading.normalMatrix, 9)))
        emscripten_glUniformMatrix3fv(at.normalMatrix, 1, GL_FALSE, shading.normalMatrix);
    if (at.lightPosition >= 0 && (all || Differs(sent.lightPosition, shading.lightPosition, 4)))
        emscripten_glUniform4fv(at.lightPosition, 1, shading.lightPosition);
    if (at.sceneColor >= 0 && (all || Differs(sent.sceneColor, shading.sceneColor, 3)))
        emscripten_glUniform3fv(at.sceneColor, 1, shading.sceneColor);
    if (at.diffuseProduct >= 0 && (all || Differs(sent.diffuseProduct, shading.diffuseProduct, 3)))
        emscripten_glUniform3fv(at.diffuseProduct, 1, shading.diffuseProduct);
    if (at.specularProduct >= 0 && (all || Differs(sent.specularProduct, shading.specularProduct, 3)))
        emscripten_glUniform3fv(at.specularProduct, 1, shading.specularProduct);
    if (at.shininess >= 0 && (all || sent.shininess != shading.shininess))
        emscripten_glUniform1f(at.shininess, shading.shininess);
    if (at.alpha >= 0 && (all || sent.alpha != shading.alpha))
        emscripten_glUniform1f(at.alpha, shading.alpha);
    if (at.texture >= 0 && all) emscripten_glUniform1i(at.texture, 0);
    sent = shading;
    program.anythingSent = true;
}

// The attributes a variant's vertex shader reads: bit per VertexAttribute.
unsigned AttributesRead(unsigned variant) {
    unsigned reads = 1u << PositionAttribute;
    if (variant & LightingSwitch) reads |= 1u << NormalAttribute;
    if (variant & TexturingSwitch) reads |= 1u << TexCoordAttribute;
    if (!(variant & (LightingSwitch | WhiteTextureSwitch))) reads |= 1u << ColorAttribute;
    return reads;
}

const float White[4] = {1.0f, 1.0f, 1.0f, 1.0f};

bool IsWhite(const float* color) { return !Differs(color, White, 4); }

// Puts the program of this shading in use with its uniforms; false when there is none.
bool PrepareDraw(RendererState* renderer, const Shading& shading, bool white) {
    const unsigned variant = VariantOf(shading, white);
    Program* program = ProgramFor(renderer, variant);
    if (program == nullptr) return false;
    if (renderer->current != program->name) {
        emscripten_glUseProgram(program->name);
        renderer->current = program->name;
    }
    renderer->currentReads = AttributesRead(variant);
    SendUniforms(*program, shading);
    // The layer's texture calls bind textures too, so the binding is not remembered here.
    if (shading.texture != 0) emscripten_glBindTexture(GL_TEXTURE_2D, shading.texture);
    return true;
}

// size: floats per vertex; stride and offset in bytes.
void PointAttribute(int attribute, int size, GLsizei stride, long offset) {
    emscripten_glEnableVertexAttribArray(attribute);
    emscripten_glVertexAttribPointer(attribute, size, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(offset));
}

// Draws from vertex array `array`, binding it only when another one is bound.
void DrawArrays(RendererState* renderer, GLuint array, int count) {
    if (renderer->boundArray != array) {
        emscripten_glBindVertexArray(array);
        renderer->boundArray = array;
    }
    emscripten_glDrawArrays(GL_TRIANGLES, 0, count);
}

}  // namespace

RendererState* CreateRenderer(int width, int height) {
    // A canvas has one WebGL context for good: one made again on the same canvas is the old one,
    // with whatever state it was left in. OpenGL's initial state, where it is WebGL's.
    emscripten_glDisable(GL_BLEND);
    emscripten_glDisable(GL_DEPTH_TEST);
    emscripten_glBlendFunc(GL_ONE, GL_ZERO);
    emscripten_glDepthFunc(GL_LESS);
    emscripten_glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    emscripten_glClearDepthf(1.0f);
    emscripten_glViewport(0, 0, width, height);
    for (GLenum pname : {GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS}) {
        emscripten_glPixelStorei(pname, 0);
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    emscripten_glBindTexture(GL_TEXTURE_2D, 0);
    emscripten_glBindVertexArray(0);
    emscripten_glUseProgram(0);
    RendererState* renderer = new RendererState();
    for (StreamBuffer& stream : renderer->streams) {
        emscripten_glGenBuffers(1, &stream.buffer);
        emscripten_glGenVertexArrays(1, &stream.vertexArray);
        if (stream.buffer == 0 || stream.vertexArray == 0) {
            DeleteRenderer(renderer);
            return nullptr;
        }
        emscripten_glBindVertexArray(stream.vertexArray);
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, stream.buffer);
        for (int i = 0; i < VertexAttributeCount; i++) {
            PointAttribute(i, AttributeSizes[i], sizeof(Vertex), AttributeOffsets[i] * sizeof(float));
        }
    }
    emscripten_glBindVertexArray(0);
    return renderer;
}

void DeleteRenderer(RendererState* renderer) {
    if (renderer == nullptr) return;
    for (Program& program : renderer->programs) {
        if (program.name != 0) emscripten_glDeleteProgram(program.name);
    }
    for (StreamBuffer& stream : renderer->streams) {
        if (stream.vertexArray != 0) emscripten_glDeleteVertexArrays(1, &stream.vertexArray);
        if (stream.buffer != 0) emscripten_glDeleteBuffers(1, &stream.buffer);
    }
    delete renderer;
}

void DrawStreamedTriangles(RendererState* renderer, const Vertex* vertices, int count,
                           const Shading& shading) {
    if (count < 3) return;
    bool white = true;
    for (int v = 0; v < count && white; v++) white = IsWhite(vertices[v].values + AttributeOffsets[ColorAttribute]);
    if (!PrepareDraw(renderer, shading, white)) return;
    const size_t bytes = static_cast<size_t>(count) * sizeof(Vertex);
    StreamBuffer* use = nullptr;
    for (StreamBuffer& stream : renderer->streams) {
        if (stream.vertices.size() == size_t(count) && std::memcmp(stream.vertices.data(), vertices, bytes) == 0) {
            use = &stream;
            break;
        }
    }
    if (use == nullptr) {
        // The one unused longest: overwriting a buffer that a draw in flight still reads would
        // make WebGL wait for that draw, so it gets new storage too.
        use = &renderer->streams[0];
        for (StreamBuffer& stream : renderer->streams) {
            if (stream.lastUse < use->lastUse) use = &stream;
        }
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, use->buffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, bytes, vertices, GL_STREAM_DRAW);
        if (size_t(count) <= MaxKeptVertices) {
            use->vertices.assign(vertices, vertices + count);
        } else {
            use->vertices.clear();
        }
    }
    use->lastUse = ++renderer->draws;
    DrawArrays(renderer, use->vertexArray, count);
}

namespace {

// Where a batch's attributes are in the buffer of its list.
struct BatchLayout {
    long offset = 0;                      // bytes into the buffer
    int stride = 0;                       // bytes
    int sizes[VertexAttributeCount] = {};  // floats fetched per attribute; 0: not in the buffer
};

bool SameInEveryVertex(const BatchSource& source, int attribute) {
    const float* first = source.vertices[0].values + AttributeOffsets[attribute];
    for (const Vertex& vertex : source.vertices) {
        if (Differs(first, vertex.values + AttributeOffsets[attribute], AttributeSizes[attribute])) {
            return false;
        }
    }
    return true;
}

// Decides which attributes the batch fetches, appends them to packed and says where they are.
BatchLayout PackBatch(const BatchSource& source, StaticBatch& batch, std::vector<float>& packed) {
    BatchLayout layout;
    layout.offset = static_cast<long>(packed.size() * sizeof(float));
    for (int a = 0; a < VertexAttributeCount; a++) {
        if (batch.inherited & (1u << a)) continue;
        // Position always comes from the buffer: WebGL draws nothing without one array. Any
        // other attribute that is the same in every vertex is drawn as one value, not fetched.
        if (a != PositionAttribute && SameInEveryVertex(source, a)) {
            std::memcpy(batch.constants[a], source.vertices[0].values + AttributeOffsets[a],
                        sizeof(float) * AttributeSizes[a]);
            continue;
        }
        batch.fromBuffer |= 1u << a;
        layout.sizes[a] = AttributeSizes[a];
    }
    // Positions at w = 1 (all of them, from glVertex2f and glVertex3f) are fetched as x y z,
    // and WebGL supplies the 1.
    bool allAtOne = true;
    for (const Vertex& vertex : source.vertices) allAtOne = allAtOne && vertex.values[3] == 1.0f;
    if (allAtOne) layout.sizes[PositionAttribute] = 3;
    for (int a = 0; a < VertexAttributeCount; a++) layout.stride += layout.sizes[a] * sizeof(float);
    for (const Vertex& vertex : source.vertices) {
        for (int a = 0; a < VertexAttributeCount; a++) {
            const float* value = vertex.values + AttributeOffsets[a];
            packed.insert(packed.end(), value, value + layout.sizes[a]);
        }
    }
    return layout;
}

}  // namespace

StaticGeometry MakeStaticGeometry(RendererState* renderer, const std::vector<BatchSource>& sources) {
    StaticGeometry geometry;
    std::vector<float> packed;
    std::vector<BatchLayout> layouts;
    for (const BatchSource& source : sources) {
        StaticBatch batch;
        batch.count = static_cast<int>(source.vertices.size());
        batch.inherited = source.inherited;
        layouts.push_back(batch.count > 0 ? PackBatch(source, batch, packed) : BatchLayout());
        geometry.batches.push_back(batch);
    }
    if (packed.empty()) return geometry;
    emscripten_glGenBuffers(1, &geometry.buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, geometry.buffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, packed.size() * sizeof(float), packed.data(),
                            GL_STATIC_DRAW);
    for (size_t i = 0; i < geometry.batches.size(); i++) {
        StaticBatch& batch = geometry.batches[i];
        if (batch.count == 0) continue;
        emscripten_glGenVertexArrays(1, &batch.vertexArray);
        emscripten_glBindVertexArray(batch.vertexArray);
        long offset = layouts[i].offset;
        for (int a = 0; a < VertexAttributeCount; a++) {
            if (layouts[i].sizes[a] == 0) continue;
            PointAttribute(a, layouts[i].sizes[a], layouts[i].stride, offset);
            offset += layouts[i].sizes[a] * sizeof(float);
        }
    }
    emscripten_glBindVertexArray(0);
    renderer->boundArray = 0;
    return geometry;
}

void DeleteStaticGeometry(RendererState* renderer, StaticGeometry& geometry) {
    for (StaticBatch& batch : geometry.batches) {
        if (batch.vertexArray == 0) continue;
        if (renderer != nullptr && renderer->boundArray == batch.vertexArray) {
            renderer->boundArray = 0;  // WebGL unbinds it
        }
        emscripten_glDeleteVertexArrays(1, &batch.vertexArray);
    }
    if (geometry.buffer != 0) emscripten_glDeleteBuffers(1, &geometry.buffer);
    geometry = StaticGeometry();
}

void DrawStaticBatch(RendererState* renderer, const StaticBatch& batch,
                     const float current[VertexAttributeCount][4], const Shading& shading) {
    const unsigned color = 1u << ColorAttribute;
    const bool white = !(batch.fromBuffer & color) &&
                       IsWhite(batch.inherited & color ? current[ColorAttribute] : batch.constants[ColorAttribute]);
    if (batch.vertexArray == 0 || !PrepareDraw(renderer, shading, white)) return;
    // Values of attributes without an array belong to the context, not to the vertex array:
    // given only where the program reads them and they changed, as each one costs WebGL a
    // change of its vertex input state.
    for (int a = 0; a < VertexAttributeCount; a++) {
        const unsigned bit = 1u << a;
        if ((batch.fromBuffer & bit) || !(renderer->currentReads & bit)) continue;
        const float* value = (batch.inherited & bit) ? current[a] : batch.constants[a];
        if ((renderer->knownConstants & bit) && !Differs(renderer->constants[a], value, 4)) continue;
        emscripten_glVertexAttrib4fv(a, value);
        std::memcpy(renderer->constants[a], value, sizeof(renderer->constants[a]));
        renderer->knownConstants |= bit;
    }
    DrawArrays(renderer, batch.vertexArray, batch.count);
}
