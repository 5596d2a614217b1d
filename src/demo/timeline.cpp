#include "demo/timeline.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "demo/demo_state.h"

namespace {

const std::int32_t ShowLength = 55000;  // ms; the first frame after it ends the process

enum class SceneKind { None, Meshes, Cube, Image };

struct TimelineSpan {
    std::int32_t after;  // ms: the span starts at the first millisecond after this
    SceneKind kind;
    int textureSlot;     // image scenes only
};

// Tried in order; the first span whose start has passed is the scene of the moment.
const TimelineSpan Timeline[] = {
    {43000, SceneKind::Image, 0},  // "data/startlogo2.png"
    {35000, SceneKind::Image, 2},  // "data/pizza2.png"
    {26000, SceneKind::Image, 3},  // "data/sovepose2.png"
    {14500, SceneKind::Image, 4},  // "data/vardlum.png"
    {6000, SceneKind::Cube, -1},
    {0, SceneKind::Meshes, -1},
};

// A float field advanced in double precision and stored back as single precision.
void Advance(float& value, double step) {
    value = static_cast<float>(value + step);
}

void SetSceneProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1, 1000.0);  // square aspect whatever the window's shape
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void SetSceneCamera() {
    gluLookAt(0.0, 0.0, DemoState.cameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

// x, y: world units; phase: degrees added to the shared spin.
void DrawMesh(GLuint list, double x, double y, double phase) {
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), DemoState.driftZ);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);  // the mesh's z axis becomes the screen's up
    glRotatef(static_cast<float>(DemoState.spinAngle + phase), 0.0f, 0.0f, 1.0f);
    glCallList(list);
    glPopMatrix();
}

void DrawMeshScene() {
    SetSceneProjection();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    SetSceneCamera();
    glColor3f(0.0f, 1.0f, 1.0f);

    // Mesh A goes first: its list sets the material that B and C are lit with.
    double driftX = DemoState.driftX;
    DrawMesh(DemoState.meshListA, -0.4 - driftX, 0.2, 0.0);
    DrawMesh(DemoState.meshListB, -driftX, 0.0, -30.0);
    DrawMesh(DemoState.meshListC, 0.2 - driftX, -0.2, -60.0);

    // The drift follows the tick count at which this frame is drawn, less the show time: the
    // system's uptime at the end of set-up plus this frame's own milliseconds so far.
    std::int32_t base = static_cast<std::int32_t>(GetTickCount() -
                                                  static_cast<DWORD>(DemoState.elapsed));
    Advance(DemoState.driftZ, base * 1e-10);
    Advance(DemoState.driftX, base * 3e-12);
}

struct CubeFace {
    float corners[4][3];
};

// Edge length 2, each face counter-clockwise from outside.
const CubeFace CubeFaces[6] = {
    {{{1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}}},      // top, y = 1
    {{{1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}}},  // bottom, y = -1
    {{{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}},      // front, z = 1
    {{{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}},  // back, z = -1
    {{{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}}},  // left, x = -1
    {{{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}}},      // right, x = 1
};

// The cube sends no normal and no material: it is lit with whatever OpenGL holds current,
// after a mesh frame the last normal of mesh C and the material of mesh A.
void DrawCubeScene() {
    SetSceneProjection();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    SetSceneCamera();

    glColor3f(0.0f, 1.0f, 0.0f);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -5.0f);
    glRotatef(DemoState.spinAngle, 0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glColor3f(0.0f, 1.0f, 0.0f);
    for (const CubeFace& face : CubeFaces) {
        for (const float* corner : face.corners) glVertex3f(corner[0], corner[1], corner[2]);
    }
    glEnd();
    glPopMatrix();

    Advance(DemoState.spinAngle, 0.001);
}

// Stretches texture slot over the whole viewport, the image's top row (t = 0) at the top.
void DrawImageScene(int slot) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, DemoState.textures[slot]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    glPushMatrix();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);  // bottom left
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 0.0f);  // bottom right
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);  // top right
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);  // top left
    glEnd();
    glPopMatrix();
}

const TimelineSpan* FindSpan(std::int32_t elapsed) {
    for (const TimelineSpan& span : Timeline) {
        if (elapsed > span.after) return &span;
    }
    return nullptr;  // 0 ms or less: nothing to draw yet
}

void DrawSceneAt(std::int32_t elapsed) {
    const TimelineSpan* span = FindSpan(elapsed);
    SceneKind kind = span != nullptr ? span->kind : SceneKind::None;
    switch (kind) {
    case SceneKind::Meshes:
        DrawMeshScene();
        break;
    case SceneKind::Cube:
        DrawCubeScene();
        break;
    case SceneKind::Image:
        DrawImageScene(span->textureSlot);
        break;
    case SceneKind::None:
        break;
    }
}

void WriteDiagnostics() {
    std::printf("%u\n", static_cast<unsigned>(GetTickCount()));
    std::fflush(stdout);
    std::fputs("test??\n", stdout);
    std::fflush(stdout);
}

}  // namespace

int DrawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // Unsigned 32-bit difference, so a tick counter that wrapped since set-up still gives the
    // true small time; read as signed.
    DemoState.elapsed = static_cast<std::int32_t>(GetTickCount() - DemoState.startTick);
    if (DemoState.elapsed > ShowLength) std::exit(0);

    DrawSceneAt(DemoState.elapsed);

    Advance(DemoState.spinAngle, 0.5);
    WriteDiagnostics();
    return 1;
}
