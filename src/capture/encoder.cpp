#include "capture/encoder.h"

#include "capture/leftovers.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
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
// the count is fixed too (the output would otherwise depend on the machine's cores). The frames
// are sRGB (BT.709 primaries, the sRGB transfer); they are converted to limited-range YCbCr with
// the BT.601 matrix, named here rather than left to the scaler's default, and the stream says all
// three, so that a colour-managed player shows the hues the show drew.
const char* const VideoOptions[] = {
    "-vf", "scale=out_color_matrix=bt601:out_range=tv", "-c:v", "libx264", "-preset", "medium",
    "-crf", "18", "-threads", "4", "-pix_fmt", "yuv420p", "-colorspace", "smpte170m",
    "-color_primaries", "bt709", "-color_trc", "iec61966-2-1", "-color_range", "tv",
    "-flags:v", "+bitexact",
};
const char* const SoundOptions[] = {"-c:a", "aac", "-b:a", "192k", "-flags:a", "+bitexact"};

// ffmpeg's path, as EncoderInstalled found it on PATH.
std::string EncoderPath;

// In the new child, up to ffmpeg: only async-signal-safe calls, since the capture's other
// threads (Mesa's, the frame writer) may hold locks in this copy of the process. The capture's
// handlers go (the child's signals are still all blocked, so none has run here), the child
// leaves the capture's process group, so that a Ctrl+C at the terminal reaches the capture
// alone, which then ends it, and it asks for SIGKILL at the capture's death, however that comes
// (SIGKILL, the OOM killer), so that no ffmpeg writes on after it.
[[noreturn]] void BecomeEncoder(char* const* argv, int input, pid_t capture,
                                const sigset_t& mask) {
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int signalNumber : EndingSignals) sigaction(signalNumber, &defaults, nullptr);
    sigaction(SIGPIPE, &defaults, nullptr);
    setpgid(0, 0);
    // The capture may have died before the request: then this child has been handed on.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != capture) _exit(127);
    if (input < 0) input = open("/dev/null", O_RDONLY);
    if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        _exit(127);
    }
    sigprocmask(SIG_SETMASK, &mask, nullptr);
    execve(EncoderPath.c_str(), argv, environ);
    _exit(127);
}

// Starts ffmpeg with argv, standard input from `input` (or /dev/null when -1) and standard
// output on standard error, and remembers it as a leftover. Every signal waits meanwhile, so that
// none ends the capture between the child's making and its record, which would leave it running.
// Call it from the main thread: the parent-death signal follows the thread that made the child.
// -1 when it cannot be started.
pid_t Spawn(const std::vector<std::string>& argv, int input) {
    if (EncoderPath.empty()) return -1;
    std::vector<char*> pointers;
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);

    sigset_t all, mask;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &mask);
    const pid_t capture = getpid();
    const pid_t pid = fork();
    if (pid == 0) BecomeEncoder(pointers.data(), input, capture, mask);
    if (pid > 0) AddLeftoverProcess(pid);
    pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    return pid > 0 ? pid : -1;
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

// A pipe for ffmpeg's input, as large as the system lets it be without privileges (a frame
// or more at a time, where the default takes 64 KiB). False, with *problem, when there is none.
bool MakeInputPipe(int ends[2], std::string* problem) {
    if (pipe2(ends, O_CLOEXEC) != 0) {
        *problem = std::string("no pipe to the encoder: ") + std::strerror(errno);
        return false;
    }
    fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);  // where refused, the pipe stays as it is
    return true;
}

// Starts ffmpeg on argv with the read end of `ends` as its input, which it keeps alone.
bool StartEncoder(const std::vector<std::string>& argv, int ends[2], Encoder* encoder,
                  std::string* problem) {
    encoder->pid = Spawn(argv, ends[0]);
    close(ends[0]);
    if (encoder->pid < 0) {
        close(ends[1]);
        *problem = "ffmpeg cannot be started";
        return false;
    }
    encoder->input = ends[1];
    return true;
}

bool WriteAll(Encoder* encoder, const void* data, size_t bytes) {
    if (encoder->input < 0) return false;
    const char* next = static_cast<const char*>(data);
    while (bytes > 0) {
        ssize_t written = write(encoder->input, next, bytes);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;  // EPIPE: ffmpeg has gone
        next += written;
        bytes -= static_cast<size_t>(written);
    }
    return true;
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
            EncoderPath = candidate;
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool StartVideoEncoder(int width, int height, int framesPerSecond, const std::string& outPath,
                       Encoder* encoder, std::string* problem) {
    int ends[2];
    if (!MakeInputPipe(ends, problem)) return false;
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
    encoder->frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    return StartEncoder(argv, ends, encoder, problem);
}

bool EncodeFrame(Encoder* encoder, const void* rgba) {
    return WriteAll(encoder, rgba, encoder->frameBytes);
}

bool StartSoundEncoder(int rate, const std::string& outPath, Encoder* encoder,
                       std::string* problem) {
    int ends[2];
    if (!MakeInputPipe(ends, problem)) return false;
    std::vector<std::string> argv = Command({});
    Append(&argv, QuietOptions);
    argv.insert(argv.end(), {"-f", "s16le", "-ar", std::to_string(rate), "-ac", "2", "-i", "pipe:0"});
    Append(&argv, SoundOptions);
    Append(&argv, ReproducibleOutput);
    argv.insert(argv.end(), {"-f", "mp4", "-y", outPath});
    return StartEncoder(argv, ends, encoder, problem);
}

bool EncodeSound(Encoder* encoder, const std::int16_t* samples, int frames) {
    return frames >= 0 && WriteAll(encoder, samples, static_cast<size_t>(frames) * 2 * sizeof(*samples));
}

bool FinishEncoder(Encoder* encoder) {
    if (encoder->input >= 0) close(encoder->input);
    encoder->input = -1;
    if (encoder->pid < 0) return false;
    bool finished = WaitForSuccess(encoder->pid);
    encoder->pid = -1;
    return finished;
}

bool MuxVideoAndSound(const std::string& videoPath, const std::string& soundPath,
                      const std::string& outPath) {
    std::vector<std::string> argv = Command({"-nostdin"});
    Append(&argv, QuietOptions);
    argv.insert(argv.end(), {"-i", videoPath, "-i", soundPath, "-map", "0:v:0", "-map", "1:a:0",
                             "-c", "copy"});
    Append(&argv, ReproducibleOutput);
    // The index at the front, so that a player can start before the whole file has arrived.
    argv.insert(argv.end(), {"-movflags", "+faststart", "-f", "mp4", "-y", outPath});
    pid_t pid = Spawn(argv, -1);
    return pid > 0 && WaitForSuccess(pid);
}
