// Linked into mesh_lists_test and timeline_test in a sanitizer build, on top of
// tests/sanitize/lsan.supp. Mesa's software renderer does not free what it sets up for feedback
// mode (glRenderMode(GL_FEEDBACK)) when the context goes: 496 bytes and a 1 MiB buffer each
// time. These tests read the lists, and the points of the mesh scene, back in feedback mode; the
// program never uses it. Debian's Mesa has no frame pointers, so the stack ends inside the
// driver and only the driver's module can be named.
extern "C" const char* __lsan_default_suppressions() { return "leak:swrast_dri.so\n"; }
