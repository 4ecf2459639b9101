; z80home system ROM
;
; Boots the machine into BASIC; a small system monitor whose commands
; exercise every device is BASIC's MON command. Assembled with pasmo (--alocal: labels that begin with '_'
; are local to the routine above them).
;
; Memory layout
;   0000-5FFF  this ROM (writes land in the RAM underneath)
;     0000       reset: DI, JP COLD
;     0040       jump table of the entry points below (3 bytes each)
;   6000-DFFF  free for programs (RUN, LOAD, SAVE)
;   E000-EBB7  screen: 25 rows of 120 bytes (80 character bytes, then 20
;              attribute pairs of position and value); 40 columns use the
;              even character bytes
;   F000-F1FF  work area: F004 holds the interrupt vector (I = F0H, the
;              tick's data-bus byte is 4); variables follow from F010
;   F200-FFFF  stack, from FFFF downwards
;
; Calling conventions: routines keep BC, DE and HL unless their comment says
; otherwise; A and the flags are free.

; ---------------------------------------------------------------- ports
P_KEYROW0 EQU 00H               ; keyboard rows 0-9 (read), held key = 0
P_PCGDATA EQU 00H               ; character generator data latch (write)
P_PCGLOW  EQU 01H               ; character generator address bits 0-7
P_PCGHIGH EQU 02H               ; address bits 8-9, store strobes
PCG_STORE EQU 10H               ;   store the data latch
PCG_COPY  EQU 20H               ;   copy the character ROM's byte
P_CLOCK   EQU 10H               ; calendar command (bits 0-3) and data-in (bit 3)
CLK_READ  EQU 01H
CLK_SET   EQU 02H
CLK_DATA  EQU 08H
P_TAPE    EQU 20H               ; cassette data
P_TAPEST  EQU 21H               ; cassette status: non-zero once a tape is chosen
P_SYS30   EQU 30H               ; bit 0: 80 columns, bit 1: monochrome
SYS_COL80 EQU 01H
SYS_MONO  EQU 02H
P_SYS31   EQU 31H               ; bits 5-7: background, bit 3: display on
SYS_DISP  EQU 08H
P_SYS40   EQU 40H               ; write: bit 5 beeper, bit 1 calendar strobe,
SYS_BEEP  EQU 20H               ;   bit 2 calendar clock
SYS_STB   EQU 02H               ; read: bit 4 calendar data-out
SYS_CCK   EQU 04H
SYS_CDO   EQU 10H
P_CRTDATA EQU 50H               ; CRT controller parameters / light pen bytes
P_CRTCMD  EQU 51H               ; CRT controller command / status
CRT_RESET EQU 00H
CRT_CURS  EQU 81H
CRT_PEN   EQU 60H
P_DMA     EQU 60H               ; channel n: address 60H+2n, count 61H+2n
P_DMACH2A EQU 64H
P_DMACH2C EQU 65H
P_DMAMODE EQU 68H
P_INTMASK EQU 0E6H              ; bit 0: 2 ms tick interrupt

; CRT controller reset parameters. The third holds the blink rate in bits 6-7
; (3, the slowest) and the dot lines per row minus one in bits 0-4: 7 gives
; 25 rows, 9 gives 20.
CRT_P1    EQU 4EH               ; 80 characters per row, less two
CRT_P2    EQU 98H               ; 25 rows, less one, in bits 0-5
CRT_P3_25 EQU 0C7H
CRT_P3_20 EQU 0C9H
CRT_P4    EQU 6EH
CRT_P5    EQU 58H

; ---------------------------------------------------------------- memory
USERLO    EQU 6000H
USERHI    EQU 0DFFFH
SCREEN    EQU 0E000H
ROWBYTES  EQU 120
ATTRS     EQU 80                ; offset of a row's attribute pairs
NPAIRS    EQU 20
PAIRFREE  EQU 60H               ; position of an unused pair (the renderer skips it)
SCRROWS   EQU 25
SCRSIZE   EQU SCRROWS * ROWBYTES
WORK      EQU 0F000H
VECTOR    EQU WORK + 4
STACKTOP  EQU 0000H             ; first push lands at FFFF

; Variables (all cleared at boot).
TICKS     EQU WORK + 10H        ; 2: tick interrupts counted
BEEPTIME  EQU TICKS + 2         ; 1: ticks until the beeper stops, 0 = none
SHADOW30  EQU BEEPTIME + 1      ; 1: last byte written to port 30H
SHADOW31  EQU SHADOW30 + 1      ; 1: ... port 31H
SHADOW40  EQU SHADOW31 + 1      ; 1: ... port 40H (beeper bit only)
KEYOLD    EQU SHADOW40 + 1      ; 10: keys seen held at the last scan
KEYNEW    EQU KEYOLD + 10       ; 10: this scan
KEYMODS   EQU KEYNEW + 10       ; 1: row 8 as scanned (SHIFT bit 6, CTRL bit 7)
RPTPOS    EQU KEYMODS + 1       ; 1: matrix position repeating, FFH = none
RPTCNT    EQU RPTPOS + 1        ; 1: ticks until the next repeat
KBUF      EQU RPTCNT + 1        ; 16: typed keys
KHEAD     EQU KBUF + 16         ; 1: next slot to fill
KTAIL     EQU KHEAD + 1         ; 1: next slot to read
COLS      EQU KTAIL + 1         ; 1: 80 or 40
STEP      EQU COLS + 1          ; 1: bytes per column, 1 or 2
ROWS      EQU STEP + 1          ; 1: 25 or 20
CURX      EQU ROWS + 1          ; 1: cursor column
CURY      EQU CURX + 1          ; 1: cursor row
FGCOL     EQU CURY + 1          ; 1: text colour 0-7
LINEBUF   EQU FGCOL + 1         ; 81: line being edited
LINELEN   EQU LINEBUF + 81      ; 1
LINEPOS   EQU LINELEN + 1       ; 1: editing position in the line
LINECOL   EQU LINEPOS + 1       ; 1: screen column of the line's start
LINEMAX   EQU LINECOL + 1       ; 1: longest line that fits
HISTBUF   EQU LINEMAX + 1       ; 81: the previous line
HISTLEN   EQU HISTBUF + 81      ; 1
PARSEPTR  EQU HISTLEN + 1       ; 2: next character of the command line
WORDBUF   EQU PARSEPTR + 2      ; 9: command word, upper case
TAPENAME  EQU WORDBUF + 9       ; 8: name asked for
TAPEHDR   EQU TAPENAME + 8      ; 15: header read or written
TAPESUM   EQU TAPEHDR + 15      ; 2: checksum
TAPEFF    EQU TAPESUM + 2       ; 1: FFH bytes met between records
TAPEANY   EQU TAPEFF + 1        ; 1: non-zero when any name will do
TAPEDEST  EQU TAPEANY + 1       ; 2: load address, 0 = as saved
CLOCKBUF  EQU TAPEDEST + 2      ; 5: seconds, minutes, hours, day (BCD), month << 4
PENLAST   EQU CLOCKBUF + 5      ; 2: light pen position printed last
INBASIC   EQU PENLAST + 2       ; 1: non-zero while BASIC has the machine
LINELOST  EQU INBASIC + 1       ; 1: non-zero when the line refused a key
KEYIDLE   EQU LINELOST + 1      ; 1: non-zero while no key has been held since
                                ;    the state was last cleared
KEYHOT    EQU KEYIDLE + 1       ; 1: ticks until no key counts as lately held
TICKDUE   EQU KEYHOT + 1        ; 1: ticks until the tick's work is due
TICKSTEP  EQU TICKDUE + 1       ; 1: ticks that work will cover
VARSEND   EQU TICKSTEP + 1

        IF VARSEND > WORK + 200H
        .ERROR The variables outgrew the work area
        ENDIF

; ---------------------------------------------------------------- reset
        ORG 0000H
        DI
        JP COLD

; ---------------------------------------------------------------- entry points
        ORG 0040H
        JP COLD                 ; 0040 cold start
        JP WARM                 ; 0043 back to the monitor prompt
        JP PUTCH                ; 0046 print the character in A
        JP GETKEY               ; 0049 wait for a key, code in A
        JP KEYCHK               ; 004C NZ and the code in A if a key waits
        JP PRINT                ; 004F print the zero-terminated text at HL
        JP PHEX2                ; 0052 print A in hex
        JP PHEX4                ; 0055 print HL in hex
        JP GETLINE              ; 0058 edit a line, HL = its text
        JP BEEP                 ; 005B short beep
        JP CLS                  ; 005E clear the screen

; ---------------------------------------------------------------- boot
COLD:   DI
        LD SP,STACKTOP
        XOR A
        OUT (P_SYS40),A         ; silence the beeper first
        OUT (P_INTMASK),A       ; no tick until the vector is in place
        LD HL,WORK              ; clear the work area
        LD DE,WORK + 1
        LD BC,VARSEND - WORK - 1
        LD (HL),A
        LDIR
        LD A,SYS_COL80
        LD (SHADOW30),A
        OUT (P_SYS30),A         ; 80 columns, colour
        LD A,SYS_DISP
        LD (SHADOW31),A
        OUT (P_SYS31),A         ; display on, black background, ROM visible
        LD A,0FFH
        LD (RPTPOS),A
        LD A,1
        LD (TICKDUE),A
        LD (TICKSTEP),A
        LD A,80
        LD (COLS),A
        LD A,1
        LD (STEP),A
        LD A,7
        LD (FGCOL),A
        LD A,25
        LD (ROWS),A
        CALL CLS
        CALL CRTINIT
        CALL DMAINIT
        LD HL,ISR
        LD (VECTOR),HL
        LD A,WORK / 256
        LD I,A
        IM 2
        LD A,1
        OUT (P_INTMASK),A       ; 2 ms tick on
        EI
        JP BCOLD                ; the machine's face is BASIC
WARM:   LD SP,STACKTOP
        EI
        LD A,(INBASIC)          ; a device routine's error under BASIC
        OR A
        JP NZ,BERRWARM
        JP MONITOR

; Programs the CRT controller: reset with its five parameters for the row
; count in ROWS, then the cursor.
CRTINIT:
        LD A,CRT_RESET
        OUT (P_CRTCMD),A
        LD A,CRT_P1
        OUT (P_CRTDATA),A
        LD A,CRT_P2
        OUT (P_CRTDATA),A
        LD A,(ROWS)
        CP 25
        LD A,CRT_P3_25
        JR Z,_p3
        LD A,CRT_P3_20
_p3:    OUT (P_CRTDATA),A
        LD A,CRT_P4
        OUT (P_CRTDATA),A
        LD A,CRT_P5
        OUT (P_CRTDATA),A
        JP SHOWCURSOR

; Points DMA channel 2 at the screen; its count is the last byte offset of
; the rows in use.
DMAINIT:
        PUSH HL
        LD A,SCREEN AND 0FFH
        OUT (P_DMACH2A),A
        LD A,SCREEN / 256
        OUT (P_DMACH2A),A
        LD A,(ROWS)
        CALL ROWOFFSET          ; HL = rows * 120
        DEC HL
        LD A,L
        OUT (P_DMACH2C),A
        LD A,H
        OUT (P_DMACH2C),A
        POP HL
        RET

; ---------------------------------------------------------------- tick
; The tick's work (counting the ticks, timing the beeper, scanning the
; keyboard) is done every tick while a key is awaited (the beeper is timed
; only then) or one is held or was lately, and every TICKSLOW ticks
; otherwise, as when a program runs with nobody typing: STOP still answers
; within 16 ms, and the program keeps nearly all of the time.
TICKSLOW  EQU 8

