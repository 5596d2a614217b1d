#include "allocation_count.h"

#include <stddef.h>

#include <atomic>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

// The linker's bounds of the executable's code.
extern "C" char __executable_start;
extern "C" char etext;

namespace {

std::atomic<long long> AllThreads{0};
std::atomic<long long> FromProgram{0};
// Initial-exec TLS in the executable: reading it never allocates, even on a new thread.
thread_local long long ThisThread __attribute__((tls_model("initial-exec"))) = 0;

void Count(const void* caller) {
    AllThreads.fetch_add(1, std::memory_order_relaxed);
    ThisThread++;
    const char* code = static_cast<const char*>(caller);
    if (code >= &__executable_start && code < &etext) FromProgram.fetch_add(1, std::memory_order_relaxed);
}

#define COUNT() Count(__builtin_return_address(0))

}  // namespace

AllocationCounts CountAllocations() {
    return AllocationCounts{ThisThread, AllThreads.load(std::memory_order_relaxed),
                            FromProgram.load(std::memory_order_relaxed)};
}

extern "C" {

void* malloc(size_t size) {
    COUNT();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    COUNT();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size) {
    COUNT();
    return __libc_realloc(pointer, size);
}

void* memalign(size_t alignment, size_t size) {
    COUNT();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    COUNT();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** pointer, size_t alignment, size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return 22;  // EINVAL
    COUNT();
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) return 12;  // ENOMEM
    *pointer = block;
    return 0;
}

}  // extern "C"

void* operator new(size_t size) {
    COUNT();
    void* block = __libc_malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void* operator new[](size_t size) {
    COUNT();
    void* block = __libc_malloc(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    COUNT();
    return __libc_malloc(size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    COUNT();
    return __libc_malloc(size);
}
