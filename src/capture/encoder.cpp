#include "capture/encoder.h"

#include "capture/leftovers.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

const char EncoderProgram[] = "ffmpeg";

// Options that keep ffmpeg quiet unless something goes wrong, and its files free of anything
// that differs from run to run (versions, times), so that two captures give the same bytes.
const char* const QuietOptions[] = {"-hide_banner", "-loglevel", "error", "-nostats"};
const char* const ReproducibleOutput[] = {"-fflags", "+bitexact", "-map_metadata", "-1"};

// The encoder's settings: x264's own defaults are deterministic for a fixed thread count, so
// the count is fixed too (the output would otherwise depend on the machine's cores). BT.601
// colours, as ffmpeg converts RGB by default, said so in the stream for players.
const char* const VideoOptions[] = {
    "-c:v", "libx264", "-preset", "medium", "-crf", "18", "-threads", "4",
    "-pix_fmt", "yuv420p", "-colorspace", "smpte170m", "-color_primaries", "smpte170m",
    "-color_trc", "smpte170m", "-color_range", "tv", "-flags:v", "+bitexact",
};
const char* const SoundOptions[] = {"-c:a", "aac", "-b:a", "192k", "-flags:a", "+bitexact"};

// Starts argv with standard input from `input` (or /dev/null when -1) and standard output on
// standard error, in a process group of its own, so a Ctrl+C at the terminal reaches the
// capture alone, which then ends it. -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& argv, int input) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0) {
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signalNumber : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, signalNumber);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    int failed = posix_spawnp(&pid, EncoderProgram, &actions, &attributes, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) return -1;
    AddLeftoverProcess(pid);
    return pid;
}

// Waits for a child started by Spawn; true when it exited with status 0.
bool WaitForSuccess(pid_t pid) {
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    ForgetLeftoverProcess(pid);
    return waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> Command(std::initializer_list<const char*> first) {
    std::vector<std::string> argv = {EncoderProgram};
    argv.insert(argv.end(), first.begin(), first.end());
    return argv;
}

template <size_t Count>
void Append(std::vector<std::string>* argv, const char* const (&options)[Count]) {
    argv->insert(argv->end(), options, options + Count);
}

}  // namespace

bool EncoderInstalled() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + EncoderProgram;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool StartVideoEncoder(int width, int height, int framesPerSecond, const std::string& outPath,
                       VideoEncoder* encoder, std::string* problem) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        *problem = std::string("no pipe to the encoder: ") + std::strerror(errno);
        return false;
    }
    std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::string rate = std::to_string(framesPerSecond);
    std::vector<std::string> argv = Command({});
    Append(&argv, QuietOptions);
    std::vector<std::string> input = {"-f", "rawvideo", "-pixel_format", "rgba", "-video_size",
                                      size, "-framerate", rate, "-i", "pipe:0"};
    argv.insert(argv.end(), input.begin(), input.end());
    Append(&argv, VideoOptions);
    Append(&argv, ReproducibleOutput);
    argv.insert(argv.end(), {"-f", "mp4", "-y", outPath});

    encoder->pid = Spawn(argv, pipeEnds[0]);
    close(pipeEnds[0]);
    if (encoder->pid < 0) {
        close(pipeEnds[1]);
        *problem = "ffmpeg cannot be started";
        return false;
    }
    encoder->frames = pipeEnds[1];
    encoder->frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    return true;
}

bool EncodeFrame(VideoEncoder* encoder, const void* rgba) {
    if (encoder->frames < 0) return false;
    const char* bytes = static_cast<const char*>(rgba);
    size_t left = encoder->frameBytes;
    while (left > 0) {
        ssize_t written = write(encoder->frames, bytes, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;  // EPIPE: ffmpeg has gone
        bytes += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

bool FinishVideoEncoder(VideoEncoder* encoder) {
    if (encoder->frames >= 0) close(encoder->frames);
    encoder->frames = -1;
    if (encoder->pid < 0) return false;
    bool finished = WaitForSuccess(encoder->pid);
    encoder->pid = -1;
    return finished;
}

bool MuxVideoAndSound(const std::string& videoPath, const std::string& wavPath,
                      const std::string& outPath) {
    std::vector<std::string> argv = Command({"-nostdin"});
    Append(&argv, QuietOptions);
    argv.insert(argv.end(), {"-i", videoPath, "-i", wavPath, "-map", "0:v:0", "-map", "1:a:0",
                             "-c:v", "copy"});
    Append(&argv, SoundOptions);
    Append(&argv, ReproducibleOutput);
    // The index at the front, so that a player can start before the whole file has arrived.
    argv.insert(argv.end(), {"-movflags", "+faststart", "-f", "mp4", "-y", outPath});
    pid_t pid = Spawn(argv, -1);
    return pid > 0 && WaitForSuccess(pid);
}
