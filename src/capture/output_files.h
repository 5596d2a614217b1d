// The files a capture writes: each output is made under a temporary name in its own folder and
// renamed into place once the capture has succeeded, so that a failed capture replaces nothing.
//
// The temporary names have a fixed length whatever the output's name (any name the file system
// takes can be an output): .veskop-capture-HHHHHHHHHHHHHHHH-PPPPPPPP.KIND, where H is a hash of
// the output's name and P this process. The first of them, KIND "lock", is held locked (flock)
// while the capture lives and removed last, so a capture killed outright (SIGKILL, the OOM killer)
// is known by its lock file that nothing holds: the next capture of the same output removes what
// it left.
#ifndef VESKOP_CAPTURE_OUTPUT_FILES_H
#define VESKOP_CAPTURE_OUTPUT_FILES_H

#include <string>

// Whether `path` can be an output: absent in a folder that exists, or a regular file (which the
// capture replaces). False, with *problem saying why, for a folder, a device, a FIFO or a socket
// (never replaced: a device node would become a regular file), and for a path that cannot be
// looked up (a name too long, a folder missing).
bool CheckOutputPath(const std::string& path, std::string* problem);

// Whether two output paths name the same entry of the same folder (./a.png and a.png, say),
// which would leave only the one written last.
bool SameOutputEntry(const std::string& first, const std::string& second);

struct OutputTemporaries {
    std::string stem;  // the folder and the temporary names without their ".KIND"
    int lock = -1;     // the lock file, open and locked; -1 before ClaimTemporaries
};

// Removes what dead captures of the same output left beside it, then makes this capture's lock
// file there and locks it; the lock file is remembered as a leftover (leftovers.h). False, with
// *problem naming the file that failed and why, when it cannot.
bool ClaimTemporaries(const std::string& output, OutputTemporaries* temporaries,
                      std::string* problem);

// The temporary of one kind ("wav", "video.mp4") beside the output.
std::string TemporaryPath(const OutputTemporaries& temporaries, const char* kind);

// Before a finished temporary is renamed over `path`: false, with *problem, when the path has
// become something that is not a regular file (or a link, which the rename replaces, not what it
// points to) since the capture started.
bool StillReplaceable(const std::string& path, std::string* problem);

#endif
