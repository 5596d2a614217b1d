// Opening a file for reading only when it is a regular file, without waiting.
//
// The check is made on the opened file, so nothing swapped in after it can be read instead, and
// the open itself does not block: a FIFO (which would wait for a writer that may never come) or a
// device (which may never end) is refused at once. On Windows, which has no FIFOs, the file is
// opened in binary mode.
#ifndef VESKOP_REGULAR_FILE_H
#define VESKOP_REGULAR_FILE_H

#include <cstdio>

// The open file, with its size in bytes in *size (when size is not null). Null when path cannot
// be opened (errno says why: ENOENT for a file that is not there, say) or is not a regular file
// (errno EINVAL).
std::FILE* OpenRegularFile(const char* path, long long* size);

#endif
