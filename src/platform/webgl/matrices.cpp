// The matrix calls and GLU's two camera calls. Matrices are single precision, as in Mesa; each
// new matrix is worked out in double precision and multiplied on the right of the selected one.
#include <GL/glu.h>

#include <cmath>

#include "layer_state.h"

Matrix IdentityMatrix() {
    Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return identity;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix product;
    for (int column = 0; column < 4; column++) {
        for (int row = 0; row < 4; row++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            product.m[column * 4 + row] = sum;
        }
    }
    return product;
}

namespace {

// The stack of the selected matrix mode; null with no context.
MatrixStack* SelectedStack() {
    LayerContext* context = CurrentLayer();
    if (context == nullptr) return nullptr;
    return context->matrixMode == GL_PROJECTION ? &context->projection : &context->modelView;
}

// Element (row, column) of a matrix given in double precision.
struct DoubleMatrix {
    double m[16];
    double& at(int row, int column) { return m[column * 4 + row]; }
};

DoubleMatrix DoubleIdentity() {
    DoubleMatrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return identity;
}

void MultiplySelected(const DoubleMatrix& by) {
    MatrixStack* stack = SelectedStack();
    if (stack == nullptr) return;
    Matrix single;
    for (int i = 0; i < 16; i++) single.m[i] = static_cast<float>(by.m[i]);
    stack->entries[stack->top] = Multiply(stack->entries[stack->top], single);
}

const double Pi = 3.14159265358979323846;

}  // namespace

extern "C" {

void glMatrixMode(GLenum mode) {
    LayerContext* context = CurrentLayer();
    if (context != nullptr && (mode == GL_MODELVIEW || mode == GL_PROJECTION)) {
        context->matrixMode = mode;
    }
}

void glLoadIdentity(void) {
    MatrixStack* stack = SelectedStack();
    if (stack != nullptr) stack->entries[stack->top] = IdentityMatrix();
}

void glPushMatrix(void) {
    MatrixStack* stack = SelectedStack();
    if (stack == nullptr || stack->top + 1 >= MatrixStackDepth) return;
    stack->entries[stack->top + 1] = stack->entries[stack->top];
    stack->top++;
}

void glPopMatrix(void) {
    MatrixStack* stack = SelectedStack();
    if (stack != nullptr && stack->top > 0) stack->top--;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    DoubleMatrix translation = DoubleIdentity();
    translation.at(0, 3) = x;
    translation.at(1, 3) = y;
    translation.at(2, 3) = z;
    MultiplySelected(translation);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (length == 0.0) return;  // no axis: OpenGL leaves the matrix as it is
    const double ux = x / length, uy = y / length, uz = z / length;
    const double radians = angle * Pi / 180.0;
    const double s = std::sin(radians), c = std::cos(radians), t = 1.0 - c;
    DoubleMatrix rotation = DoubleIdentity();
    rotation.at(0, 0) = ux * ux * t + c;
    rotation.at(0, 1) = ux * uy * t - uz * s;
    rotation.at(0, 2) = ux * uz * t + uy * s;
    rotation.at(1, 0) = uy * ux * t + uz * s;
    rotation.at(1, 1) = uy * uy * t + c;
    rotation.at(1, 2) = uy * uz * t - ux * s;
    rotation.at(2, 0) = uz * ux * t - uy * s;
    rotation.at(2, 1) = uz * uy * t + ux * s;
    rotation.at(2, 2) = uz * uz * t + c;
    MultiplySelected(rotation);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar) {
    if (left == right || bottom == top || zNear == zFar) return;  // OpenGL's invalid value
    DoubleMatrix ortho = DoubleIdentity();
    ortho.at(0, 0) = 2.0 / (right - left);
    ortho.at(1, 1) = 2.0 / (top - bottom);
    ortho.at(2, 2) = -2.0 / (zFar - zNear);
    ortho.at(0, 3) = -(right + left) / (right - left);
    ortho.at(1, 3) = -(top + bottom) / (top - bottom);
    ortho.at(2, 3) = -(zFar + zNear) / (zFar - zNear);
    MultiplySelected(ortho);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2.0 * Pi / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(radians);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) return;
    const double cotangent = std::cos(radians) / sine;
    DoubleMatrix perspective = DoubleIdentity();
    perspective.at(0, 0) = cotangent / aspect;
    perspective.at(1, 1) = cotangent;
    perspective.at(2, 2) = -(zFar + zNear) / depth;
    perspective.at(3, 2) = -1.0;
    perspective.at(2, 3) = -2.0 * zNear * zFar / depth;
    perspective.at(3, 3) = 0.0;
    MultiplySelected(perspective);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    auto normalise = [](double v[3]) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length == 0.0) return;
        for (int i = 0; i < 3; i++) v[i] /= length;
    };
    auto cross = [](const double a[3], const double b[3], double out[3]) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    double side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    DoubleMatrix view = DoubleIdentity();
    for (int i = 0; i < 3; i++) {
        view.at(0, i) = side[i];
        view.at(1, i) = up[i];
        view.at(2, i) = -forward[i];
    }
    // The rotation, then the eye moved to the origin.
    view.at(0, 3) = -(side[0] * eyeX + side[1] * eyeY + side[2] * eyeZ);
    view.at(1, 3) = -(up[0] * eyeX + up[1] * eyeY + up[2] * eyeZ);
    view.at(2, 3) = forward[0] * eyeX + forward[1] * eyeY + forward[2] * eyeZ;
    MultiplySelected(view);
}

}  // extern "C"
