#include "demo/scene_setup.h"

#include <windows.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "demo/demo_state.h"
#include "demo/meshes/mesh_lists.h"
#include "demo/texture_loading.h"
#include "music/music_player.h"

namespace {

// Slot i gets the i-th file; paths are relative to the working directory.
const char* const ImageFiles[TextureSlotCount] = {
    "data/startlogo2.png",
    "data/alphabetGeorgia.png",
    "data/pizza2.png",
    "data/sovepose2.png",
    "data/vardlum.png",
};
const char MusicFile[] = "data/LUMAR7.XM";

// Which image failed and why, so the user can mend it. The loader has already written the
// decoder's own text to standard error, if it got that far.
std::string ImageFailureText(const char* path) {
    const std::string failed = std::string("veskop: cannot load ") + path + ": ";
    std::error_code error;
    if (!std::filesystem::is_directory("data", error)) {
        return failed + "there is no data folder in the working directory; start veskop from the "
                        "folder that holds data/";
    }
    if (!std::filesystem::exists(path, error)) return failed + "the file is missing";
    // Not opened unless it is a regular file: a FIFO would wait for a writer.
    if (!std::filesystem::is_regular_file(path, error)) return failed + "it is not a regular file";
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return failed + "the file cannot be read";
    static const unsigned char PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char start[8] = {};
    size_t got = std::fread(start, 1, sizeof(start), file);
    std::fclose(file);
    if (got != sizeof(start) || std::memcmp(start, PngSignature, sizeof(start)) != 0) {
        return failed + "the file is not a PNG image";
    }
    return failed + "the PNG image cannot be decoded";
}

// Why the last set-up failed, for the user; empty after one that succeeded.
std::string FailureText;

// Fills slots 0 to 4 in file order. The first image that fails ends the set-up, before any later
// file is opened: its reason goes to standard error at once and is kept for the message box that
// the window code shows once the window is released and the display mode restored.
bool LoadImages() {
    DemoState.textureCount = 0;
    for (const char* path : ImageFiles) {
        if (LoadTexture(path) != 0) continue;
        FailureText = ImageFailureText(path);
        std::fprintf(stderr, "%s\n", FailureText.c_str());
        std::fflush(stderr);
        return false;
    }
    return true;
}

// Compiled, not run: none of the lists' material changes reach the OpenGL state here.
void BuildMeshLists() {
    DemoState.meshListA = BuildMeshListA();
    DemoState.meshListB = BuildMeshListB();
    DemoState.meshListC = BuildMeshListC();
}

// A failure is reported by the player on standard output; the show then runs silently.
void StartMusic() {
    music.Init(MusicFile);
    music.Play();
}

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
    FailureText.clear();
    if (!LoadImages()) return false;
    BuildMeshLists();
    StartMusic();
    SetFixedState();
    DemoState.startTick = GetTickCount();  // time zero of the show, after the music started
    return true;
}

const char* SceneSetupFailure() { return FailureText.c_str(); }
