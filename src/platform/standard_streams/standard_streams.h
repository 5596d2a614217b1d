// The standard streams of a Linux program started with one of them closed (`veskop >&-`): the
// first file the program opened would take the closed stream's descriptor, and what is meant for
// that stream (the frames' lines, a library's messages) would be written into it, into the X
// connection or a capture's sound, say.
#ifndef VESKOP_STANDARD_STREAMS_H
#define VESKOP_STANDARD_STREAMS_H

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that what is written to
// a closed stream goes nowhere and what is read from it is at its end, as for an unattached one.
// To be called first thing in main, before anything is opened. False when /dev/null cannot be
// opened (then nothing else can be trusted to be safe either).
bool OpenClosedStandardStreams();

#endif
