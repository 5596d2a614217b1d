#include "x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::string SecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", seconds);
    return text;
}

// A binary PPM (P6, 8 bits), as ImageMagick writes it.
Screenshot ParsePpm(const std::string& data) {
    Screenshot shot;
    // Four fields, each after white space and any "#" comment lines (the image's name, say).
    size_t at = 0;
    auto field = [&data, &at]() {
        for (;;) {
            while (at < data.size() && std::isspace(static_cast<unsigned char>(data[at]))) at++;
            if (at >= data.size() || data[at] != '#') break;
            at = data.find('\n', at);
            if (at == std::string::npos) at = data.size();
        }
        size_t start = at;
        while (at < data.size() && !std::isspace(static_cast<unsigned char>(data[at]))) at++;
        return data.substr(start, at - start);
    };
    std::string magic = field();
    int width = std::atoi(field().c_str());
    int height = std::atoi(field().c_str());
    int maximum = std::atoi(field().c_str());
    if (magic != "P6" || width <= 0 || height <= 0 || maximum != 255) return shot;
    size_t start = at + 1;  // one whitespace byte ends the header
    size_t size = static_cast<size_t>(width) * height * 3;
    if (data.size() < start + size) return shot;
    shot.width = width;
    shot.height = height;
    shot.rgb.assign(data.begin() + start, data.begin() + start + size);
    return shot;
}

}  // namespace

std::array<std::uint8_t, 3> Screenshot::At(int x, int y) const {
    size_t offset = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[offset], rgb[offset + 1], rgb[offset + 2]};
}

int Screenshot::LitPixels(int x0, int y0, int x1, int y1) const {
    int lit = 0;
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
            auto pixel = At(x, y);
            if (pixel[0] | pixel[1] | pixel[2]) lit++;
        }
    }
    return lit;
}

XServer::~XServer() { Stop(); }

void XServer::Start(std::vector<std::string> argv) {
    // The server picks a free display and writes its number to the descriptor once it takes
    // clients.
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return;
    ChildOptions options;
    options.passDescriptor = ready[1];
    argv.insert(argv.begin() + 1, {"-displayfd", "3"});
    process_ = std::make_unique<ChildProcess>(argv, options);
    close(ready[1]);

    std::string number;
    double deadline = NowSeconds() + 15.0;
    while (NowSeconds() < deadline) {
        pollfd wait = {ready[0], POLLIN, 0};
        if (poll(&wait, 1, 100) <= 0) continue;
        char byte;
        if (read(ready[0], &byte, 1) != 1) break;  // the server ended
        if (byte == '\n') {
            display_ = ":" + number;
            break;
        }
        number += byte;
    }
    close(ready[0]);
    if (display_.empty()) {
        std::fprintf(stderr, "%s did not start: %s\n", argv[0].c_str(), process_->Errors().c_str());
        process_->Kill();
    }
}

void XServer::Stop() {
    if (!process_) return;
    process_->Signal(SIGTERM);
    if (!process_->WaitForExit(3.0)) process_->Kill();
    process_.reset();
}

XvfbServer::XvfbServer(int width, int height, int depth) {
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" +
                         std::to_string(depth);
    framebufferFolder_ = MakeTemporaryDirectory("xvfb-screen-");
    Start({"Xvfb", "-screen", "0", screen, "-fbdir", framebufferFolder_, "-nolisten", "tcp",
           "-noreset"});
}

XvfbServer::~XvfbServer() {
    Stop();
    if (!framebufferFolder_.empty()) {
        unlink((framebufferFolder_ + "/Xvfb_screen0").c_str());
        rmdir(framebufferFolder_.c_str());
    }
}

ChildOptions XServer::ClientOptions(ChildOptions base) const {
    base.environment.emplace_back("DISPLAY", display_);
    return base;
}

CommandResult XServer::Run(const std::vector<std::string>& argv, double timeoutSeconds) const {
    return RunCommand(argv, ClientOptions(), timeoutSeconds);
}

std::vector<XWindow> XServer::TopLevelWindows() const { return ListWindows("-children"); }

std::vector<XWindow> XServer::AllWindows() const { return ListWindows("-tree"); }

std::vector<XWindow> XServer::ListWindows(const std::string& option) const {
    std::vector<XWindow> windows;
    CommandResult listing = Run({"xwininfo", "-root", option});
    // '     0x200009 "VESKOP": ("veskop" "veskop")  640x480+0+0  +0+0', the last place on the
    // screen; windows inside others are indented further.
    static const std::regex line(
        R"re(^\s*(0x[0-9a-fA-F]+) "(.*)": \(.*\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)\s*$)re");
    std::istringstream lines(listing.output);
    std::string text;
    while (std::getline(lines, text)) {
        std::smatch match;
        if (!std::regex_match(text, match, line)) continue;
        XWindow window;
        window.id = match[1];
        window.title = match[2];
        window.width = std::stoi(match[3]);
        window.height = std::stoi(match[4]);
        window.x = std::stoi(match[5]);
        window.y = std::stoi(match[6]);
        windows.push_back(window);
    }
    return windows;
}

bool XServer::IsMapped(const std::string& id) const {
    return Run({"xwininfo", "-id", id}).output.find("Map State: IsViewable") != std::string::npos;
}

XWindow XServer::FindMapped(const std::vector<XWindow>& windows,
                               const std::string& title) const {
    for (const XWindow& window : windows) {
        if (window.title == title && IsMapped(window.id)) return window;
    }
    return XWindow{};
}

XWindow XServer::FindWindow(const std::string& title) const {
    return FindMapped(TopLevelWindows(), title);
}

XWindow XServer::FindAnyWindow(const std::string& title) const {
    return FindMapped(AllWindows(), title);
}

