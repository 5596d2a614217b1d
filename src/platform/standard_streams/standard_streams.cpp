#include "standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool OpenClosedStandardStreams() {
    for (int stream = 0; stream <= 2; stream++) {
        if (fcntl(stream, F_GETFD) >= 0 || errno != EBADF) continue;
        // The lowest free descriptor: this one, since those below it are open by now.
        int opened = open("/dev/null", O_RDWR);
        if (opened < 0) return false;
        if (opened != stream) {
            bool moved = dup2(opened, stream) == stream;
            close(opened);
            if (!moved) return false;
        }
    }
    return true;
}
