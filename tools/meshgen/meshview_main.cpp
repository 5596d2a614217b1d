// veskop-meshview [--generated] [--opaque] [--panel WIDTHxHEIGHT] OUTPUT.png
//
// Renders the demo's mesh scene to a PNG without running the show: a hidden OpenGL window, the
// show's fixed state (light 0 at eye (5, 5, 8), the set-up's front material, GL_NORMALIZE, smooth
// shading, additive blending) and its projection, camera and per-mesh transforms. The top row
// shows the scene as the show draws it at three spin angles; the bottom row shows each mesh alone,
// nearer and seen a little from above.
//
// By default the meshes are the program's own display lists (BuildMeshListA/B/C). --generated
// builds them from the generator instead, so shapes can be looked at while they are being
// edited, before their counts fit the program's arrays. --opaque turns blending off, to look at
// the surfaces without the back faces shining through.
#include "demo/demo_state.h"
#include "demo/meshes/mesh_lists.h"
#include "mesh_builder.h"
#include "png_write.h"
#include "shapes.h"

#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace meshgen;

namespace {

// MeshA's material, as its list applies it (alpha 1 in every colour).
void ApplyMeshAMaterial() {
    const float ambientDiffuse[3] = {0.2f, 0.615686f, 1.0f};
    const float specular[3] = {0.628627f, 0.628627f, 0.628627f};
    const float emission[3] = {0.0f, 0.0f, 0.0f};
    SetMaterialColor(GL_AMBIENT, ambientDiffuse, 1.0f);
    SetMaterialColor(GL_DIFFUSE, ambientDiffuse, 1.0f);
    SetMaterialColor(GL_SPECULAR, specular, 1.0f);
    SetMaterialColor(GL_EMISSION, emission, 1.0f);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 21.1121f);
}

// A list compiled straight from the generator's output, the way the program's builders do it.
GLuint CompileGeneratedList(void (*build)(MeshBuilder&), float halfY, float halfZ, bool withMaterial) {
    MeshBuilder builder;
    build(builder);
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    if (withMaterial) ApplyMeshAMaterial();
    if (!builder.triangles().empty()) {
        FinalMesh mesh = Finish(builder, halfY, halfZ);
        glBegin(GL_TRIANGLES);
        for (const auto& t : mesh.triangles) {
            for (int k = 0; k < 3; ++k) {
                const auto& n = mesh.normals[t.normal[k]];
                const auto& p = mesh.positions[t.position[k]];
                glNormal3f(n[0], n[1], n[2]);
                glVertex3f(p[0], p[1], p[2]);
            }
        }
        glEnd();
    }
    glEndList();
    return list;
}

// The fixed state that scene set-up gives every context.
void SetShowState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, DemoState.materialSpecular);
    glMaterialfv(GL_FRONT, GL_SHININESS, DemoState.materialShininess);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, DemoState.materialDiffuse);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, DemoState.lightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
}

// The mesh scene's projection, capabilities and camera, at eye distance `eye`.
bool Opaque = false;

void BeginMeshScene(double eye) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (Opaque) {
        glDisable(GL_BLEND);
    } else {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    }
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    gluLookAt(0, 0, eye, 0, 0, 0, 0, 1, 0);
    glColor3f(0, 1, 1);
}

void DrawMesh(GLuint list, double x, double y, double tilt, double spin) {
    glPushMatrix();
    glTranslated(x, y, 0);
    glRotated(tilt, 1, 0, 0);
    glRotated(-90, 1, 0, 0);
    glRotated(spin, 0, 0, 1);
    glCallList(list);
    glPopMatrix();
}

// The picture as an 8-bit RGB PNG, rows top first.
bool WritePng(const char* path, int width, int height, const std::vector<unsigned char>& rgb) {
    PngPicture picture;
    picture.width = static_cast<uint32_t>(width);
    picture.height = static_cast<uint32_t>(height);
    picture.colorType = PNG_COLOR_TYPE_RGB;
    picture.samples.assign(rgb.begin(), rgb.end());
    const std::vector<uint8_t> bytes = EncodePng(picture);
    return !bytes.empty() && WriteFileBytes(path, bytes);
}