ISR:    PUSH AF
        LD A,(TICKDUE)
        DEC A
        LD (TICKDUE),A
        JR Z,_work
        POP AF
        EI
        RETI
_work:  PUSH BC
        PUSH DE
        PUSH HL
        CALL TICKWORK
        POP HL
        POP DE
        POP BC
        POP AF
        EI
        RETI

; The work of the TICKSTEP ticks since it was last done, and when it is
; due next. Changes every register.
TICKWORK:
        LD A,(TICKSTEP)
        LD E,A
        LD D,0
        LD HL,(TICKS)
        ADD HL,DE
        LD (TICKS),HL
        LD HL,BEEPTIME
        LD A,(HL)
        OR A
        JR Z,_scan
        DEC (HL)
        CALL Z,BEEPOFF
_scan:  CALL KSCAN
        LD A,(KEYHOT)
        OR A
        LD A,1
        JR NZ,_next
        LD A,TICKSLOW
_next:  LD (TICKSTEP),A
        LD (TICKDUE),A
        RET

; Waits for the next tick, which does its work (a key is awaited). When a
; program has switched the tick off, waits about as long as a tick takes to
; arrive and does its work here instead.
WAITTICK:
        IN A,(P_INTMASK)
        RRCA
        JR NC,_poll
        PUSH HL
        DI
        LD HL,TICKSTEP          ; the ticks since the work was last done,
        LD A,(TICKDUE)          ; and the one to come
        SUB (HL)
        NEG
        INC A
        LD (HL),A
        LD A,1
        LD (TICKDUE),A
        POP HL
        EI
        HALT
        RET
_poll:  PUSH BC
        PUSH DE
        PUSH HL
        LD BC,1150              ; 26 T-states a turn, about 16 ms
_delay: DEC BC
        LD A,B
        OR C
        JR NZ,_delay
        LD A,1
        LD (TICKSTEP),A
        CALL TICKWORK
        POP HL
        POP DE
        POP BC
        RET

        INCLUDE "keyboard.asm"
        INCLUDE "console.asm"
        INCLUDE "monitor.asm"
        INCLUDE "memory.asm"
        INCLUDE "display.asm"
        INCLUDE "devices.asm"
        INCLUDE "tape.asm"
        INCLUDE "basic.asm"
        INCLUDE "bexpr.asm"
        INCLUDE "bstmt.asm"
        INCLUDE "bmach.asm"
        INCLUDE "busing.asm"
        INCLUDE "btoken.asm"
        INCLUDE "float.asm"

        IF $ > 6000H
        .ERROR The system ROM outgrew its 24 KB
        ENDIF
        DS 6000H - $, 0FFH
