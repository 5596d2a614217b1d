// The 55-second show: DrawFrame draws the scene of the current moment.
#ifndef VESKOP_TIMELINE_H
#define VESKOP_TIMELINE_H

// Draws one frame of the show into the current rendering context and writes the frame's two
// diagnostic lines. Returns 1 (keep running). In the first frame more than 55000 ms after the
// scene set-up it ends the process with status 0 instead of returning.
int DrawFrame();

#endif
