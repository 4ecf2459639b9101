// Time, modules and the C runtime as the calendar clock, the cassette and
// the hosts use them.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// A fixed zone nine hours east of UTC, without daylight saving.
void UseFixedZone() {
    setenv("TZ", "ZZZ-9", 1);
    tzset();
}

struct tm Day(int year, int month0, int day) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month0;
    t.tm_mday = day;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 30;
    return t;
}

} // namespace

TEST(Crt, MktimeNormalisesOutOfRangeFieldsAsTheCalendarNeeds) {
    UseFixedZone();
    const __time64_t zone = 9 * 3600;
    const __time64_t start1971 = 31536000; // 1971-01-01 00:00:00 UTC
    const __time64_t dayTail = 23 * 3600 + 59 * 60 + 30;
    struct Case {
        struct tm in;
        int year, month0, day;
        __time64_t days; // since 1 January 1971
    } cases[] = {
        {Day(1971, 1, 29), 1971, 2, 1, 59},  // 29 February 1971 is 1 March
        {Day(1971, 12, 1), 1972, 0, 1, 365}, // month 12 is January of the next year
        {Day(1971, 2, 0), 1971, 1, 28, 58},  // day 0 is the last of the month before
        {Day(1971, 3, 31), 1971, 4, 1, 120}, // 31 April is 1 May
        {Day(1971, 0, 31), 1971, 0, 31, 30}, // in range: unchanged
    };
    for (Case& c : cases) {
        struct tm t = c.in;
        EXPECT_EQ(_mktime64(&t), start1971 + c.days * 86400 + dayTail - zone);
        EXPECT_EQ(t.tm_year, c.year - 1900);
        EXPECT_EQ(t.tm_mon, c.month0);
        EXPECT_EQ(t.tm_mday, c.day);
        EXPECT_EQ(t.tm_hour, 23);
        EXPECT_EQ(t.tm_isdst, 0);
    }
    struct tm t = Day(1971, 2, 1);
    __time64_t s = _mktime64(&t);
    struct tm* back = _localtime64(&s);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tm_mon, 2);
    EXPECT_EQ(back->tm_mday, 1);
    EXPECT_EQ(back->tm_wday, 1) << "1 March 1971 was a Monday";
}

TEST(Crt, TimeFunctionsKeepTheMicrosoftRange) {
    UseFixedZone();
    struct tm before1970 = Day(1969, 11, 31);
    EXPECT_EQ(_mktime64(&before1970), -1);
    struct tm after3000 = Day(3001, 0, 1);
    EXPECT_EQ(_mktime64(&after3000), -1);
    EXPECT_EQ(_mktime64(nullptr), -1);
    __time64_t negative = -1, beyond = 32535215999 + 1, last = 32535215999;
    EXPECT_EQ(_localtime64(&negative), nullptr);
    EXPECT_EQ(_localtime64(&beyond), nullptr);
    ASSERT_NE(_localtime64(&last), nullptr);
    EXPECT_EQ(_localtime64(&last)->tm_year, 3001 - 1900) << "08:59:59 local on 1 January 3001";
    __time64_t now = 0;
    EXPECT_EQ(_time64(&now), now);
    EXPECT_GT(now, 1700000000);
}

TEST(Time, SystemTimeIsUtcAndItsMillisecondsAdvance) {
    SYSTEMTIME first;
    GetSystemTime(&first);
    __time64_t now = _time64(nullptr);
    struct tm utc;
    time_t t = now;
    gmtime_r(&t, &utc);
    EXPECT_EQ(first.wYear, utc.tm_year + 1900);
    EXPECT_EQ(first.wDayOfWeek, utc.tm_wday);
    EXPECT_LT(first.wMilliseconds, 1000);
    SYSTEMTIME later = first;
    for (int i = 0; i < 500 && later.wMilliseconds == first.wMilliseconds; i++) {
        Sleep(1);
        GetSystemTime(&later);
    }
    EXPECT_NE(later.wMilliseconds, first.wMilliseconds);
    EXPECT_EQ(timeBeginPeriod(1), 0u);
    EXPECT_EQ(timeEndPeriod(1), 0u);
}

TEST(Crt, StatReportsWindowsModesAndThirtyTwoBitSizes) {
    std::string dir = testing::TempDir();
    std::string file = dir + "winshim_stat.bin";
    FILE* f = std::fopen(file.c_str(), "wb");
    std::fputs("abc", f);
    std::fclose(f);
    struct _stat64i32 st;
    ASSERT_EQ(_stat64i32(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 3);
    EXPECT_EQ(st.st_mode & 0xF000, 0x8000);
    EXPECT_EQ(st.st_mode & 0x0100, 0x0100) << "readable";
    ASSERT_EQ(_stat64i32(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0xF000, 0x4000);

    errno = 0;
    EXPECT_EQ(_stat64i32((dir + "winshim_no_such_file").c_str(), &st), -1);
    EXPECT_EQ(errno, ENOENT);

    // Sparse files: the largest size that fits, and one byte more.
    ASSERT_EQ(truncate(file.c_str(), 0x7FFFFFFF), 0);
    ASSERT_EQ(_stat64i32(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0x7FFFFFFF);
    ASSERT_EQ(truncate(file.c_str(), 0x80000000), 0);
    errno = 0;
    EXPECT_EQ(_stat64i32(file.c_str(), &st), -1);
    EXPECT_EQ(errno, EOVERFLOW);
    std::remove(file.c_str());
}

TEST(Modules, LoadLibraryAndGetProcAddressFindExports) {
    HMODULE module = LoadLibraryA(WINSHIM_TEST_MODULE);
    ASSERT_NE(module, nullptr);
    auto answer = reinterpret_cast<int (*)(void)>(GetProcAddress(module, "ShimTestModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(uintptr_t{1})), nullptr) << "ordinal";
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&module), "ShimTestModuleAnswer"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "ShimTestModuleAnswer"), nullptr);
    EXPECT_EQ(LoadLibraryA("winshim_no_such_module.so"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}
