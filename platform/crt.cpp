// The Microsoft C runtime's 64-bit time functions, _stat64i32, _fileno and
// _commit for winshim.
//
// The time functions keep the Microsoft range: times from 1970-01-01
// 00:00:00 UTC to 3000-12-31 23:59:59 UTC. Outside it _localtime64 returns
// NULL and _mktime64 returns -1, with errno EINVAL, as there.
#include <io.h>
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <limits>

namespace {

constexpr __time64_t kCrtMaxTime = 32535215999; // 3000-12-31 23:59:59 UTC
// Where time_t has 32 bits (the web page's C library), times after 2038 do
// not fit it and are outside the range too.
constexpr __time64_t kCrtLastTime = std::numeric_limits<time_t>::max();
constexpr uint16_t kCrtDirectory = 0x4000;
constexpr uint16_t kCrtCharacterDevice = 0x2000;
constexpr uint16_t kCrtPipe = 0x1000;
constexpr uint16_t kCrtRegular = 0x8000;
constexpr uint16_t kCrtRead = 0x0100;
constexpr uint16_t kCrtWrite = 0x0080;
constexpr uint16_t kCrtExecute = 0x0040;

// The Windows st_mode: the type, and the owner's read, write and execute
// bits repeated for group and others as the Microsoft runtime does.
uint16_t CrtMode(mode_t mode) {
    uint16_t result = 0;
    if (S_ISDIR(mode))
        result = kCrtDirectory;
    else if (S_ISREG(mode))
        result = kCrtRegular;
    else if (S_ISCHR(mode))
        result = kCrtCharacterDevice;
    else if (S_ISFIFO(mode))
        result = kCrtPipe;
    uint16_t owner = 0;
    if (mode & S_IRUSR) owner |= kCrtRead;
    if (mode & S_IWUSR) owner |= kCrtWrite;
    if (mode & S_IXUSR) owner |= kCrtExecute;
    return static_cast<uint16_t>(result | owner | (owner >> 3) | (owner >> 6));
}

} // namespace

extern "C" {

__time64_t _time64(__time64_t* out) {
    __time64_t now = time(nullptr);
    if (out) *out = now;
    return now;
}

struct tm* _localtime64(const __time64_t* time) {
    thread_local struct tm record;
    if (!time || *time < 0 || *time > kCrtMaxTime || *time > kCrtLastTime) {
        errno = EINVAL;
        return nullptr;
    }
    time_t t = static_cast<time_t>(*time);
    return localtime_r(&t, &record);
}

__time64_t _mktime64(struct tm* record) {
    if (!record) {
        errno = EINVAL;
        return -1;
    }
    struct tm normalised = *record;
    time_t t = mktime(&normalised);
    if (t == static_cast<time_t>(-1) || t < 0 || __time64_t{t} > kCrtMaxTime) {
        errno = EINVAL;
        return -1;
    }
    *record = normalised;
    return t;
}

// A file of 2 GiB or more does not fit st_size: -1 with errno EOVERFLOW.
int _stat64i32(const char* path, struct _stat64i32* out) {
    if (!path || !out) {
        errno = EINVAL;
        return -1;
    }
    struct stat st;
    if (stat(path, &st) != 0) return -1;
    if (st.st_size > INT32_MAX) {
        errno = EOVERFLOW;
        return -1;
    }
    *out = {};
    out->st_mode = CrtMode(st.st_mode);
    out->st_nlink = static_cast<int16_t>(st.st_nlink > SHRT_MAX ? SHRT_MAX : st.st_nlink);
    out->st_size = static_cast<int32_t>(st.st_size);
    return 0;
}

int _fileno(FILE* stream) {
    return fileno(stream);
}

int _commit(int descriptor) {
    return fsync(descriptor);
}

} // extern "C"
