// The system clock and the timer resolution for winshim, over the C
// library's clock (every build without Windows, the web page's included).
#include <windows.h>

#include <ctime>

extern "C" {

void GetSystemTime(LPSYSTEMTIME time) {
    if (!time) return;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc;
    gmtime_r(&now.tv_sec, &utc);
    time->wYear = static_cast<WORD>(utc.tm_year + 1900);
    time->wMonth = static_cast<WORD>(utc.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(utc.tm_wday);
    time->wDay = static_cast<WORD>(utc.tm_mday);
    time->wHour = static_cast<WORD>(utc.tm_hour);
    time->wMinute = static_cast<WORD>(utc.tm_min);
    time->wSecond = static_cast<WORD>(utc.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

// Both sleep to the millisecond already; there is no timer period to raise.
MMRESULT timeBeginPeriod(UINT) {
    return 0;
}
MMRESULT timeEndPeriod(UINT) {
    return 0;
}

} // extern "C"
