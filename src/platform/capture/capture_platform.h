// What the capture program tells the capture's Win32 set, and what that set hands back: the size
// of the display that the program's fullscreen window fills, the frame clock that the tick count
// follows, and the frames that the program presents with SwapBuffers.
//
// The set stands in for a machine that draws at exactly framesPerSecond: the tick count holds
// still while a frame is drawn and moves on by 1000 / framesPerSecond ms at each buffer swap.
#ifndef VESKOP_CAPTURE_PLATFORM_H
#define VESKOP_CAPTURE_PLATFORM_H

#include <windows.h>

#include <cstdint>

struct CapturedFrame {
    long index;                 // 0 for the first frame presented
    int width, height;          // pixels
    const std::uint8_t* rgba;   // width * height * 4 bytes, top row first; valid during the call
};

// Called at every presented frame, before the tick count moves on. It may end the process.
typedef void (*CapturedFrameSink)(const CapturedFrame& frame);

struct CaptureSettings {
    int width = 640;             // the display and every frame, pixels
    int height = 480;
    int framesPerSecond = 60;    // 1 or more
    DWORD startTick = 0;         // ms: the tick count until the first frame is presented
    CapturedFrameSink sink = nullptr;
};

// Before the program's first Win32 call.
void ConfigureCapture(const CaptureSettings& settings);

// The tick count once `frames` frames have been presented: startTick + frames * 1000 /
// framesPerSecond ms, rounded down, wrapping at 2^32 as the real counter does.
DWORD CaptureTickAfter(long frames);

#endif
