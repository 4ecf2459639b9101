/* The host side of winshim: what a Linux host needs to give the emulator a
   window. A shim window is a client area of a given size with a pixel buffer;
   GetDC returns its device context, and StretchBlt onto that context fills the
   buffer, and the window keeps the unscaled source too. Hosts read either
   back under the window's lock. */
#ifndef WINSHIM_HOST_H
#define WINSHIM_HOST_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A window whose client area is width by height pixels (0 is allowed). */
WINSHIM_API HWND ShimCreateWindow(int width, int height);
/* Changes the client area's size; the pixels become the clear colour 0. */
WINSHIM_API void ShimResizeWindow(HWND window, int width, int height);
/* Copies the client area into pixels (0x00RRGGBB, top-down rows) if it holds
   at most capacity pixels, and stores its size; returns the number of pixels
   copied, or 0 if the buffer is too small. Consistent against a concurrent
   StretchBlt: it sees a whole frame, the one before or the one after. */
WINSHIM_API int ShimReadWindow(HWND window, uint32_t* pixels, int capacity, int* width,
                               int* height);
/* Number of StretchBlt presents the window has received so far. */
WINSHIM_API unsigned ShimPresentCount(HWND window);
/* Waits until the present count differs from seen, or timeoutMs have passed
   (a negative timeout waits for ever); returns the count. */
WINSHIM_API unsigned ShimWaitPresent(HWND window, unsigned seen, int timeoutMs);
/* The picture of the latest present at its own size (the StretchBlt's source
   rectangle, unscaled), so a host can scale it itself; an unscaled present
   onto part of a window that shows an unscaled picture of the same bitmap, at
   the same offset, replaces that part of it. Stores its size (0 by 0 before
   any present); copies it into pixels, rows pitch bytes apart, if it is
   exactly width by height, and returns the number of pixels copied. */
WINSHIM_API int ShimReadFrame(HWND window, void* pixels, int pitch, int width, int height,
                              int* frameWidth, int* frameHeight);
/* The rows of that picture that changed after present number since: stores
   the first and how many (all of them when more than one present came since,
   none when none came), and returns the present count. A host that shows
   each present can then copy only what the latest one changed. */
WINSHIM_API unsigned ShimFrameChanges(HWND window, unsigned since, int* top, int* rows);
/* As ShimReadFrame, rows top to top + rows - 1 of the picture only: the
   first of them goes to pixels. */
WINSHIM_API int ShimReadFrameRows(HWND window, void* pixels, int pitch, int width, int height,
                                  int top, int rows);

#ifdef __cplusplus
}
#endif

#endif
