// Cost of the mesh display lists in a real context (Mesa under Xvfb): compiling all three, as
// scene set-up does once per context (167391 per-vertex calls), and drawing them as one
// mesh-scene frame does (three glCallList). Run under xvfb-run.
#include "demo/meshes/mesh_lists.h"
#include "gl_context.h"

#include <GL/glu.h>
#include <benchmark/benchmark.h>

namespace {

void BM_BuildMeshLists(benchmark::State& state) {
    TestGLContext context(64, 64);
    if (!context.ok()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    for (auto _ : state) {
        GLuint a = BuildMeshListA(), b = BuildMeshListB(), c = BuildMeshListC();
        glFinish();
        glDeleteLists(a, 1);
        glDeleteLists(b, 1);
        glDeleteLists(c, 1);
    }
}
BENCHMARK(BM_BuildMeshLists)->Unit(benchmark::kMillisecond);

// The three meshes at the show's size and places, lit and blended as the mesh scene draws them.
void BM_DrawMeshScene(benchmark::State& state) {
    TestGLContext context(640, 480);
    if (!context.ok()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    const GLuint lists[3] = {BuildMeshListA(), BuildMeshListB(), BuildMeshListC()};
    const float light[4] = {5, 5, 8, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    const double x[3] = {-0.4, 0.0, 0.2}, y[3] = {0.2, 0.0, -0.2}, phase[3] = {0, -30, -60};
    double spin = -45;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0, 0, 2.5, 0, 0, 0, 0, 1, 0);
        for (int m = 0; m < 3; ++m) {
            glPushMatrix();
            glTranslated(x[m], y[m], 0);
            glRotated(-90, 1, 0, 0);
            glRotated(spin + phase[m], 0, 0, 1);
            glCallList(lists[m]);
            glPopMatrix();
        }
        glFinish();
        spin += 0.5;
    }
}
BENCHMARK(BM_DrawMeshScene)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
