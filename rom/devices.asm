; Device commands: BEEP, TIME, PCG, PEN, DMA; the beeper and the calendar
; clock's serial protocol.

BEEPTICKS EQU 16                ; length of a short beep, in ticks

; Starts a short beep; the tick stops it.
BEEP:   PUSH AF
        LD A,BEEPTICKS
        LD (BEEPTIME),A
        LD A,(SHADOW40)
        OR SYS_BEEP
        LD (SHADOW40),A
        OUT (P_SYS40),A
        POP AF
        RET

BEEPOFF:
        XOR A
        LD (BEEPTIME),A
        LD A,(SHADOW40)
        AND NOT SYS_BEEP
        LD (SHADOW40),A
        OUT (P_SYS40),A
        RET

; BEEP: a short beep. BEEP ON / BEEP OFF: the beeper on or off for good.
CMDBEEP:
        CALL ATEND
        JR Z,_short
        CALL ONOFF
        JR Z,BEEPOFF
        DI                      ; so the tick cannot stop it half way
        CALL BEEP
        XOR A
        LD (BEEPTIME),A
        EI
        RET
_short: CALL BEEP
_wait:  CALL WAITTICK
        LD A,(BEEPTIME)
        OR A
        JR NZ,_wait
        RET

; ---------------------------------------------------------------- clock
; The calendar clock talks through a command/data latch (port 10H) and
; the strobe, clock and data-out bits of port 40H. Its 40-bit register
; holds seconds, minutes, hours, day (BCD) and the month in the high nibble
; of the last byte, least significant bit first. Interrupts are off during
; a transfer so the tick's beeper writes to port 40H cannot interleave.

; Pulses the strobe: the latched command runs.
CLKSTROBE:
        LD A,(SHADOW40)
        OR SYS_STB
        OUT (P_SYS40),A
        LD A,(SHADOW40)
        OUT (P_SYS40),A
        RET

; Pulses the clock: one bit shifts.
CLKSHIFT:
        LD A,(SHADOW40)
        OR SYS_CCK
        OUT (P_SYS40),A
        LD A,(SHADOW40)
        OUT (P_SYS40),A
        RET

; Reads the time into CLOCKBUF.
CLKREAD:
        PUSH BC
        PUSH HL
        DI
        LD A,CLK_READ
        OUT (P_CLOCK),A
        CALL CLKSTROBE
        LD HL,CLOCKBUF
        LD C,5
_byte:  LD B,8
_bit:   IN A,(P_SYS40)
        AND SYS_CDO
        ADD A,0F0H              ; data-out bit to carry
        RR (HL)
        CALL CLKSHIFT
        DJNZ _bit
        INC HL
        DEC C
        JR NZ,_byte
        EI
        POP HL
        POP BC
        RET

; Sets the clock from CLOCKBUF.
CLKWRITE:
        PUSH BC
        PUSH DE
        PUSH HL
        DI
        LD A,CLK_READ           ; a read rewinds the register's bit count
        OUT (P_CLOCK),A
        CALL CLKSTROBE
        LD HL,CLOCKBUF
        LD C,5
_byte:  LD D,(HL)
        LD B,8
_bit:   LD A,D
        AND 1
        RLCA                    ; to the data-in bit 3
        RLCA
        RLCA
        OUT (P_CLOCK),A
        CALL CLKSHIFT
        SRL D
        DJNZ _bit
        INC HL
        DEC C
        JR NZ,_byte
        LD A,CLK_SET
        OUT (P_CLOCK),A
        CALL CLKSTROBE
        EI
        POP HL
        POP DE
        POP BC
        RET

; A (0-99) to BCD.
TOBCD:  PUSH BC
        LD B,0
_tens:  SUB 10
        JR C,_units
        INC B
        JR _tens
_units: ADD A,10
        LD C,A
        LD A,B
        RLCA
        RLCA
        RLCA
        RLCA
        OR C
        POP BC
        RET

; Reads a decimal number into A; bad value unless C <= A < B.
DECRANGE:
        CALL NEEDDEC
        CP C
        JP C,ERRVALUE
        CP B
        JP NC,ERRVALUE
        RET

; TIME: shows month/day hours:minutes:seconds.
; TIME [m/d] h:m[:s]: sets the clock; the date stays unless given.
CMDTIME:
        CALL ATEND
        JR Z,SHOWTIME
        CALL CLKREAD            ; the date that stays
        CALL NEEDDEC
        LD E,A
        CALL SKIPSP
        CP '/'
        JR NZ,_time
        LD A,E                  ; month 1-12
        OR A
        JP Z,ERRVALUE
        CP 13
        JP NC,ERRVALUE
        RLCA
        RLCA
        RLCA
        RLCA
        LD (CLOCKBUF + 4),A
        LD A,'/'
        CALL EXPECT
        LD BC,32 * 256 + 1      ; day 1-31
        CALL DECRANGE
        CALL TOBCD
        LD (CLOCKBUF + 3),A
        CALL ATEND
        JR Z,_set
        CALL NEEDDEC
        LD E,A
_time:  LD A,E                  ; hours 0-23
        CP 24
        JP NC,ERRVALUE
        CALL TOBCD
        LD (CLOCKBUF + 2),A
        LD A,':'
        CALL EXPECT
        LD BC,60 * 256 + 0      ; minutes 0-59
        CALL DECRANGE
        CALL TOBCD
        LD (CLOCKBUF + 1),A
        XOR A
        LD (CLOCKBUF),A
        CALL ATEND
        JR Z,_set
        LD A,':'
        CALL EXPECT
        LD BC,60 * 256 + 0      ; seconds 0-59
        CALL DECRANGE
        CALL TOBCD
        LD (CLOCKBUF),A
        CALL ENDCHK
