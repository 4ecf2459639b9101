/* The Microsoft C runtime's low-level file calls that z80home uses, for
   building on systems other than Windows; winshim implements them. */
#ifndef WINSHIM_IO_H
#define WINSHIM_IO_H

#include <stdio.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The descriptor under a stream. */
WINSHIM_API int _fileno(FILE* stream);
/* Returns once the file's data are on the disk: 0, or -1 with errno set. */
WINSHIM_API int _commit(int descriptor);

#ifdef __cplusplus
}
#endif

#endif
