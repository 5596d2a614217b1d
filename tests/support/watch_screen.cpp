// watch_screen: writes the size of the screen of the X display in $DISPLAY to standard output,
// one line each ("1024x768"): at the start, once the watch is in place, and again at every change
// of the root window's size (a change of display mode), until it is killed.
#include <X11/Xlib.h>

#include <cstdio>

int main(int, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, StructureNotifyMask);
    // A round trip: the selection is in effect before the first line tells that it is.
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    int width = attributes.width, height = attributes.height;
    std::printf("%dx%d\n", width, height);
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != ConfigureNotify || event.xconfigure.window != root) continue;
        if (event.xconfigure.width == width && event.xconfigure.height == height) continue;
        width = event.xconfigure.width;
        height = event.xconfigure.height;
        std::printf("%dx%d\n", width, height);
        std::fflush(stdout);
    }
}
