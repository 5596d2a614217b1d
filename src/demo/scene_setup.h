// The one-time set-up of a rendering context for the show.
#ifndef VESKOP_SCENE_SETUP_H
#define VESKOP_SCENE_SETUP_H

// Prepares what the timeline draws in the current rendering context and records time zero of the
// show. Runs once per rendering context: at start-up and after every fullscreen toggle. False
// when an image does not load: the show cannot run as made, and nothing after that image has
// been tried (no later image, no display list, no music).
bool InitScene();

// Why the last InitScene returned false, for the user: which image did not load and what is
// wrong with it. Empty after one that succeeded.
const char* SceneSetupFailure();

#endif
