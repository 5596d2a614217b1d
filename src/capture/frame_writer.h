// The frames handed to the video encoder from a thread of their own, so that the show draws and
// reads back its next frames while ffmpeg takes this one: a copy of each frame waits in one of a
// few buffers, and the show waits only when all of them are full. ffmpeg's pipe is written by
// this thread alone.
#ifndef VESKOP_CAPTURE_FRAME_WRITER_H
#define VESKOP_CAPTURE_FRAME_WRITER_H

#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "capture/encoder.h"

struct FrameWriter {
    Encoder* encoder = nullptr;
    std::vector<std::vector<std::uint8_t>> buffers;  // each holds one frame
    std::deque<size_t> waiting;                      // buffers to write, oldest first
    std::vector<size_t> empty;                       // buffers free for the next frame
    bool ending = false;   // no frame comes any more
    bool failed = false;   // a write failed: ffmpeg has stopped
    std::mutex lock;       // guards waiting, empty, ending and failed
    std::condition_variable changed;
    pthread_t thread;
    bool running = false;  // the thread is started and not yet joined
};

// Starts the thread that writes to the encoder (already started, encoder->frameBytes a frame),
// with buffers for up to about 64 MiB of frames, at least 2. Signals are left to the other
// threads. False when the thread cannot be started.
bool StartFrameWriter(FrameWriter* writer, Encoder* encoder);
// Copies one frame (encoder->frameBytes) into a free buffer for the thread to write, waiting for
// one when all are taken. False once a write has failed.
bool QueueFrame(FrameWriter* writer, const void* rgba);
// Lets the thread write the frames still waiting, then ends it. False when a write failed. Once
// the encoder has been killed (on a failure) this returns at once. Safe when it never started.
bool FinishFrameWriter(FrameWriter* writer);

#endif
