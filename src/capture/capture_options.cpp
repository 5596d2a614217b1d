#include "capture/capture_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char CaptureUsage[] =
    "usage: veskop-capture OUT.mp4 [--fps N] [--size WxH] [--sheet SHEET.png]\n"
    "       veskop-capture --sheet SHEET.png [--fps N] [--size WxH]\n"
    "Plays the show on a steady frame clock and writes it as an H.264/AAC video, or a contact\n"
    "sheet of one frame a second, or both. Run it from the folder that holds data/.\n"
    "  --fps N       frames a second, 1 to 240 (default 60)\n"
    "  --size WxH    picture size in pixels, even numbers from 16 to 4096 (default 640x480)\n"
    "  --sheet FILE  also (or only) write a contact sheet PNG\n";

namespace {

// A whole decimal number in [low, high], nothing else.
bool ParseNumber(const char* text, int low, int high, int* value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high) return false;
    *value = static_cast<int>(number);
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
    size_t cross = text.find('x');
    if (cross == std::string::npos) return false;
    std::string first = text.substr(0, cross);
    std::string second = text.substr(cross + 1);
    return ParseNumber(first.c_str(), MinFrameSide, MaxFrameSide, width) &&
           ParseNumber(second.c_str(), MinFrameSide, MaxFrameSide, height) && *width % 2 == 0 &&
           *height % 2 == 0;
}

// An option, not a path: the rule for the video path and the sheet's alike ("-" alone is a
// file's name; ./-name names a file that starts with a dash).
bool LooksLikeOption(const std::string& text) {
    return text.size() > 1 && text[0] == '-';
}

}  // namespace

bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* problem) {
    *options = CaptureOptions{};
    for (int i = 1; i < argc; i++) {
        std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (argument == "--help" || argument == "-h") {
            options->helpAsked = true;
            return true;
        }
        if (argument == "--fps") {
            if (!ParseNumber(value, 1, MaxFramesPerSecond, &options->framesPerSecond)) {
                *problem = "--fps takes a whole number of frames a second from 1 to 240";
                return false;
            }
            i++;
        } else if (argument == "--size") {
            if (value == nullptr || !ParseSize(value, &options->width, &options->height)) {
                *problem = "--size takes WIDTHxHEIGHT in pixels, even numbers from 16 to 4096";
                return false;
            }
            i++;
        } else if (argument == "--sheet") {
            if (value == nullptr || value[0] == '\0' || LooksLikeOption(value)) {
                *problem = "--sheet takes the path of the PNG to write";
                if (value != nullptr && LooksLikeOption(value)) {
                    *problem += std::string(" (") + value + " is an option; ./" + value +
                                " would name a file)";
                }
                return false;
            }
            options->sheetPath = value;
            i++;
        } else if (LooksLikeOption(argument)) {
            *problem = "unknown option " + argument;
            return false;
        } else if (options->videoPath.empty() && !argument.empty()) {
            options->videoPath = argument;
        } else {
            *problem = "one video path only (" + argument + " is a second)";
            return false;
        }
    }
    if (options->videoPath.empty() && options->sheetPath.empty()) {
        *problem = "no output: give the video's path, or --sheet";
        return false;
    }
    return true;
}
