/* z80core: a Z80 processor. The emulator drives it through five C functions;
   the register-state API below serves debuggers, save states and tests. */
#ifndef Z80_Z80_H
#define Z80_Z80_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bus callback: one call per memory or port access, of one of the kinds
   below. A read returns the byte in its low 8 bits. Port addresses carry all
   16 bits (A or B in the high byte). */
enum Z80AccessKind { Z80MemWrite = 0, Z80MemRead = 1, Z80PortWrite = 2, Z80PortRead = 3 };
typedef int (*Z80MemAccess)(int address, int data, unsigned kind);

/* Resets the processor and returns 0: PC, I, R, WZ 0, AF and SP FFFF,
   interrupts disabled in mode 0, no HALT, no latched request; the other
   registers keep their values. It makes no bus access. It may be called from
   any thread, also while another thread is inside Z80Run: the reset is
   posted and the core applies it before its next instruction (or before any
   other call reads or changes its state), never in the middle of one. */
int Z80Init(void);
/* Registers the bus callback (kept across Z80Init). Until then reads return
   0xFF and writes go nowhere. */
void setz80memaccess(Z80MemAccess access);
/* Executes one instruction, accepts a pending interrupt, or spends 4 T-states
   while halted; returns the T-states spent (always more than 0). A repeating
   block instruction runs one iteration per call. While halted the core makes
   no bus access; R still counts the refresh cycles. */
int Z80Run(void);
/* While HALT waits and nothing latched can end the wait, spends the fewest
   4-T-state steps that make at least most T-states (none when most is 0 or
   less), exactly as that many Z80Run calls would; returns the T-states spent,
   or 0 when the processor is not so waiting. An idle machine that halts
   until its next interrupt then costs one call, not one a step. */
int Z80RunHalted(int most);
/* Latches a maskable interrupt request with the byte the device puts on the
   data bus. It stays latched until interrupts are enabled and it is accepted;
   a newer request replaces it. */
void Z80DoIRQ(int dataBusByte);

/* The complete state of the processor. Pairs are 16-bit values, high register
   in the high byte (af: A in bits 15..8, F in 7..0); af2..hl2 are the
   alternate set. Z80_REGS_VERSION counts the layouts the record has had: it
   grows whenever a field is added, and Z80RegsVersion() gives the layout the
   library was built with, so a host built against this header can check,
   before it calls Z80GetRegs or Z80SetRegs, that the two agree (version 2
   added ldAirLatch). */
#define Z80_REGS_VERSION 2
typedef struct Z80Regs {
    unsigned short af, bc, de, hl;
    unsigned short af2, bc2, de2, hl2;
    unsigned short ix, iy, sp, pc;
    unsigned short wz; /* MEMPTR */
    unsigned char i, r;
    unsigned char iff1, iff2; /* 0 or 1 */
    unsigned char im;         /* interrupt mode 0, 1 or 2 */
    unsigned char halted;     /* 1 while HALT waits; pc then points past the HALT */
    unsigned char q;          /* flags written by the last instruction, 0 if it wrote none */
    unsigned char eiDelay;    /* 1: EI came last; no interrupt before the next instruction */
    unsigned char irqPending; /* 1: a maskable request is latched */
    unsigned char irqData;    /* the latched request's data-bus byte */
    unsigned char prefix;     /* 0, or 0xDD/0xFD when a prefix was followed by another:
                                 that one is fetched and its instruction comes next */
    unsigned char ldAirLatch; /* 1: LD A,I or LD A,R came last; an interrupt accepted
                                 now clears P/V */
} Z80Regs;

/* Read or replace the whole state. Call them on the thread that runs Z80Run,
   or while no Z80Run call is in progress. */
void Z80GetRegs(Z80Regs* regs);
void Z80SetRegs(const Z80Regs* regs);
int Z80RegsVersion(void);
/* Where the core keeps PC, for a reader that cannot afford a call between
   every two instructions (a debugger looking for its breakpoints): read it on
   the thread that runs Z80Run, between two calls. A reset that Z80Init
   posted shows there only once the core has applied it, at its next call. */
const unsigned short* Z80PCLocation(void);

#ifdef __cplusplus
}
#endif

#endif
