// Message boxes: there is nobody to ask, so the text goes to standard error and the answer is the
// one that changes nothing: No to a question, OK to a notice.
#include "capture_state.h"

#include <cstdio>

extern "C" {

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const UINT buttonsMask = 0x0000000F;
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "Error",
                 text != nullptr ? text : "");
    std::fflush(stderr);
    return (type & buttonsMask) == MB_YESNO ? IDNO : IDOK;
}

}  // extern "C"
