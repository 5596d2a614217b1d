// Message boxes: the page's dialog (Module.veskopAsk), which the program's loop waits for as a
// message box waits for its answer. A page without one answers what changes nothing: No to a
// question, OK to a notice.
#include "web_backend.h"

#include <emscripten.h>

namespace {

const UINT ButtonsMask = 0x0000000F;

// clang-format off
// 1 for Yes or OK, 0 for No.
EM_JS(int, AskInPage, (const char* text, const char* caption, int question), {
    if (!Module.veskopAsk) return question ? 0 : 1;
    var shownText = UTF8ToString(text), shownCaption = UTF8ToString(caption);
    return Asyncify.handleSleep(function(wakeUp) {
        Module.veskopAsk(shownText, shownCaption, !!question).then(function(yes) {
            try {
                wakeUp(yes ? 1 : 0);
            } catch (error) {
                if (!(error instanceof ExitStatus)) throw error;
            }
        });
    });
});
// clang-format on

}  // namespace

int BackendMessageBox(const char* text, const char* caption, UINT type) {
    const bool question = (type & ButtonsMask) == MB_YESNO;
    const bool yes = AskInPage(text, caption, question ? 1 : 0) != 0;
    if (question) return yes ? IDYES : IDNO;
    return IDOK;
}
