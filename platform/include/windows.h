/* The part of the Win32 API and the Microsoft C runtime that z80home and its
   hosts call, for building on systems other than Windows. Names, types,
   values and semantics follow Windows; winshim implements the functions. */
#ifndef WINSHIM_WINDOWS_H
#define WINSHIM_WINDOWS_H

#include <stddef.h>
#include <stdint.h>
#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI
#define CALLBACK
#define WINSHIM_API __attribute__((visibility("default")))

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef int INT;
typedef uintptr_t UINT_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t ULONG_PTR;
typedef size_t SIZE_T;
typedef void* LPVOID;
typedef DWORD* LPDWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef UINT_PTR WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef UINT MMRESULT;

#define TRUE 1
#define FALSE 0

/* Handles are opaque pointers, one distinct type per kind as with STRICT. */
#define WINSHIM_HANDLE(name)                                                                       \
    struct name##__ {                                                                              \
        int unused;                                                                                \
    };                                                                                             \
    typedef struct name##__* name
WINSHIM_HANDLE(HWND);
WINSHIM_HANDLE(HDC);
WINSHIM_HANDLE(HBITMAP);
WINSHIM_HANDLE(HBRUSH);
WINSHIM_HANDLE(HWAVEOUT);
WINSHIM_HANDLE(HMODULE);
typedef void* HANDLE;
typedef void* HGDIOBJ;
typedef HWAVEOUT* LPHWAVEOUT;
typedef int (*FARPROC)(void);

typedef struct tagRECT {
    LONG left, top, right, bottom;
} RECT, *LPRECT;

typedef struct _SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

/* ---- Colours and GDI ---------------------------------------------------- */

#define RGB(r, g, b)                                                                               \
    ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define CLR_INVALID 0xFFFFFFFF

#define BS_SOLID 0
#define BI_RGB 0
#define DIB_RGB_COLORS 0
#define COLORONCOLOR 3
#define SRCCOPY 0x00CC0020

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; /* negative: top-down rows */
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO;

WINSHIM_API HDC CreateCompatibleDC(HDC dc);
WINSHIM_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
/* Only 32-bit BI_RGB sections are supported; *bits receives the pixels, each
   a DWORD 0x00RRGGBB (bytes blue, green, red, 0 in memory). */
WINSHIM_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                     HANDLE section, DWORD offset);
WINSHIM_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
WINSHIM_API BOOL DeleteObject(HGDIOBJ object);
WINSHIM_API HBRUSH CreateSolidBrush(COLORREF color);
WINSHIM_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
WINSHIM_API COLORREF GetPixel(HDC dc, int x, int y);
WINSHIM_API int GetObjectW(HGDIOBJ object, int size, void* out);
WINSHIM_API BOOL GetClientRect(HWND window, LPRECT rect);
WINSHIM_API HDC GetDC(HWND window);
WINSHIM_API int ReleaseDC(HWND window, HDC dc);
WINSHIM_API int SetStretchBltMode(HDC dc, int mode);
WINSHIM_API BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx,
                            int sy, int swidth, int sheight, DWORD rop);
/* Drawing is never deferred here, so there is nothing to flush. */
WINSHIM_API BOOL GdiFlush(void);

/* ---- Threads, time, modules --------------------------------------------- */

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

WINSHIM_API HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                LPDWORD threadId);
WINSHIM_API void Sleep(DWORD milliseconds);
WINSHIM_API void GetSystemTime(LPSYSTEMTIME time);
WINSHIM_API MMRESULT timeBeginPeriod(UINT period);
WINSHIM_API MMRESULT timeEndPeriod(UINT period);
WINSHIM_API HMODULE LoadLibraryA(LPCSTR name);
WINSHIM_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
#define MOVEFILE_REPLACE_EXISTING 0x1
#define MOVEFILE_WRITE_THROUGH 0x8
/* Renames a file; with MOVEFILE_REPLACE_EXISTING over an existing one, in one
   step; with MOVEFILE_WRITE_THROUGH it returns once the rename is on the
   disk. */
WINSHIM_API BOOL MoveFileExA(LPCSTR existing, LPCSTR replacement, DWORD flags);

/* ---- Console input -------------------------------------------------------- */

#define STD_INPUT_HANDLE ((DWORD)-10)

WINSHIM_API HANDLE GetStdHandle(DWORD which);
/* One line from the terminal, edited as a console edits it (arrows,
   backspace, HOME, END) with the lines read before a key UP or DOWN away;
   ends with "\r\n". At the end of the input it reads 0 characters. */
WINSHIM_API BOOL ReadConsoleA(HANDLE input, LPVOID buffer, DWORD size, LPDWORD read,
                              LPVOID control);

/* ---- Wave output ---------------------------------------------------------- */

#define WAVE_MAPPER ((UINT)-1)
#define WAVE_FORMAT_PCM 1
#define CALLBACK_NULL 0
#define WHDR_DONE 0x01
#define WHDR_PREPARED 0x02
#define WHDR_BEGINLOOP 0x04
#define WHDR_ENDLOOP 0x08
#define WHDR_INQUEUE 0x10
#define MMSYSERR_NOERROR 0
#define MMSYSERR_BADDEVICEID 2
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_NODRIVER 6
#define MMSYSERR_INVALFLAG 10
#define MMSYSERR_INVALPARAM 11
#define WAVERR_BADFORMAT 32
#define WAVERR_STILLPLAYING 33
#define WAVERR_UNPREPARED 34

typedef struct tWAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
} WAVEFORMATEX, *LPWAVEFORMATEX;

typedef struct wavehdr_tag {
    LPSTR lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    DWORD dwLoops;
    struct wavehdr_tag* lpNext;
    DWORD_PTR reserved;
} WAVEHDR, *LPWAVEHDR;

WINSHIM_API MMRESULT waveOutOpen(LPHWAVEOUT device, UINT deviceId, const WAVEFORMATEX* format,
                                 DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
WINSHIM_API MMRESULT waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size);
WINSHIM_API MMRESULT waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size);
WINSHIM_API MMRESULT waveOutReset(HWAVEOUT device);

/* ---- Window messages and virtual keys ------------------------------------- */

#define WM_PAINT 0x000F
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_NONCONVERT 0x1D
#define VK_SPACE 0x20
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_DELETE 0x2E
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE
#define VK_OEM_102 0xE2
#define VK_PROCESSKEY 0xE5

/* ---- C runtime: 64-bit time and file status ------------------------------- */

typedef int64_t __time64_t;

WINSHIM_API __time64_t _time64(__time64_t* out);
WINSHIM_API struct tm* _localtime64(const __time64_t* time);
WINSHIM_API __time64_t _mktime64(struct tm* record);

struct _stat64i32 {
    uint32_t st_dev;
    uint16_t st_ino;
    uint16_t st_mode;
    int16_t st_nlink;
    int16_t st_uid;
    int16_t st_gid;
    uint32_t st_rdev;
    int32_t st_size; /* the "i32": sizes of 2 GiB and more do not fit */
    /* The time fields are left out: nothing here reads them, and the host C
       library defines their names as macros. */
};
WINSHIM_API int _stat64i32(const char* path, struct _stat64i32* out);

#ifdef __cplusplus
}
#endif

#endif
