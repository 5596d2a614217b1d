#include "bare_scenes.h"

#include <GL/glu.h>

#include <time.h>

const BareScene ShowScenes[6] = {
    {"meshes", 0, 6.0, BareKind::Meshes, -1},     {"cube", 6000, 8.5, BareKind::Cube, -1},
    {"vardlum", 14500, 11.5, BareKind::Image, 4}, {"sovepose2", 26000, 9.0, BareKind::Image, 3},
    {"pizza2", 35000, 8.0, BareKind::Image, 2},   {"startlogo2", 43000, 12.0, BareKind::Image, 0},
};

namespace {

float SpinAngle = 0.0f;
float DriftZ = 0.0f;
float DriftX = 0.0f;

// The show's drift per frame grows with the uptime in milliseconds at its set-up.
double DriftBase() {
    static double base = -1.0;
    if (base < 0.0) {
        timespec now;
        clock_gettime(CLOCK_BOOTTIME, &now);
        base = double(now.tv_sec) * 1000.0;
    }
    return base;
}

void DrawMeshes(const BareObjects& objects) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    gluLookAt(0.0, 0.0, 2.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glColor3f(0.0f, 1.0f, 1.0f);
    const float x[3] = {-0.4f, 0.0f, 0.2f}, y[3] = {0.2f, 0.0f, -0.2f}, phase[3] = {0, -30, -60};
    for (int m = 0; m < 3; m++) {
        glPushMatrix();
        glTranslatef(x[m] - DriftX, y[m], DriftZ);
        glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        glRotatef(SpinAngle + phase[m], 0.0f, 0.0f, 1.0f);
        glCallList(objects.lists[m]);
        glPopMatrix();
    }
    DriftZ = float(DriftZ + DriftBase() * 1e-10);
    DriftX = float(DriftX + DriftBase() * 3e-12);
}

void DrawCube() {
    static const float Corners[24][3] = {
        {1, 1, -1},  {-1, 1, -1},  {-1, 1, 1},   {1, 1, 1},   {1, -1, 1},   {-1, -1, 1},
        {-1, -1, -1}, {1, -1, -1}, {1, 1, 1},    {-1, 1, 1},  {-1, -1, 1},  {1, -1, 1},
        {1, -1, -1}, {-1, -1, -1}, {-1, 1, -1},  {1, 1, -1},  {-1, 1, 1},   {-1, 1, -1},
        {-1, -1, -1}, {-1, -1, 1}, {1, 1, -1},   {1, 1, 1},   {1, -1, 1},   {1, -1, -1},
    };
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    gluLookAt(0.0, 0.0, 2.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glColor3f(0.0f, 1.0f, 0.0f);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, -5.0f);
    glRotatef(SpinAngle, 0.0f, 1.0f, 0.0f);
    glBegin(GL_QUADS);
    glColor3f(0.0f, 1.0f, 0.0f);
    for (const float* c : Corners) glVertex3f(c[0], c[1], c[2]);
    glEnd();
    glPopMatrix();
    SpinAngle = float(SpinAngle + 0.001);
}

void DrawImage(const BareObjects& objects, int slot) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, objects.textures[slot]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
    glPopMatrix();
}


}  // namespace

void SetBareFixedState(const BareObjects& objects) {
    const float specular[4] = {1, 1, 1, 1}, shininess[1] = {50}, diffuse[4] = {1, 0, 1, 1};
    const float light[4] = {5, 5, 8, 1};
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, objects.textures[1]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, shininess);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
}

void DrawBareFrame(const BareScene& scene, const BareObjects& objects) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    switch (scene.kind) {
    case BareKind::Meshes:
        DrawMeshes(objects);
        break;
    case BareKind::Cube:
        DrawCube();
        break;
    case BareKind::Image:
        DrawImage(objects, scene.slot);
        break;
    }
    SpinAngle = float(SpinAngle + 0.5);
}
