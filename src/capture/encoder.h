// The video and its sound through Debian's ffmpeg program: one ffmpeg takes the raw frames over
// a pipe and encodes them (H.264, yuv420p) into a temporary MP4 as they come; once the show has
// ended, a second one puts that video and the sound's WAV together, encoding the sound as AAC.
// Writing the sound into the first ffmpeg as well, over a second pipe, could block the one
// thread that feeds both while ffmpeg waits on the other.
#ifndef VESKOP_CAPTURE_ENCODER_H
#define VESKOP_CAPTURE_ENCODER_H

#include <sys/types.h>

#include <cstddef>
#include <string>

// Whether ffmpeg is an executable file in a folder of PATH; the encoder calls below run the
// one it found. Before any of them.
bool EncoderInstalled();

// Each ffmpeg is the leader of a process group of its own and is killed when the capture dies.
struct VideoEncoder {
    pid_t pid = -1;     // ffmpeg; -1 when not running
    int frames = -1;    // the write end of its input pipe; -1 when closed
    size_t frameBytes = 0;
};

// Starts ffmpeg writing an MP4 of RGBA frames of width x height at framesPerSecond into
// outPath. False, with *problem set, when it cannot be started.
bool StartVideoEncoder(int width, int height, int framesPerSecond, const std::string& outPath,
                       VideoEncoder* encoder, std::string* problem);
// Hands one frame over (width * height * 4 bytes, top row first). False when ffmpeg has stopped.
bool EncodeFrame(VideoEncoder* encoder, const void* rgba);
// Ends the input and waits for ffmpeg to finish the file. False when it failed.
bool FinishVideoEncoder(VideoEncoder* encoder);

// Writes outPath: the video of videoPath as it is, and the sound of wavPath as AAC. False when
// ffmpeg failed (its own message is on standard error).
bool MuxVideoAndSound(const std::string& videoPath, const std::string& wavPath,
                      const std::string& outPath);

#endif