// Copies the back buffer (bottom row first) into the picture at panel (column, row), top down.
void CopyPanel(std::vector<unsigned char>& picture, int pictureWidth, int panelWidth, int panelHeight,
               int column, int row) {
    std::vector<unsigned char> pixels(static_cast<size_t>(panelWidth) * panelHeight * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, panelWidth, panelHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    for (int y = 0; y < panelHeight; ++y) {
        const unsigned char* from = &pixels[static_cast<size_t>(panelHeight - 1 - y) * panelWidth * 3];
        unsigned char* to =
            &picture[(static_cast<size_t>(row * panelHeight + y) * pictureWidth + column * panelWidth) * 3];
        std::memcpy(to, from, static_cast<size_t>(panelWidth) * 3);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool generated = false;
    int panelWidth = 320, panelHeight = 240;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--generated") == 0) {
            generated = true;
        } else if (std::strcmp(argv[i], "--opaque") == 0) {
            Opaque = true;
        } else if (std::strcmp(argv[i], "--panel") == 0 && i + 1 < argc &&
                   std::sscanf(argv[i + 1], "%dx%d", &panelWidth, &panelHeight) == 2 && panelWidth > 0 &&
                   panelHeight > 0 && panelWidth <= 4096 && panelHeight <= 4096) {
            ++i;
        } else if (output == nullptr && argv[i][0] != '-') {
            output = argv[i];
        } else {
            output = nullptr;
            break;
        }
    }
    if (output == nullptr) {
        std::fprintf(stderr, "usage: veskop-meshview [--generated] [--opaque] [--panel WIDTHxHEIGHT] OUTPUT.png\n");
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "veskop-meshview: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("veskop-meshview", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          panelWidth, panelHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) {
        std::fprintf(stderr, "veskop-meshview: %s\n", SDL_GetError());
        if (window != nullptr) SDL_DestroyWindow(window);
        SDL_Quit();
        return 1;
    }
    glViewport(0, 0, panelWidth, panelHeight);
    SetShowState();

    GLuint lists[3];
    if (generated) {
        lists[0] = CompileGeneratedList([](MeshBuilder& m) { BuildBolt(m, BoltParams{}); }, 0.121029f,
                                        0.118348f, true);
        lists[1] = CompileGeneratedList([](MeshBuilder& m) { BuildSkateboard(m, SkateboardParams{}); },
                                        0.099559f, 0.0644042f, false);
        lists[2] = CompileGeneratedList([](MeshBuilder& m) { BuildCardStack(m, CardStackParams{}); },
                                        0.0981277f, 0.060513f, false);
    } else {
        lists[0] = BuildMeshListA();
        lists[1] = BuildMeshListB();
        lists[2] = BuildMeshListC();
    }

    const int columns = 3, rows = 2;
    const int pictureWidth = columns * panelWidth;
    std::vector<unsigned char> picture(static_cast<size_t>(pictureWidth) * rows * panelHeight * 3);
    // The show's x, y and spin phase of each mesh.
    const double sceneX[3] = {-0.4, 0.0, 0.2}, sceneY[3] = {0.2, 0.0, -0.2}, phase[3] = {0, -30, -60};
    const double spins[3] = {-45.0, 15.0, 75.0};
    for (int panel = 0; panel < columns; ++panel) {
        BeginMeshScene(2.5);
        for (int m = 0; m < 3; ++m) DrawMesh(lists[m], sceneX[m], sceneY[m], 0, spins[panel] + phase[m]);
        CopyPanel(picture, pictureWidth, panelWidth, panelHeight, panel, 0);
    }
    for (int m = 0; m < 3; ++m) {
        BeginMeshScene(1.5);
        DrawMesh(lists[m], 0, 0, 15, -25);
        CopyPanel(picture, pictureWidth, panelWidth, panelHeight, m, 1);
    }

    bool written = WritePng(output, pictureWidth, rows * panelHeight, picture);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    if (!written) {
        std::fprintf(stderr, "veskop-meshview: cannot write %s\n", output);
        return 1;
    }
    return 0;
}
