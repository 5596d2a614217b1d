// X servers for one test each: a virtual one of a chosen size (Xvfb), and a real one with several
// display modes (Xorg with its dummy driver), where a change of mode really happens. On either, a
// test does what a user would: find windows by title, hold and tap keys (xdotool), close a window
// as a window manager's close box does. Each server picks a free display number, so tests with
// servers of their own run side by side.
#ifndef VESKOP_TEST_X_SERVER_H
#define VESKOP_TEST_X_SERVER_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

// A top-level window as xwininfo reports it.
struct XWindow {
    std::string id;  // "0x200009"; empty: no such window
    std::string title;
    int x = 0, y = 0;  // screen pixels, of the window's inside (no window manager draws frames)
    int width = 0, height = 0;
    bool found() const { return !id.empty(); }
};

struct Screenshot {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, top row first
    bool ok() const { return width > 0 && height > 0; }
    // The pixels of a saved screenshot (or of any image file ImageMagick reads).
    static Screenshot Read(const std::string& path);
    std::array<std::uint8_t, 3> At(int x, int y) const;
    // How many pixels of the rectangle [x0, x1) x [y0, y1) are not black.
    int LitPixels(int x0, int y0, int x1, int y1) const;
};

// The screen at one moment, as Xvfb keeps it (an XWD image), to be saved when there is time.
struct ScreenCapture {
    std::string xwd;
    bool ok() const { return !xwd.empty(); }
    bool SaveAs(const std::string& pngPath) const;
};

// What every test server offers its clients.
class XServer {
public:
    virtual ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }  // ":N"

    // `base` with DISPLAY set to this server.
    ChildOptions ClientOptions(ChildOptions base = {}) const;
    CommandResult Run(const std::vector<std::string>& argv, double timeoutSeconds = 10.0) const;

    std::vector<XWindow> TopLevelWindows() const;
    // Every window, those inside others too: a Wine desktop holds its programs' windows.
    std::vector<XWindow> AllWindows() const;
    // The first mapped top-level window with exactly this title; not found() when none.
    XWindow FindWindow(const std::string& title) const;
    XWindow WaitForWindow(const std::string& title, double timeoutSeconds) const;
    // The same among all windows.
    XWindow FindAnyWindow(const std::string& title) const;
    XWindow WaitForAnyWindow(const std::string& title, double timeoutSeconds) const;
    bool WaitForWindowGone(const std::string& title, double timeoutSeconds) const;

    // Keys by X key name: "Escape", "F1", "Return", "alt+F4".
    bool HoldKey(const std::string& key, double seconds) const;  // down, held, up
    bool TapKey(const std::string& key) const;                   // down and up at once
    bool FocusWindow(const XWindow& window) const;
    // Answers a message box as a user does, with `key` ("Return"), and waits until it is gone.
    bool AnswerBox(const XWindow& box, const std::string& key) const;
    // Sends the window WM_DELETE_WINDOW, as a window manager does when its close box is clicked.
    bool CloseWindow(const XWindow& window) const;

protected:
    XServer() = default;
    // Runs the server (argv less the -displayfd option, which this adds) and waits until it takes
    // clients; ok() tells whether it did.
    void Start(std::vector<std::string> argv);
    void Stop();

private:
    // Windows as `xwininfo -root <option>` lists them.
    std::vector<XWindow> ListWindows(const std::string& option) const;
    XWindow FindMapped(const std::vector<XWindow>& windows, const std::string& title) const;
    XWindow WaitForMapped(bool nested, const std::string& title, double timeoutSeconds) const;
    bool IsMapped(const std::string& id) const;

    std::unique_ptr<ChildProcess> process_;
    std::string display_;
};

class XvfbServer : public XServer {
public:
    // One screen of width x height pixels at depth bits per pixel; Xvfb offers that one mode.
    explicit XvfbServer(int width = 640, int height = 480, int depth = 24);
    ~XvfbServer() override;

    // Saves the whole screen as pngPath and returns its pixels.
    Screenshot TakeScreenshot(const std::string& pngPath) const;
    // The screen of this moment, read straight from the server's framebuffer file in a few
    // milliseconds: asking the server for it instead (import) can take seconds while a program
    // keeps it busy drawing flat out.
    ScreenCapture CaptureScreen() const;

private:
    std::string framebufferFolder_;  // where Xvfb keeps its screen as an XWD file
};

// Xorg with the dummy video driver (it must run as root): a screen that starts in its desktop
// mode, 1024x768, and offers 640x480 among others.
class XorgServer : public XServer {
public:
    static const char DesktopMode[];  // "1024x768"

    XorgServer();
    ~XorgServer() override;

    // The screen's mode now ("640x480", as xrandr reports it); empty when it cannot be read.
    std::string CurrentMode() const;
    // Waits until the mode is `mode`; false when timeoutSeconds passed first.
    bool WaitForMode(const std::string& mode, double timeoutSeconds) const;
    // Sets the mode, as a user would by hand (xrandr -s).
    bool SetMode(const std::string& mode) const;

private:
    std::string folder_;  // its configuration and log
};

// The sizes the screen of a server takes from the start of the watch on, as a client watching
// the root window sees them: a change of display mode that lasts only a moment is seen too.
class ScreenSizeWatch {
public:
    // Returns once the watch is in place; ok() tells whether it is.
    explicit ScreenSizeWatch(const XServer& server);
    bool ok() const { return ok_; }
    // Waits until the screen has changed to `size` ("640x480") at some moment since the watch
    // began (the watcher may see a change a little after it); false when timeoutSeconds passed.
    bool WaitForSize(const std::string& size, double timeoutSeconds);

private:
    std::unique_ptr<ChildProcess> process_;
    bool ok_ = false;
};

#endif
