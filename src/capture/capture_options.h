// The command line of veskop-capture.
#ifndef VESKOP_CAPTURE_OPTIONS_H
#define VESKOP_CAPTURE_OPTIONS_H

#include <string>

struct CaptureOptions {
    std::string videoPath;      // the MP4 to write; empty: none
    std::string sheetPath;      // the contact sheet PNG to write; empty: none
    int framesPerSecond = 60;   // 1 to MaxFramesPerSecond
    int width = 640;            // pixels, even, MinFrameSide to MaxFrameSide
    int height = 480;
    bool helpAsked = false;
};

const int MaxFramesPerSecond = 240;
const int MinFrameSide = 16;    // pixels
const int MaxFrameSide = 4096;

// The usage text, one line per form and option.
extern const char CaptureUsage[];

// Reads argv[1..argc). False, with *problem saying what is wrong, for a command line that does
// not ask for at least one output or has an option out of range.
bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* problem);

#endif
