// Input: the page's keyboard, focus and fullscreen-change events, queued by the page's handlers
// as they come and reported to the core at the program's next look at its messages (the
// handlers run while the program's loop has yielded, so they do not call into it).
//
// Of the keyboard, the program reads Escape and F1 to F3; only those become key messages, with
// Alt and Ctrl as they were held. The browser does not act on them (F1 would open its help),
// nor scroll the page on the keys that scroll. Keys held when the page loses the focus get their
// key-up, as nothing else would ever send it. Fullscreen left by the browser itself (its Escape,
// where the page cannot lock that key) is the user's Escape: it ends the show.
#include "web_backend.h"

#include <emscripten.h>

namespace {

// An event as the page queues it: kind << 16 | virtual key << 8 | flags.
const int EventKeyDown = 1;
const int EventKeyUp = 2;
const int EventFocusGained = 3;
const int EventFocusLost = 4;
const int FlagRepeat = 1;
const int FlagAlt = 2;
const int FlagControl = 4;

// clang-format off
// The arguments are the event kinds and flags above.
EM_JS(void, InstallPageListeners, (int keyDown, int keyUp, int focusGained, int focusLost,
                                   int repeat, int alt, int control), {
    var keys = { Escape: 0x1B, F1: 0x70, F2: 0x71, F3: 0x72 };  // their virtual-key codes
    var scrolling = { Space: 1, PageUp: 1, PageDown: 1, Home: 1, End: 1, ArrowUp: 1, ArrowDown: 1,
                      ArrowLeft: 1, ArrowRight: 1 };
    var input = { queue: [], held: {} };
    function queue(kind, key, flags) { input.queue.push(kind << 16 | key << 8 | flags); }
    function onKey(event) {
        var key = keys[event.code];
        // A dialog of the program's takes its own keys (Enter, Space, Tab).
        var inDialog = event.target && event.target.closest && event.target.closest('dialog');
        if (key === undefined) {
            if (scrolling[event.code] && !inDialog) event.preventDefault();
            return;
        }
        event.preventDefault();
        if (inDialog) return;
        var down = event.type === 'keydown';
        var flags = (event.repeat ? repeat : 0) | (event.altKey ? alt : 0) | (event.ctrlKey ? control : 0);
        if (down) input.held[key] = true; else delete input.held[key];
        queue(down ? keyDown : keyUp, key, flags);
    }
    function onFocusLost() {
        for (var key in input.held) queue(keyUp, Number(key), 0);
        input.held = {};
        queue(focusLost, 0, 0);
    }
    function onFocusGained() { queue(focusGained, 0, 0); }
    function onVisibility() { if (document.hidden) onFocusLost(); }
    function onFullscreenChange() {
        var display = Module.veskopDisplay;
        if (document.fullscreenElement) {
            display.entered = true;
            // Escape then comes to the page as a key; held, the browser still leaves.
            if (navigator.keyboard && navigator.keyboard.lock) {
                navigator.keyboard.lock(['Escape']).catch(function() {});
            }
            return;
        }
        if (display.entered && !display.leaving) queue(keyDown, keys.Escape, 0);
        display.entered = false;
        display.leaving = false;
    }
    var listeners = [
        [window, 'keydown', onKey], [window, 'keyup', onKey], [window, 'blur', onFocusLost],
        [window, 'focus', onFocusGained], [document, 'visibilitychange', onVisibility],
        [document, 'fullscreenchange', onFullscreenChange],
    ];
    listeners.forEach(function(entry) { entry[0].addEventListener(entry[1], entry[2], true); });
    input.remove = function() {
        listeners.forEach(function(entry) { entry[0].removeEventListener(entry[1], entry[2], true); });
    };
    Module.veskopInput = input;
});

// The oldest queued event, or -1 when there is none.
EM_JS(int, TakePageEvent, (), {
    var input = Module.veskopInput;
    return input && input.queue.length > 0 ? input.queue.shift() : -1;
});
// clang-format on

}  // namespace

void ListenToPage() {
    InstallPageListeners(EventKeyDown, EventKeyUp, EventFocusGained, EventFocusLost, FlagRepeat,
                         FlagAlt, FlagControl);
}

void BackendPumpEvents() {
    WebState& web = Web();
    for (int event = TakePageEvent(); event >= 0; event = TakePageEvent()) {
        HWND window = web.focused != nullptr ? web.focused->window : nullptr;
        const int kind = event >> 16;
        const BYTE key = static_cast<BYTE>(event >> 8);
        const int flags = event & 0xFF;
        switch (kind) {
        case EventKeyDown:
        case EventKeyUp:
            CoreReportKey(window, key, kind == EventKeyDown, (flags & FlagRepeat) != 0,
                          (flags & FlagAlt) != 0, (flags & FlagControl) != 0);
            break;
        case EventFocusGained:
        case EventFocusLost:
            CoreReportFocus(window, kind == EventFocusGained);
            break;
        }
    }
}
