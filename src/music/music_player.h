// MusicPlayer: the owner of the one song the demo plays, and its one instance `music`.
//
// Every sound failure is written as one text to standard output, without a line end, and
// otherwise ignored: the show then runs silently.
#ifndef VESKOP_MUSIC_PLAYER_H
#define VESKOP_MUSIC_PLAYER_H

#include <fmod.h>

// Lowest sound library version the player works with.
constexpr float RequiredSoundVersion = 3.33f;

// Longest path fileName holds, in characters; longer paths are stored cut to this length.
constexpr int MusicFileNameLength = 255;

class MusicPlayer {
public:
    constexpr MusicPlayer() : song(nullptr), fileName{} {}
    ~MusicPlayer();  // Shutdown
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Checks the library version, starts the sound system and loads the module at path.
    // True when the sound system runs and the module is loaded.
    bool Init(const char* path);
    // Loads the module at path into song (null on failure). True when loaded.
    bool Load(const char* path);
    // Starts song playing; the library's result. A null song is passed on as it is.
    bool Play();
    // Frees song; the library's result. song keeps its (now dead) value.
    bool Free();
    void Close();
    // Free, then Close, unconditionally.
    void Shutdown();
    // Writes the text of the library's last error code to standard output, no line end.
    void ReportError();

    FMUSIC_MODULE* song;                       // the last FMUSIC_LoadSong result; null is none
    char fileName[MusicFileNameLength + 1];    // zero-terminated path of the last successful Load
};

// The player of the demo: constant-initialised, shut down by the exit-time destructors.
extern MusicPlayer music;

// The sound library's text for an error code; "Unknown error" outside 0..19. Static storage.
const char* MusicErrorString(int code);

#endif
