#pragma once

// Included once by each executable that starts the web engine (its main file), so the sanitizer runtime finds
// these hooks at start.
#if defined(__SANITIZE_ADDRESS__)
// The web engine, built without the address checker, frees some objects through a base of another size and keeps
// a few allocations (its own, the font and device libraries') for the life of the process: neither is this
// program's to fix, and both would hide ours.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:libudev.so\n";
}
#endif
