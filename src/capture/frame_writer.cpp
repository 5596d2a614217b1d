#include "capture/frame_writer.h"

#include <signal.h>

#include <algorithm>
#include <cstring>

namespace {

const size_t BufferedBytes = 64u << 20;  // what the waiting frames may take, at most
const size_t MostFrames = 8;             // more gains nothing: ffmpeg sets the pace

void* WriteFrames(void* argument) {
    FrameWriter* writer = static_cast<FrameWriter*>(argument);
    std::unique_lock<std::mutex> held(writer->lock);
    for (;;) {
        writer->changed.wait(held, [writer] { return !writer->waiting.empty() || writer->ending; });
        if (writer->waiting.empty()) return nullptr;  // ending, and everything written
        const size_t buffer = writer->waiting.front();
        const bool write = !writer->failed;
        held.unlock();
        const bool written = write && EncodeFrame(writer->encoder, writer->buffers[buffer].data());
        held.lock();
        writer->waiting.pop_front();
        writer->empty.push_back(buffer);
        if (!written) writer->failed = true;
        writer->changed.notify_all();
    }
}

}  // namespace

bool StartFrameWriter(FrameWriter* writer, Encoder* encoder) {
    writer->encoder = encoder;
    const size_t count = std::clamp<size_t>(BufferedBytes / encoder->frameBytes, 2, MostFrames);
    writer->buffers.assign(count, std::vector<std::uint8_t>(encoder->frameBytes));
    for (size_t i = 0; i < count; i++) writer->empty.push_back(i);
    // The thread starts with every signal blocked, so that the capture's handlers run on the
    // main thread, as they do without it.
    sigset_t all, mask;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &mask);
    writer->running = pthread_create(&writer->thread, nullptr, WriteFrames, writer) == 0;
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    return writer->running;
}

bool QueueFrame(FrameWriter* writer, const void* rgba) {
    std::unique_lock<std::mutex> held(writer->lock);
    writer->changed.wait(held, [writer] { return !writer->empty.empty() || writer->failed; });
    if (writer->failed) return false;
    const size_t buffer = writer->empty.back();
    writer->empty.pop_back();
    held.unlock();
    // The copy is made without the lock: the thread touches only the buffers that wait.
    std::memcpy(writer->buffers[buffer].data(), rgba, writer->buffers[buffer].size());
    held.lock();
    writer->waiting.push_back(buffer);
    writer->changed.notify_all();
    return true;
}

bool FinishFrameWriter(FrameWriter* writer) {
    if (!writer->running) return !writer->failed;
    {
        std::lock_guard<std::mutex> held(writer->lock);
        writer->ending = true;
    }
    writer->changed.notify_all();
    pthread_join(writer->thread, nullptr);
    writer->running = false;
    return !writer->failed;
}
