// Linked into this folder's programs in sanitizer builds only. The sanitizers
// read these before their environment variables, which still win.

extern "C" {

// GLib is built without frame pointers, so its one-time allocations can be
// told apart (tools/lsan.supp) only with malloc stacks unwound in full; a
// dozen frames keeps that affordable.
const char* __asan_default_options() {
    return "detect_leaks=1:halt_on_error=1:fast_unwind_on_malloc=0:malloc_context_size=12";
}

const char* __lsan_default_options() {
    return "suppressions=" KELTO_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

}  // extern "C"