_set:   CALL CLKWRITE
SHOWTIME:
        CALL CLKREAD
        LD A,(CLOCKBUF + 4)
        RRCA
        RRCA
        RRCA
        RRCA
        AND 0FH
        CALL PDEC2
        LD A,'/'
        CALL PUTCH
        LD A,(CLOCKBUF + 3)
        CALL PHEX2
        CALL PSPACE
        LD A,(CLOCKBUF + 2)
        CALL PHEX2
        LD A,':'
        CALL PUTCH
        LD A,(CLOCKBUF + 1)
        CALL PHEX2
        LD A,':'
        CALL PUTCH
        LD A,(CLOCKBUF)
        JP PHEX2

; ---------------------------------------------------------------- PCG
; The character generator holds the glyphs of codes 80H-FFH: byte
; (code - 80H) * 8 + line, loaded through the data latch (port 0), the
; address (ports 1 and 2) and the store strobes of port 2.

; Stores A at PCG address HL.
PCGSTORE:
        OUT (P_PCGDATA),A
        LD A,L
        OUT (P_PCGLOW),A
        LD A,H
        OR PCG_STORE
        OUT (P_PCGHIGH),A
        RET

; Copies the character ROM's byte into PCG address HL.
PCGCOPY:
        LD A,L
        OUT (P_PCGLOW),A
        LD A,H
        OR PCG_COPY
        OUT (P_PCGHIGH),A
        RET

; PCG: every glyph from the character ROM. PCG c: glyph c from the ROM.
; PCG c x..: glyph c from up to eight bytes (top line first, missing lines
; blank). Shows the glyph afterwards.
CMDPCG: CALL GETHEX
        JR NC,_one
        LD HL,0
_all:   CALL PCGCOPY
        INC HL
        LD A,H
        CP 4
        JR NZ,_all
        CALL PRINTI
        DB "Glyphs 80-FF copied from the character ROM",0
        RET
_one:   LD A,H
        OR A
        JP NZ,ERRVALUE
        LD A,L
        CP 80H
        JP C,ERRVALUE
        PUSH AF                 ; the code
        LD HL,TAPEHDR           ; gather the lines
        LD B,8
_clear: LD (HL),0
        INC HL
        DJNZ _clear
        LD DE,TAPEHDR
        LD B,9
        LD C,0                  ; lines given
_line:  CALL GETHEX
        JR C,_given
        DEC B
        JP Z,ERRSYNTAX          ; more than eight
        LD A,H
        OR A
        JP NZ,ERRVALUE
        LD A,L
        LD (DE),A
        INC DE
        INC C
        JR _line
_given: CALL ENDCHK
        POP AF
        PUSH AF
        SUB 80H                 ; HL = (code - 80H) * 8
        LD L,A
        LD H,0
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        LD DE,TAPEHDR
        LD B,8
_glyph: LD A,C
        OR A
        JR NZ,_bytes
        CALL PCGCOPY
        JR _nextl
_bytes: LD A,(DE)
        CALL PCGSTORE
_nextl: INC DE
        INC HL
        DJNZ _glyph
        POP AF
        PUSH AF
        CALL PHEX2
        CALL PRINTI
        DB " = ",0
        POP AF
        JP PUTRAW

; ---------------------------------------------------------------- light pen
; PEN: shows the cell under each click (the mouse with the left button
; held) until a key is pressed. The controller reports the column plus 6.
CMDPEN: CALL ENDCHK
        CALL PRINTI
        DB "Click the screen; any key ends",0DH,0
        LD HL,0FFFFH
        LD (PENLAST),HL
        CALL KEYFLUSH
_wait:  CALL KEYCHK
        RET NZ
        IN A,(P_CRTCMD)
        RRCA
        JR NC,_idle
        LD A,CRT_PEN
        OUT (P_CRTCMD),A
        IN A,(P_CRTDATA)
        AND 7FH
        SUB 6
        LD E,A
        IN A,(P_CRTDATA)
        AND 3FH
        LD D,A
        LD HL,(PENLAST)
        OR A
        SBC HL,DE
        JR Z,_idle              ; the same cell again
        LD (PENLAST),DE
        CALL PRINTI
        DB "Row ",0
        LD L,D
        LD H,0
        CALL PDEC
        CALL PRINTI
        DB " column ",0
        LD L,E
        CALL PDEC
        CALL CRLF
_idle:  CALL WAITTICK
        JR _wait

; ---------------------------------------------------------------- DMA
; DMA: the status byte and the address and count of every channel.
CMDDMA: CALL ENDCHK
        CALL PRINTI
        DB "Status ",0
        IN A,(P_DMAMODE)
        CALL PHEX2
        CALL CRLF
        LD C,P_DMA
_chan:  CALL PRINTI
        DB "Channel ",0
        LD A,C
        SUB P_DMA
        RRCA
        ADD A,'0'
        CALL PUTCH
        CALL PRINTI
        DB " address ",0
        CALL _reg
        CALL PRINTI
        DB " count ",0
        CALL _reg
        CALL CRLF
        LD A,C
        CP P_DMAMODE
        JR NZ,_chan
        RET
        ; prints the register at port C (low byte first), C to the next
_reg:   IN L,(C)
        IN H,(C)
        INC C
        JP PHEX4
