// What a capture leaves behind until it has succeeded: its temporary files and the encoder
// processes it started. Every failure removes them, also a signal, whose handler does it at
// once with async-signal-safe calls alone (so the paths are kept in fixed arrays).
#ifndef VESKOP_CAPTURE_LEFTOVERS_H
#define VESKOP_CAPTURE_LEFTOVERS_H

#include <signal.h>
#include <sys/types.h>

#include <string>

// Remembers a temporary file to remove on failure; one marked `last` goes after all others (a
// lock file that tells a live capture's temporaries from a dead one's). False when the path is
// too long to keep (the capture then refuses to start).
bool AddLeftoverFile(const std::string& path, bool last = false);
// A file that no longer needs removing (renamed into place, or removed already).
void ForgetLeftoverFile(const std::string& path);

// Remembers a child process (leader of its own process group) to kill on failure.
void AddLeftoverProcess(pid_t pid);
void ForgetLeftoverProcess(pid_t pid);

// Kills the remembered processes and waits for them, then removes the remembered files.
// Async-signal-safe; may run more than once.
void RemoveLeftovers();

// The signals that end a capture the way a user means to (Ctrl+C, Ctrl+\, a stop, the terminal
// gone): each removes the leftovers, says so on standard error and ends the process with 128 +
// the signal's number. SIGPIPE is ignored: a broken pipe shows as a failed write.
const int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
void RemoveLeftoversOnSignals();

#endif
