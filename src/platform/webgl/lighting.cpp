// Materials, light 0 and the shade model, and the shading that each draw is made with: the
// matrices and OpenGL 1.1's lighting terms that do not change from vertex to vertex.
#include <algorithm>
#include <cstring>

#include "layer_state.h"

namespace {

// OpenGL's light model ambient, and light 0's colours; none of them is ever changed.
const float LightModelAmbient[3] = {0.2f, 0.2f, 0.2f};
const float Light0Ambient[3] = {0.0f, 0.0f, 0.0f};
const float Light0Diffuse[3] = {1.0f, 1.0f, 1.0f};
const float Light0Specular[3] = {1.0f, 1.0f, 1.0f};

// Inverse transpose of the upper 3x3 of m (column-major 3x3 out); the transpose itself where it
// has no inverse, as that leaves normals at least pointing somewhere.
void NormalMatrix(const Matrix& m, float out[9]) {
    auto at = [&](int row, int column) { return double(m.m[column * 4 + row]); };
    const double c00 = at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1);
    const double c01 = at(1, 2) * at(2, 0) - at(1, 0) * at(2, 2);
    const double c02 = at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0);
    const double c10 = at(0, 2) * at(2, 1) - at(0, 1) * at(2, 2);
    const double c11 = at(0, 0) * at(2, 2) - at(0, 2) * at(2, 0);
    const double c12 = at(0, 1) * at(2, 0) - at(0, 0) * at(2, 1);
    const double c20 = at(0, 1) * at(1, 2) - at(0, 2) * at(1, 1);
    const double c21 = at(0, 2) * at(1, 0) - at(0, 0) * at(1, 2);
    const double c22 = at(0, 0) * at(1, 1) - at(0, 1) * at(1, 0);
    const double determinant = at(0, 0) * c00 + at(0, 1) * c01 + at(0, 2) * c02;
    // The inverse transpose is the cofactor matrix over the determinant: (row r, column c) is
    // the cofactor c_rc.
    const double cofactors[3][3] = {{c00, c01, c02}, {c10, c11, c12}, {c20, c21, c22}};
    for (int row = 0; row < 3; row++) {
        for (int column = 0; column < 3; column++) {
            out[column * 3 + row] = determinant != 0.0
                                        ? static_cast<float>(cofactors[row][column] / determinant)
                                        : static_cast<float>(at(column, row));
        }
    }
}

void SetMaterial(Material& material, GLenum pname, const GLfloat* params) {
    switch (pname) {
    case GL_AMBIENT:
        std::memcpy(material.ambient, params, sizeof(material.ambient));
        break;
    case GL_DIFFUSE:
        std::memcpy(material.diffuse, params, sizeof(material.diffuse));
        break;
    case GL_SPECULAR:
        std::memcpy(material.specular, params, sizeof(material.specular));
        break;
    case GL_EMISSION:
        std::memcpy(material.emission, params, sizeof(material.emission));
        break;
    case GL_SHININESS:
        // OpenGL's range; outside it the call is refused.
        if (params[0] >= 0.0f && params[0] <= 128.0f) material.shininess = params[0];
        break;
    }
}

bool IsMaterialName(GLenum pname) {
    return pname == GL_AMBIENT || pname == GL_DIFFUSE || pname == GL_SPECULAR ||
           pname == GL_EMISSION || pname == GL_SHININESS;
}

}  // namespace

void ApplyMaterialCall(LayerContext& context, const MaterialCall& call) {
    SetMaterial(context.front, call.pname, call.values);
}

Shading CurrentShading(LayerContext& context) {
    Shading shading = {};
    const Matrix& modelView = context.modelView.entries[context.modelView.top];
    const Matrix& projection = context.projection.entries[context.projection.top];
    std::memcpy(shading.modelViewProjection, Multiply(projection, modelView).m, sizeof(Matrix));
    shading.lighting = context.lighting;
    if (context.lighting) {
        const Material& material = context.front;
        std::memcpy(shading.modelView, modelView.m, sizeof(Matrix));
        NormalMatrix(modelView, shading.normalMatrix);
        shading.normalize = context.normalize;
        shading.light0 = context.light0;
        std::memcpy(shading.lightPosition, context.lightPosition, sizeof(shading.lightPosition));
        const float* m = modelView.m;
        shading.nearLight = shading.lightPosition[3] != 0.0f && m[3] == 0.0f && m[7] == 0.0f &&
                            m[11] == 0.0f && m[15] == 1.0f;
        if (shading.nearLight) {
            for (int i = 0; i < 4; i++) shading.lightPosition[i] /= context.lightPosition[3];
        }
        for (int i = 0; i < 3; i++) {
            const float lights = LightModelAmbient[i] + (context.light0 ? Light0Ambient[i] : 0.0f);
            shading.sceneColor[i] = material.emission[i] + material.ambient[i] * lights;
            shading.diffuseProduct[i] = material.diffuse[i] * Light0Diffuse[i];
            shading.specularProduct[i] = material.specular[i] * Light0Specular[i];
        }
        shading.shininess = material.shininess;
        shading.alpha = std::min(std::max(material.diffuse[3], 0.0f), 1.0f);
    }
    shading.texture = CompleteBoundTexture(context);
    return shading;
}

extern "C" {

void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || params == nullptr || context->inBatch || !IsMaterialName(pname)) return;
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK) return;  // the back is never shaded
    MaterialCall call = {pname, {0, 0, 0, 0}};
    std::memcpy(call.values, params, (pname == GL_SHININESS ? 1 : 4) * sizeof(float));
    if (context->compiling) {
        RecordMaterialCall(*context, call);
    } else {
        ApplyMaterialCall(*context, call);
    }
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if (pname == GL_SHININESS) glMaterialfv(face, pname, &param);
}

void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    LayerContext* context = CurrentLayer();
    if (context == nullptr || params == nullptr || light != GL_LIGHT0 || pname != GL_POSITION) return;
    // Into eye space through the model-view matrix of the moment, as OpenGL stores it.
    const Matrix& modelView = context->modelView.entries[context->modelView.top];
    for (int row = 0; row < 4; row++) {
        float sum = 0.0f;
        for (int k = 0; k < 4; k++) sum += modelView.m[k * 4 + row] * params[k];
        context->lightPosition[row] = sum;
    }
}

void glShadeModel(GLenum) {
    // Smooth shading is all that the layer draws.
}

}  // extern "C"
