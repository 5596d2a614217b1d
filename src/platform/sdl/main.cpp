// The Linux entry: hands over to the program's WinMain, as the Windows start-up code does, with
// the command line after the program's name (which the program does not read). The signals are
// handled from the start, so that none arriving during the set-up kills the program the default
// way, and a closed standard output never does.
#include <windows.h>

#include "sdl_backend.h"
#include "standard_streams.h"

#include <string>

int main(int argc, char** argv) {
    if (!OpenClosedStandardStreams()) return 1;
    InstallSignalHandling();
    std::string commandLine;
    for (int i = 1; i < argc; i++) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(NULL), NULL, &commandLine[0], SW_SHOWDEFAULT);
}
