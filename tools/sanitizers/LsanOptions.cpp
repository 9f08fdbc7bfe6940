// Linked into every target of a sanitizer build, so that the tool, the simulator
// and the tests all read the project's LeakSanitizer suppressions by themselves.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" VEMO_LSAN_SUPPRESSIONS;
}
