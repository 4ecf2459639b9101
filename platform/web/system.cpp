// Threads, sleeps and modules for winshim in a web page, where the machine has
// one thread, the page's, and no modules to load.
//
// CreateThread fails (returns null): the page drives the machine's pieces from
// its frame callback instead. Sleep cannot block the page's only thread; a
// caller there is a bug, so it returns at once. LoadLibraryA finds nothing.
// MoveFileExA renames in the page's in-memory file system (a recording is
// written there before the page offers it as a download), which has no disk
// to flush to.
#include <windows.h>

#include <cstdio>
#include <unistd.h>

extern "C" {

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
    return nullptr;
}

void Sleep(DWORD) {}

HMODULE LoadLibraryA(LPCSTR) {
    return nullptr;
}

FARPROC GetProcAddress(HMODULE, LPCSTR) {
    return nullptr;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR replacement, DWORD flags) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && access(replacement, F_OK) == 0) return FALSE;
    return rename(existing, replacement) == 0;
}

} // extern "C"
