// Plays a tiny module through the program's static music player and exits, the way the demo
// does: usage `sound_exit_probe MODULE_PATH quit-sdl|keep-sdl`. With quit-sdl, SDL_Quit is
// registered with atexit after the player was constructed, so it runs before the player's
// exit-time shutdown, as the window layer's exit handler does.
#include "music/music_player.h"

#include "tiny_xm.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if (!WriteTestFile(argv[1], BuildTinyXm(TinyXmSong{}))) return 3;
    if (std::strcmp(argv[2], "quit-sdl") == 0) {
        if (SDL_Init(SDL_INIT_EVENTS) != 0) return 4;
        std::atexit(SDL_Quit);
    }
    music.Init(argv[1]);
    music.Play();
    SDL_Delay(200);
    return 0;
}