XWindow XServer::WaitForWindow(const std::string& title, double timeoutSeconds) const {
    return WaitForMapped(false, title, timeoutSeconds);
}

XWindow XServer::WaitForAnyWindow(const std::string& title, double timeoutSeconds) const {
    return WaitForMapped(true, title, timeoutSeconds);
}

XWindow XServer::WaitForMapped(bool nested, const std::string& title,
                                  double timeoutSeconds) const {
    double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        XWindow window = nested ? FindAnyWindow(title) : FindWindow(title);
        if (window.found() || NowSeconds() >= deadline) return window;
        SleepSeconds(0.05);
    }
}

bool XServer::WaitForWindowGone(const std::string& title, double timeoutSeconds) const {
    double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        if (!FindWindow(title).found()) return true;
        if (NowSeconds() >= deadline) return false;
        SleepSeconds(0.05);
    }
}

bool XServer::HoldKey(const std::string& key, double seconds) const {
    // One xdotool run, so that the hold lasts what was asked and no start-up time more.
    return Run({"xdotool", "keydown", key, "sleep", SecondsText(seconds), "keyup", key}).status == 0;
}

bool XServer::TapKey(const std::string& key) const {
    return Run({"xdotool", "key", key}).status == 0;
}

bool XServer::FocusWindow(const XWindow& window) const {
    return window.found() && Run({"xdotool", "windowfocus", window.id}).status == 0;
}

bool XServer::AnswerBox(const XWindow& box, const std::string& key) const {
    if (!FocusWindow(box) || !TapKey(key)) return false;
    double deadline = NowSeconds() + 5.0;
    for (;;) {
        bool listed = false;
        for (const XWindow& window : AllWindows()) listed |= window.id == box.id;
        if (!listed) return true;
        if (NowSeconds() >= deadline) return false;
        SleepSeconds(0.05);
    }
}

bool XServer::CloseWindow(const XWindow& window) const {
    return window.found() && Run({VESKOP_CLOSE_WINDOW_TOOL, window.id}).status == 0;
}

ScreenCapture XvfbServer::CaptureScreen() const {
    // Xvfb maps the file as its screen memory: a copy of it is the screen of that moment.
    return ScreenCapture{ReadFile(framebufferFolder_ + "/Xvfb_screen0")};
}

bool ScreenCapture::SaveAs(const std::string& pngPath) const {
    if (!ok()) return false;
    std::string xwdPath = pngPath + ".xwd";
    bool saved = false;
    {
        std::ofstream copy(xwdPath, std::ios::binary | std::ios::trunc);
        copy << xwd;
        saved = static_cast<bool>(copy);
    }
    saved = saved && RunCommand({"convert", "xwd:" + xwdPath, pngPath}).status == 0;
    unlink(xwdPath.c_str());
    return saved;
}

Screenshot Screenshot::Read(const std::string& path) {
    std::string ppmPath = path + ".ppm";
    Screenshot shot;
    if (RunCommand({"convert", path, "-depth", "8", "ppm:" + ppmPath}).status == 0) {
        shot = ParsePpm(ReadFile(ppmPath));
    }
    unlink(ppmPath.c_str());
    return shot;
}

Screenshot XvfbServer::TakeScreenshot(const std::string& pngPath) const {
    return CaptureScreen().SaveAs(pngPath) ? Screenshot::Read(pngPath) : Screenshot{};
}

namespace {

// A 1024x768 screen that also offers 640x480, on the dummy driver (no monitor, no input
// devices); the log and the configuration stay out of the system's folders.
const char XorgConfiguration[] = R"conf(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
    Modeline "640x480" 25.18 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1024x768" "640x480"
        Virtual 1024 768
    EndSubSection
EndSection
)conf";

}  // namespace

const char XorgServer::DesktopMode[] = "1024x768";

XorgServer::XorgServer() {
    folder_ = MakeTemporaryDirectory("xorg-dummy-");
    if (folder_.empty()) return;
    std::string configuration = folder_ + "/xorg.conf";
    {
        std::ofstream file(configuration, std::ios::trunc);
        file << XorgConfiguration;
        if (!file) return;
    }
    // On the console's own virtual terminal, shared, with no switch to one of its own.
    Start({"Xorg", "-noreset", "-nolisten", "tcp", "-sharevts", "-novtswitch", "-config",
           configuration, "-configdir", folder_, "-logfile", folder_ + "/log"});
}

XorgServer::~XorgServer() {
    Stop();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string XorgServer::CurrentMode() const {
    // "Screen 0: minimum 64 x 64, current 1024 x 768, maximum 32767 x 32767"
    static const std::regex current(R"re(current (\d+) x (\d+))re");
    std::smatch match;
    std::string listing = Run({"xrandr"}).output;
    if (!std::regex_search(listing, match, current)) return "";
    return match[1].str() + "x" + match[2].str();
}

bool XorgServer::WaitForMode(const std::string& mode, double timeoutSeconds) const {
    double deadline = NowSeconds() + timeoutSeconds;
    for (;;) {
        if (CurrentMode() == mode) return true;
        if (NowSeconds() >= deadline) return false;
        SleepSeconds(0.05);
    }
}

bool XorgServer::SetMode(const std::string& mode) const {
    return Run({"xrandr", "-s", mode}).status == 0;
}

ScreenSizeWatch::ScreenSizeWatch(const XServer& server) {
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{VESKOP_WATCH_SCREEN_TOOL},
                                              server.ClientOptions());
    // Its first line comes once it watches.
    ok_ = process_->WaitForOutput("\n", 10.0);
}

bool ScreenSizeWatch::WaitForSize(const std::string& size, double timeoutSeconds) {
    // One line a size, the first one the size at the start.
    return process_->WaitForOutput("\n" + size + "\n", timeoutSeconds);
}
