// A module for the LoadLibraryA and GetProcAddress tests.
extern "C" __attribute__((visibility("default"))) int ShimTestModuleAnswer(void) {
    return 42;
}
