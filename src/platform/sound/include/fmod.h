/* The sound library's interface, 3.x: the seven calls veskop makes to load and play its module.
 *
 * Provided by src/platform/sound (libopenmpt decodes and mixes, SDL2 audio plays) or by
 * tests/fakes/sound (a recording fake). Booleans are signed char: nonzero is success. A call that
 * fails leaves its reason for FSOUND_GetError.
 *
 * Threads: call everything from one thread. Mixing runs on the audio device's own thread.
 */
#ifndef VESKOP_FMOD_H
#define VESKOP_FMOD_H

/* The version FSOUND_GetVersion reports. */
#define FMOD_VERSION 3.33f

/* A loaded module. Opaque: created by FMUSIC_LoadSong, owned by the library until
 * FMUSIC_FreeSong or FSOUND_Close. */
typedef struct FMUSIC_MODULE FMUSIC_MODULE;

/* FSOUND_GetError codes. */
enum FMOD_ERRORS {
    FMOD_ERR_NONE = 0,                 /* no failure yet */
    FMOD_ERR_ALREADY_INITIALIZED = 1,  /* FSOUND_Init while running: FSOUND_Close first */
    FMOD_ERR_UNINITIALIZED = 2,        /* needs FSOUND_Init first */
    FMOD_ERR_INIT = 3,                 /* no output device could be opened */
    FMOD_ERR_DEVICE_IN_USE = 4,
    FMOD_ERR_PLAY = 5,
    FMOD_ERR_OUTPUT_FORMAT = 6,
    FMOD_ERR_COOPERATIVE_LEVEL = 7,
    FMOD_ERR_CREATE_BUFFER = 8,
    FMOD_ERR_FILE_NOT_FOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,         /* the file is no module */
    FMOD_ERR_FILE_BAD = 11,            /* a module that cannot be read (an XM cut short, or whose
                                          parts do not fit together) or has nothing to play */
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_VERSION = 13,             /* an XM in a version other than 1.04 */
    FMOD_ERR_INVALID_PARAM = 14,       /* null or unknown handle, null path, bad mixing rate */
    FMOD_ERR_NO_EAX = 15,
    FMOD_ERR_NO_EAX2 = 16,
    FMOD_ERR_CHANNEL_ALLOC = 17,
    FMOD_ERR_RECORD = 18,
    FMOD_ERR_MEDIA_PLAYER = 19
};

#ifdef __cplusplus
extern "C" {
#endif

/* The library's version number, e.g. 3.33. */
float FSOUND_GetVersion(void);

/* Opens the default output device at mixRate Hz (8000..192000), 16-bit stereo, and starts
 * mixing. maxSoftwareChannels (0..1024) and flags are accepted and not needed: modules are mixed
 * with as many voices as they use. Fails with FMOD_ERR_ALREADY_INITIALIZED while running. */
signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);

/* Stops playback, frees every song still loaded and closes the device. Does nothing when not
 * initialised. Safe at process exit, also after SDL has been shut down. */
void FSOUND_Close(void);

/* The code of the last failure (FMOD_ERRORS); FMOD_ERR_NONE until something fails. */
int FSOUND_GetError(void);

/* Loads a module file (XM, IT, S3M, MOD, ...) whole into memory. Null on failure. The song
 * loops at its end, from the module's own restart position. */
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name);

/* Plays the song from its start. One song plays at a time: playing another stops the one
 * heard before (it stays loaded), and playing the song already heard restarts it. */
signed char FMUSIC_PlaySong(FMUSIC_MODULE* module);

/* Stops the song if it is heard and frees it. The handle is dead afterwards. */
signed char FMUSIC_FreeSong(FMUSIC_MODULE* module);

#ifdef __cplusplus
}
#endif

#endif
