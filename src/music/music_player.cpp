#include "music/music_player.h"

#include <cstdio>

MusicPlayer music;

static const char* const SoundErrorTexts[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware.",
    "Error creating hardware sound buffer.",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory ",
    "The version number of this file format is not supported",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output.",
    "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.",
    "Failed to allocate a new channel",
    "Recording not supported on this device",
    "Required Mediaplayer codec is not installed",
};

constexpr int SoundErrorTextCount = int(sizeof(SoundErrorTexts) / sizeof(SoundErrorTexts[0]));

const char* MusicErrorString(int code) {
    if (code < 0 || code >= SoundErrorTextCount) return "Unknown error";
    return SoundErrorTexts[code];
}

MusicPlayer::~MusicPlayer() { Shutdown(); }

bool MusicPlayer::Init(const char* path) {
    if (FSOUND_GetVersion() < RequiredSoundVersion) {
        std::fputs("Error: Incorrect version, use FMOD-3.33 instead.\n", stdout);
        return false;
    }
    if (!FSOUND_Init(44100, 32, 2)) {
        ReportError();
        return false;
    }
    return Load(path);
}

bool MusicPlayer::Load(const char* path) {
    song = FMUSIC_LoadSong(path);
    if (song == nullptr) {
        ReportError();
        return false;
    }
    // Bounded copy: a longer path is cut to MusicFileNameLength characters (nothing reads it
    // back), never written past the field.
    int length = 0;
    for (; path != nullptr && path[length] != '\0' && length < MusicFileNameLength; length++)
        fileName[length] = path[length];
    fileName[length] = '\0';
    return true;
}

bool MusicPlayer::Play() { return FMUSIC_PlaySong(song) != 0; }

bool MusicPlayer::Free() { return FMUSIC_FreeSong(song) != 0; }

void MusicPlayer::Close() { FSOUND_Close(); }

void MusicPlayer::Shutdown() {
    Free();
    Close();
}

void MusicPlayer::ReportError() { std::fputs(MusicErrorString(FSOUND_GetError()), stdout); }
