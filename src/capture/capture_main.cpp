// veskop-capture: the show, played on a steady frame clock without a display or a sound card,
// written as a video with its sound and/or a contact sheet. The show's own code runs unchanged:
// after the set-up, this hands over to WinMain as the Windows start-up code does.
#include <windows.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "capture/capture_options.h"
#include "capture/capture_session.h"
#include "standard_streams.h"

int main(int argc, char** argv) {
    // A closed standard output would otherwise be the sound's temporary file, say, and the
    // show's lines would be written into the sound.
    if (!OpenClosedStandardStreams()) return 1;
    CaptureOptions options;
    std::string problem;
    if (!ParseCaptureOptions(argc, argv, &options, &problem)) {
        std::fprintf(stderr, "veskop-capture: %s\n%s", problem.c_str(), CaptureUsage);
        return 1;
    }
    if (options.helpAsked) {
        std::fputs(CaptureUsage, stdout);
        return 0;
    }
    // The show writes two lines a frame to standard output; on a terminal they would bury the
    // progress bar, so there they go nowhere.
    if (isatty(STDOUT_FILENO) == 1) {
        int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (nowhere >= 0) {
            dup2(nowhere, STDOUT_FILENO);
            close(nowhere);
        }
    }
    if (!StartCaptureSession(options)) return 1;
    char commandLine[] = "";
    return WinMain(GetModuleHandleA(NULL), NULL, commandLine, SW_SHOWDEFAULT);
}
