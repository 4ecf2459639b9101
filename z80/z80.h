/* z80core: a Z80 processor. The emulator drives it through four C functions;
   the register-state API below serves debuggers, save states and tests. */
#ifndef Z80_Z80_H
#define Z80_Z80_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bus callback: one call per memory or port access. kind: 0 memory write,
   1 memory read, 2 port write, 3 port read. A read returns the byte in its
   low 8 bits. */
typedef int (*Z80MemAccess)(int address, int data, unsigned kind);

int Z80Init(void);
void setz80memaccess(Z80MemAccess access);
int Z80Run(void);
void Z80DoIRQ(int dataBusByte);

#ifdef __cplusplus
}
#endif

#endif
