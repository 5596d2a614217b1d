// The video and its sound through Debian's ffmpeg program: one ffmpeg takes the raw frames over
// a pipe and encodes them (H.264, yuv420p) into a temporary MP4 as they come, a second one the
// sound (AAC) into another, side by side with the show; once it has ended, a third puts the two
// together as they are. One ffmpeg for both, over two pipes, could block the thread that feeds
// one while ffmpeg waits on the other.
#ifndef VESKOP_CAPTURE_ENCODER_H
#define VESKOP_CAPTURE_ENCODER_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Whether ffmpeg is an executable file in a folder of PATH; the encoder calls below run the
// one it found. Before any of them.
bool EncoderInstalled();

// One ffmpeg encoding what it is given over a pipe. It is the leader of a process group of its
// own and is killed when the capture dies; since that follows the thread that started it, every
// ffmpeg is started from the main thread.
struct Encoder {
    pid_t pid = -1;         // ffmpeg; -1 when not running
    int input = -1;         // the write end of its input pipe; -1 when closed
    size_t frameBytes = 0;  // video: the bytes of one frame
};

// Starts ffmpeg writing an MP4 of RGBA frames of width x height at framesPerSecond into
// outPath. False, with *problem set, when it cannot be started.
bool StartVideoEncoder(int width, int height, int framesPerSecond, const std::string& outPath,
                       Encoder* encoder, std::string* problem);
// Hands one frame over (width * height * 4 bytes, top row first). False when ffmpeg has stopped.
bool EncodeFrame(Encoder* encoder, const void* rgba);

// Starts ffmpeg writing an MP4 of AAC sound from signed 16-bit stereo at rate Hz into outPath.
bool StartSoundEncoder(int rate, const std::string& outPath, Encoder* encoder,
                       std::string* problem);
// Hands `frames` frames of interleaved stereo over. False when ffmpeg has stopped.
bool EncodeSound(Encoder* encoder, const std::int16_t* samples, int frames);

// Ends the input and waits for ffmpeg to finish the file. False when it failed.
bool FinishEncoder(Encoder* encoder);

// Writes outPath: the video of videoPath and the sound of soundPath, both as they are. False when
// ffmpeg failed (its own message is on standard error).
bool MuxVideoAndSound(const std::string& videoPath, const std::string& soundPath,
                      const std::string& outPath);

#endif
