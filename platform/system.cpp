// Threads, sleeps and modules for winshim, over POSIX threads and the
// dynamic loader.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/prctl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kCreateSuspended = 0x4;
constexpr DWORD kInfinite = 0xFFFFFFFF;

struct SystemThreadStart {
    LPTHREAD_START_ROUTINE start;
    LPVOID parameter;
};

std::atomic<DWORD> systemLastThreadId{0};
std::mutex systemModuleLock;
std::vector<void*> systemModules; // every handle LoadLibraryA has given out

void* SystemThreadMain(void* argument) {
    SystemThreadStart start = *static_cast<SystemThreadStart*>(argument);
    delete static_cast<SystemThreadStart*>(argument);
    // The emulator paces itself with short Sleeps; the kernel's default 50 us
    // of timer slack would add to every one of them, as the coarse default
    // timer does on Windows until timeBeginPeriod.
    prctl(PR_SET_TIMERSLACK, 1UL);
    start.start(start.parameter);
    return nullptr;
}

// The folder of the running program, with a trailing slash; empty if unknown.
std::string SystemProgramFolder() {
    std::string path(PATH_MAX, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) return {};
    path.resize(length);
    return path.substr(0, path.rfind('/') + 1);
}

} // namespace

extern "C" {

// The thread runs detached: the emulator never waits for or closes one. The
// handle is the thread's id dressed as a handle, never null.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId) {
    if (!start || (flags & kCreateSuspended)) return nullptr;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return nullptr;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize) pthread_attr_setstacksize(&attributes, std::max<SIZE_T>(stackSize, 1 << 16));
    auto* argument = new SystemThreadStart{start, parameter};
    pthread_t thread;
    int failed = pthread_create(&thread, &attributes, SystemThreadMain, argument);
    pthread_attr_destroy(&attributes);
    if (failed) {
        delete argument;
        return nullptr;
    }
    DWORD id = systemLastThreadId.fetch_add(1, std::memory_order_relaxed) + 1;
    if (threadId) *threadId = id;
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(id) << 2);
}

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == kInfinite) {
        for (;;)
            pause();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR replacement, DWORD flags) {
    // rename() replaces the target in one step; without the flag Windows
    // refuses an existing one.
    if (!(flags & MOVEFILE_REPLACE_EXISTING) && access(replacement, F_OK) == 0) return FALSE;
    if (rename(existing, replacement) != 0) return FALSE;
    if (!(flags & MOVEFILE_WRITE_THROUGH)) return TRUE;
    // A rename is on the disk once its folder is.
    std::string folder = replacement;
    size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (descriptor < 0) return FALSE;
    bool synced = fsync(descriptor) == 0;
    close(descriptor);
    return synced;
}

// A bare file name is looked for as Windows does first, beside the program,
// then by the loader's own search, then in the current folder; a name with a
// slash is loaded as given.
HMODULE LoadLibraryA(LPCSTR name) {
    if (!name || !*name) return nullptr;
    std::string file = name;
    void* module = nullptr;
    if (file.find('/') != std::string::npos) {
        module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    } else {
        std::string folder = SystemProgramFolder();
        if (!folder.empty()) module = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) module = dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (!module) module = dlopen(("./" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!module) return nullptr;
    std::lock_guard<std::mutex> hold(systemModuleLock);
    if (std::find(systemModules.begin(), systemModules.end(), module) == systemModules.end())
        systemModules.push_back(module);
    return static_cast<HMODULE>(module);
}

// Only handles LoadLibraryA gave out are looked into; names only (a value
// below 0x10000 would be an ordinal, which shared objects do not have).
FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (reinterpret_cast<uintptr_t>(name) < 0x10000) return nullptr;
    {
        std::lock_guard<std::mutex> hold(systemModuleLock);
        if (!module ||
            std::find(systemModules.begin(), systemModules.end(), module) == systemModules.end())
            return nullptr;
    }
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

} // extern "C"
