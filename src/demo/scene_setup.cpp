#include "demo/scene_setup.h"

#include <windows.h>

#include <GL/gl.h>

#include "demo/demo_state.h"

namespace {

// The OpenGL state every frame relies on, set once per rendering context. The light position is
// given while the model-view matrix is the identity, so the light stays at (5, 5, 8) in eye space.
void SetFixedState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, DemoState.textures[1]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, DemoState.materialSpecular);
    glMaterialfv(GL_FRONT, GL_SHININESS, DemoState.materialShininess);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, DemoState.materialDiffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, DemoState.lightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
}

}  // namespace

bool InitScene() {
    DemoState.textureCount = 0;
    SetFixedState();
    DemoState.startTick = GetTickCount();  // time zero of the show
    return true;
}
