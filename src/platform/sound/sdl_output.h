// What the SDL sound output does on its device's thread, for a benchmark that paces the mixer
// the same way.
#ifndef VESKOP_SDL_OUTPUT_H
#define VESKOP_SDL_OUTPUT_H

// Asks for real-time scheduling of the calling thread, where the system grants it; elsewhere the
// thread keeps the priority it had. Where the thread that opened the output is real-time, its
// policy and priority instead.
void RequestRealTimeScheduling();

#endif
