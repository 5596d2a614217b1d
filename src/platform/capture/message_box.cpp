// Message boxes: there is nobody to ask (the text has gone to standard error), so the answer is
// the one that changes nothing: No to a question, OK to a notice.
#include "capture_backend.h"

int BackendMessageBox(const char*, const char*, UINT type) {
    const UINT buttonsMask = 0x0000000F;
    return (type & buttonsMask) == MB_YESNO ? IDNO : IDOK;
}
