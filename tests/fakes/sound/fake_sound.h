// A recording fake of the sound library's seven calls (<fmod.h>), for tests of the music
// player. Every call is recorded in order with its arguments. Calls succeed unless a failure
// is scripted; a failing call sets the code FSOUND_GetError returns, as the real library does.
#ifndef VESKOP_FAKE_SOUND_H
#define VESKOP_FAKE_SOUND_H

#include <fmod.h>

#include <string>
#include <vector>

enum class SoundCall { GetVersion, Init, Close, GetError, LoadSong, PlaySong, FreeSong };

struct FakeSoundCall {
    SoundCall call = SoundCall::GetVersion;
    int mixRate = 0;                 // Init
    int maxSoftwareChannels = 0;     // Init
    unsigned int flags = 0;          // Init
    bool pathGiven = false;          // LoadSong: false when the path was null
    std::string path;                // LoadSong
    FMUSIC_MODULE* song = nullptr;   // PlaySong, FreeSong: the argument; LoadSong: the result
};

// Forgets every call and script: version 3.33, every call succeeds, error code 0.
void ResetFakeSound();
void SetFakeSoundVersion(float version);
// The next call of `call` fails (0, or a null song) and sets errorCode. Queued per call kind.
void FailNextFakeSoundCall(SoundCall call, int errorCode);

// The handle the n-th successful FMUSIC_LoadSong returns (n from 0, up to 15): distinct,
// non-null, never dereferenced by the fake.
FMUSIC_MODULE* FakeSoundSong(int n);

const std::vector<FakeSoundCall>& FakeSoundCalls();
// The recorded calls by their C names ("FSOUND_Init", ...), for readable comparisons.
std::vector<std::string> FakeSoundCallNames();

#endif
