// A path that another thread keeps turning from a regular file into a FIFO and back, for tests
// of loaders that must check what they opened rather than what the path named a moment before.
#ifndef VESKOP_TEST_FIFO_SWAP_H
#define VESKOP_TEST_FIFO_SWAP_H

#include <functional>
#include <string>

// Calls load(path) over and over for `seconds` while the path is swapped between a link to a
// regular file and a link to a FIFO; the three are made, and removed at the end, at pathPrefix
// followed by "swapped", "regular" and "fifo". The regular file holds a few bytes of no known
// format, so that each load is quick and the race is run often. Returns
// the longest single call, in seconds. A call left waiting in the FIFO's open is let go a
// second after the others by opening the FIFO's other end, so a loader that blocks shows as
// one long call instead of a hung test.
double LongestLoadWhileSwappingInFifo(const std::string& pathPrefix,
                                      const std::function<void(const char* path)>& load,
                                      double seconds);

#endif
