// The one-time set-up of a rendering context for the show.
#ifndef VESKOP_SCENE_SETUP_H
#define VESKOP_SCENE_SETUP_H

// Prepares what the timeline draws in the current rendering context and records time zero of the
// show. Runs once per rendering context: at start-up and after every fullscreen toggle.
bool InitScene();

#endif
