// Message boxes: SDL's dialog. With no display the answer is the one that changes nothing: No to a
// question, OK to a notice.
//
// SDL's dialog runs its own loop on a connection of its own, so the program's window events wait
// in the display connection meanwhile and are read by the next PeekMessageA.
#include "sdl_backend.h"

#include <cstdio>
#include <string>

namespace {

const UINT ButtonsMask = 0x0000000F;
const UINT IconMask = 0x000000F0;

// Windows breaks a long line of a message box between words to fit the screen; SDL's dialog
// grows as wide as the line instead. So a line longer than this many characters is broken at its
// last space before it (or its first after, for a longer word).
const size_t WrapColumn = 64;

std::string WrapLongLines(std::string text) {
    size_t lineStart = 0;
    for (;;) {
        const size_t lineEnd = text.find('\n', lineStart);
        const size_t length = (lineEnd == std::string::npos ? text.size() : lineEnd) - lineStart;
        if (length > WrapColumn) {
            size_t space = text.rfind(' ', lineStart + WrapColumn);
            if (space == std::string::npos || space <= lineStart) {
                space = text.find(' ', lineStart + WrapColumn);
            }
            if (space != std::string::npos && (lineEnd == std::string::npos || space < lineEnd)) {
                text[space] = '\n';
                lineStart = space + 1;
                continue;
            }
        }
        if (lineEnd == std::string::npos) return text;
        lineStart = lineEnd + 1;
    }
}

Uint32 IconFlagOf(UINT type) {
    switch (type & IconMask) {
    case MB_ICONSTOP: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

int BackendMessageBox(const char* text, const char* caption, UINT type) {
    InstallSignalHandling();

    // Yes is the default button, as on Windows; Escape answers No here (a Windows Yes/No box
    // ignores it), so that the keyboard can give either answer.
    bool question = (type & ButtonsMask) == MB_YESNO;
    const SDL_MessageBoxButtonData yesNo[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    const SDL_MessageBoxButtonData ok[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
         "OK"},
    };
    int unanswered = question ? IDNO : IDOK;

    SDL_MessageBoxData box = {};
    box.flags = IconFlagOf(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.title = caption;
    const std::string wrapped = WrapLongLines(text);
    box.message = wrapped.c_str();
    box.numbuttons = question ? 2 : 1;
    box.buttons = question ? yesNo : ok;

    const char* answer = question ? "No" : "OK";
    // Without a display SDL has nowhere to put a dialog (and its attempts print noise).
    if (!HasDisplay()) {
        std::fprintf(stderr, "%s: no display to ask on; answered %s\n", caption, answer);
        std::fflush(stderr);
        return unanswered;
    }
    int pressed = -1;
    NoteMessageBoxShowing(true);
    const int shown = SDL_ShowMessageBox(&box, &pressed);
    NoteMessageBoxShowing(false);
    if (shown != 0) {
        std::fprintf(stderr, "%s: the dialog could not be shown (%s); answered %s\n", caption,
                     SDL_GetError(), answer);
        std::fflush(stderr);
        return unanswered;
    }
    return pressed == IDYES || pressed == IDNO || pressed == IDOK ? pressed : unanswered;
}
