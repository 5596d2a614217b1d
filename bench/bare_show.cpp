// The frame-rate baseline as a whole process: a bare SDL2 + OpenGL program that opens its window
// the way the Win32 layer does (a borderless 640x480 window switched to fullscreen, double
// buffered with a 32-bit depth buffer), loads the same five textures, compiles the same three
// lists, sets the same fixed state, and then draws each scene of the show for as long as the show
// does, swapping after every frame and doing nothing else: no event pump, no output per frame.
// Run it from the folder that holds data/.
//
//   bare_show [SCALE] [--with PART,...]   every span lasts SCALE times its length in the show
//                                         (default 1), with some of the program's own parts
//   bare_show --window   opens the window and its context, and nothing more
//
// The parts, each the program's own work beside the frames, to find what a whole process pays:
//   music    the module playing through the sound library (its audio thread, SDL's output)
//   lines    the frame's two diagnostic lines, each flushed, and its three tick-count readings
//   pump     the message loop's look at the display's events before each frame
//   desktop  the window covering the display as it is (the program's way when the display is
//            already in 640x480) instead of switching to the mode
//
// Prints "setup SECONDS", then one line per span: "span NAME FRAMES SECONDS"; with --window,
// "window TICK": the tick count (milliseconds of CLOCK_BOOTTIME, the show's clock) at which the
// context was ready, to be set beside the moment the process was started.
#include <SDL.h>

#include <GL/gl.h>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>

#include "bare_scenes.h"
#include "demo/meshes/mesh_lists.h"
#include "fmod.h"
#include "glpng.h"

namespace {

const char* const ImageFiles[5] = {"data/startlogo2.png", "data/alphabetGeorgia.png",
                                   "data/pizza2.png", "data/sovepose2.png", "data/vardlum.png"};

double Seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct Parts {
    bool music = false, lines = false, pump = false, desktop = false;
};

// "music,lines" and the like; false for a name it does not know.
bool ParseParts(const char* list, Parts* parts) {
    std::string rest = list;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string name = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        if (name == "music") parts->music = true;
        else if (name == "lines") parts->lines = true;
        else if (name == "pump") parts->pump = true;
        else if (name == "desktop") parts->desktop = true;
        else return false;
    }
    return true;
}

std::uint32_t TickCount() {
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return std::uint32_t(std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u);
}

// What the program does beside a frame's drawing, part by part.
void DoFrameParts(const Parts& parts) {
    if (parts.pump) {
        SDL_PumpEvents();
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        }
    }
    if (parts.lines) {
        volatile std::uint32_t elapsed = TickCount();
        (void)elapsed;
        volatile std::uint32_t drift = TickCount();
        (void)drift;
        std::printf("%u\n", TickCount());
        std::fflush(stdout);
        std::printf("test??\n");
        std::fflush(stdout);
    }
}

void StartMusic() {
    if (FSOUND_Init(44100, 32, 2) == 0) return;
    FMUSIC_MODULE* song = FMUSIC_LoadSong("data/LUMAR7.XM");
    if (song != nullptr) FMUSIC_PlaySong(song);
}

SDL_Window* OpenWindow(bool desktop) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 32);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow(
        "bare", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (window == nullptr) return nullptr;
    SDL_DisplayMode mode = {SDL_PIXELFORMAT_RGB888, 640, 480, 0, nullptr};
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(0, &mode, &closest) != nullptr) SDL_SetWindowDisplayMode(window, &closest);
    SDL_SetWindowFullscreen(window, desktop ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN);
    SDL_ShowWindow(window);
    if (SDL_GL_CreateContext(window) == nullptr) return nullptr;
    return window;
}

bool SetUp(BareObjects* objects) {
    glViewport(0, 0, 640, 480);
    glGenTextures(5, objects->textures);
    for (int i = 0; i < 5; i++) {
        glBindTexture(GL_TEXTURE_2D, objects->textures[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        if (!pngLoad(ImageFiles[i], PNG_BUILDMIPMAPS, PNG_ALPHA, nullptr)) return false;
    }
    objects->lists[0] = BuildMeshListA();
    objects->lists[1] = BuildMeshListB();
    objects->lists[2] = BuildMeshListC();
    SetBareFixedState(*objects);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool windowOnly = argc > 1 && std::strcmp(argv[1], "--window") == 0;
    double scale = 1.0;
    Parts parts;
    for (int i = 1; i < argc && !windowOnly; i++) {
        if (std::strcmp(argv[i], "--with") == 0 && i + 1 < argc) {
            if (!ParseParts(argv[++i], &parts)) {
                std::fprintf(stderr, "bare_show: no such part in %s\n", argv[i]);
                return 2;
            }
        } else {
            scale = std::atof(argv[i]);
        }
    }
    const double start = Seconds();
    SDL_Window* window = OpenWindow(parts.desktop);
    if (windowOnly) {
        timespec now;
        clock_gettime(CLOCK_BOOTTIME, &now);
        std::printf("window %lld\n", (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000);
        return window != nullptr ? 0 : 1;
    }
    BareObjects objects;
    if (window == nullptr || !SetUp(&objects)) {
        std::fprintf(stderr, "bare_show: cannot set up: %s\n", SDL_GetError());
        return 1;
    }
    if (parts.music) StartMusic();
    std::printf("setup %.6f\n", Seconds() - start);
    for (const BareScene& scene : ShowScenes) {
        const double begin = Seconds();
        const double end = begin + scene.seconds * scale;
        long frames = 0;
        double now = begin;
        while (now < end) {
            DoFrameParts(parts);
            DrawBareFrame(scene, objects);
            SDL_GL_SwapWindow(window);
            frames++;
            now = Seconds();
        }
        std::printf("span %s %ld %.6f\n", scene.name, frames, now - begin);
    }
    return 0;
}
