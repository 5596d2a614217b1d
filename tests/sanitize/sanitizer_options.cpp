// Linked into every executable of a sanitizer build: the sanitizers' run-time options, which the
// runtimes ask for before they read ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS, and a dlclose
// that keeps every shared library loaded.
extern "C" {

// intercept_tls_get_addr=0: with it, LeakSanitizer's tracer crashed reading the thread-local
// blocks of libraries loaded later (Mesa's), at the end of some OpenGL tests.
const char* __asan_default_options() {
    return "halt_on_error=1:detect_leaks=1:strict_init_order=1:intercept_tls_get_addr=0";
}

const char* __lsan_default_options() {
    return "print_suppressions=0:suppressions=\"" VESKOP_LSAN_SUPPRESSIONS "\"";
}

const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

// SDL unloads the OpenGL library, and Mesa its driver, before the process ends. What an
// unloaded library's globals still held would then look leaked, and its stacks could name no
// module to suppress them by. Libraries stay loaded; the memory is the system's to take back at
// exit. (Only in this build; a plain build unloads as usual.)
int dlclose(void*) { return 0; }

}  // extern "C"
