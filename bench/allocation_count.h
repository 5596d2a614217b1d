// Counts heap allocations: linked into a benchmark executable only (never the shipped program), it
// replaces malloc, calloc, realloc, the aligned allocations and operator new for the whole
// process, every library included, and forwards them to the C library's own allocator. An
// allocation asked for by code in the executable itself (the program and our stand-ins, which
// are linked into it) counts as the program's; the shared libraries' (Mesa, X, SDL, libopenmpt)
// count only in the totals.
#ifndef VESKOP_BENCH_ALLOCATION_COUNT_H
#define VESKOP_BENCH_ALLOCATION_COUNT_H

struct AllocationCounts {
    long long thisThread;   // made on the thread that asks (the program's one thread)
    long long allThreads;   // made on any thread (OpenGL's workers and the audio thread too)
    long long fromProgram;  // asked for by the executable's own code, on any thread
};

// Allocations since the process started, on the calling thread and on all threads.
AllocationCounts CountAllocations();

#endif
