; BASIC statements and functions for the machine: screen modes and
; colours, attributes, the plotting screen, the beeper, the clock, the
; light pen, glyphs and the tape.

; COLOR f[,b]: the text colour (0-7) of the whole screen, as the machine
; colours rows rather than characters (ATTR colours from a column on), and
; the background.
S_COLOR:
        CALL EVALBYTE
        CP 8
        JP NC,FCERR
        LD (FGCOL),A
        CALL CHRGOT
        CP ','
        JR NZ,_fg
        CALL CHRGET
        CALL EVALBYTE
        CP 8
        JP NC,FCERR
        CALL SETBACK
_fg:    PUSH HL
        CALL RECOLOUR
        POP HL
        RET

; WIDTH 40|80[,20|25]: columns and rows; clears the screen.
S_WIDTH:
        CALL EVALBYTE
        CALL SETCOLS
        JP NZ,FCERR
        CALL CHRGOT
        CP ','
        JR NZ,_cls
        CALL CHRGET
        CALL EVALBYTE
        CP 20
        JR Z,_rows
        CP 25
        JP NZ,FCERR
_rows:  LD (ROWS),A
        PUSH HL
        CALL CLS
        CALL CRTINIT
        CALL DMAINIT
        POP HL
        RET
_cls:   PUSH HL
        CALL CLS
        POP HL
        RET

; ATTR x,y,v: the attribute pair v from column x of row y on (see the
; attribute values: colour pairs have bit 3 set).
S_ATTR: CALL XYPAIR
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        LD C,A
        POP DE
        PUSH HL
        CALL SETATTR
        POP HL
        RET

; Reads "x,y" (a cell): E = x, D = y, checked against the screen.
XYPAIR: CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        LD D,A
        POP AF
        LD E,A
        LD A,(COLS)
        DEC A
        CP E
        JP C,FCERR
        LD A,(ROWS)
        DEC A
        CP D
        JP C,FCERR
        RET

; SOUND t: the beeper sounds for t ticks (2 ms each), 0 stops it.
S_SOUND:
        CALL EVALBYTE
        OR A
        JR NZ,_on
        PUSH HL
        CALL BEEPOFF
        POP HL
        RET
_on:    PUSH AF
        CALL BEEP
        POP AF
        LD (BEEPTIME),A
        JP S_BEEP_WAIT

; GLYPH c,b0[,b1..b7]: the glyph of code c (128-255) from its rows of
; dots, top first; rows not given are blank.
S_GLYPH:
        CALL EVALBYTE
        CP 80H
        JP C,FCERR
        SUB 80H
        LD E,A
        LD D,0
        EX DE,HL
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        EX DE,HL                ; DE = its first address
        LD B,8
_row:   PUSH BC
        XOR A
        PUSH AF
        CALL CHRGOT
        CP ','
        JR NZ,_blank
        POP AF
        CALL CHRGET
        PUSH DE
        CALL EVALBYTE
        POP DE
        PUSH AF
_blank: POP AF
        EX DE,HL
        CALL PCGSTORE
        INC HL
        EX DE,HL
        POP BC
        DJNZ _row
        RET

; ---------------------------------------------------------------- plotting
; Dots: x 0 to 2 * columns - 1, y 0 to 4 * rows - 1, two across and four
; down in each cell. The first dot in a row makes it a plotting row: its
; text goes and its colour pair shows the cells' bits as dots.

; Reads "(x,y)" for LINE: DE = x, BC = y, each from -4096 to 4095, so the
; steps' sums stay within 16 bits.
LINEXY: CALL DOTXY
        LD A,D
        CALL _near
        LD A,B
_near:  ADD A,10H
        CP 20H
        RET C
        JP FCERR

; Reads "(x,y)": DE = x, BC = y.
DOTXY:  CALL SYNCHR
        DB '('
        CALL EVALINT
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALINT
        PUSH DE
        CALL SYNCHR
        DB ')'
        POP BC
        POP DE
        RET

; HL = the cell of dot (DE, BC) and A = its bit; carry if off the screen.
; Makes the row a plotting row.
DOTCELL:
        LD A,D                  ; x < 2 * columns, y < 4 * rows
        OR B
        SCF
        RET NZ
        LD A,(COLS)
        ADD A,A
        DEC A
        CP E
        RET C
        LD A,(ROWS)
        ADD A,A
        ADD A,A
        DEC A
        CP C
        RET C
        LD A,C
        AND 3
        BIT 0,E
        JR Z,_left
        ADD A,4
_left:  PUSH AF                 ; bit number
        SRL E                   ; column
        SRL C
        SRL C                   ; row
        LD D,C
        LD A,D
        CALL ROWADDR
        PUSH HL
        LD BC,ATTRS + 1
        ADD HL,BC
        CALL COLOURVAL
        OR A_SEMI
        CP (HL)
        JR Z,_plot
        LD (HL),A               ; a new plotting row: no text, no dots
        POP HL
        PUSH HL
        LD B,ATTRS
_clear: LD (HL),0
        INC HL
        DJNZ _clear
_plot:  POP HL
        CALL CELLADDR
        POP AF
        LD B,A
        LD A,1
        INC B
_bit:   DEC B
        JR Z,_got
        ADD A,A
        JR _bit
_got:   OR A
        RET

; PSET (x,y) / PRESET (x,y): a dot on / off; off the screen nothing.
S_PSET: LD A,1
        JR PLOT
S_PRESET:
        XOR A
PLOT:   PUSH AF
        CALL DOTXY
        POP AF
; Plots dot (DE, BC): on if A is non-zero. Keeps HL.
PLOTDOT:
        PUSH HL
        PUSH AF
        CALL DOTCELL
        JR C,_off
        LD B,A
        POP AF
        OR A
        LD A,B
        JR Z,_reset
        OR (HL)
        LD (HL),A
        POP HL
        RET
_reset: CPL
        AND (HL)
        LD (HL),A
        POP HL
        RET
_off:   POP AF
        POP HL
        RET

; POINT(x,y): -1 if the dot is on, else 0.
U_POINT:
        CALL DOTXY
        PUSH HL
        LD HL,0
        LD A,D                  ; only a plotting row has dots
        OR B
        JR NZ,_res
        PUSH DE
        PUSH BC
        LD A,C
        SRL A
        SRL A
        CALL ROWADDR
        LD DE,ATTRS + 1
        ADD HL,DE
        CALL COLOURVAL
        OR A_SEMI
        CP (HL)
        POP BC
        POP DE
        LD HL,0
        JR NZ,_res
        CALL DOTCELL
        JR C,_none
        AND (HL)
        LD HL,0
        JR Z,_res
        DEC HL
        JR _res
_none:  LD HL,0
_res:   EX DE,HL
        POP HL
        JP INTRES

; LINE (x1,y1)-(x2,y2)[,0]: the dots between two points (,0 clears them).
S_LINE: CALL LINEXY
        LD (PLOTX),DE
        LD (PLOTY),BC
        CALL SYNCHR
        DB '-'
        CALL LINEXY
        LD A,1
        PUSH AF
        CALL CHRGOT
        CP ','
        JR NZ,_draw
        POP AF
        PUSH DE
        PUSH BC
        CALL CHRGET
        CALL EVALBYTE
        POP BC
        POP DE
        PUSH AF
_draw:  POP AF
        PUSH HL
        LD (LINEON),A
        LD (LINEX2),DE
        LD (LINEY2),BC
        ; dx = |x2 - x1|, sx; dy = -|y2 - y1|, sy; err = dx + dy
        LD HL,(PLOTX)
        EX DE,HL
        OR A
        SBC HL,DE               ; x2 - x1
        LD BC,1
        JP P,_dxp
        CALL NEGHL
        LD BC,-1
_dxp:   LD (LINEDX),HL
        LD (LINESX),BC
        LD HL,(LINEY2)
        LD DE,(PLOTY)
        OR A
        SBC HL,DE
        LD BC,1
        JP P,_dyp
        CALL NEGHL
        LD BC,-1
_dyp:   CALL NEGHL
        LD (LINEDY),HL
        LD (LINESY),BC
        LD DE,(LINEDX)
        ADD HL,DE
        LD (LINEERR),HL
_step:  CALL BREAKNOW            ; STOP: a break after the statement
        JR NZ,_brk
        LD DE,(PLOTX)
        LD BC,(PLOTY)
        LD A,(LINEON)
        CALL PLOTDOT
        LD HL,(PLOTX)
        LD DE,(LINEX2)
        OR A
        SBC HL,DE
        JR NZ,_more
        LD HL,(PLOTY)
        LD DE,(LINEY2)
        OR A
        SBC HL,DE
        JR Z,_done
_more:  LD HL,(LINEERR)
        ADD HL,HL               ; e2
        PUSH HL
        LD DE,(LINEDY)          ; e2 >= dy: a step across
        OR A
        SBC HL,DE
        JP M,_noX
        LD HL,(LINEERR)
        ADD HL,DE
        LD (LINEERR),HL
        LD HL,(PLOTX)
        LD DE,(LINESX)
        ADD HL,DE
        LD (PLOTX),HL
_noX:   POP HL
        LD DE,(LINEDX)          ; e2 <= dx: a step down
        EX DE,HL
        OR A
        SBC HL,DE
        JP M,_step
        LD HL,(LINEERR)
        LD DE,(LINEDX)
        ADD HL,DE
        LD (LINEERR),HL
        LD HL,(PLOTY)
        LD DE,(LINESY)
        ADD HL,DE
        LD (PLOTY),HL
        JR _step
_done:  POP HL
        RET
_brk:   POP HL
        POP BC
        JP BREAK

NEGHL:  XOR A
        SUB L
        LD L,A
        SBC A,A
        SUB H
        LD H,A
        RET

; ---------------------------------------------------------------- clock, pen
; TIME$: "hh:mm:ss" from the calendar clock.
U_TIMES:
        PUSH HL
        CALL CLKREAD
        LD HL,VALBUF
        LD A,(CLOCKBUF + 2)
        CALL _two
        LD A,(CLOCKBUF + 1)
        CALL _two
        LD A,(CLOCKBUF)
        CALL _two
        LD HL,VALBUF
        LD A,8
        CALL MKSTR
        POP HL
        RET
_two:   PUSH AF
        RRCA
        RRCA
        RRCA
        RRCA
        AND 0FH
        ADD A,'0'
        LD (HL),A
        INC HL
        POP AF
        AND 0FH
        ADD A,'0'
        LD (HL),A
        INC HL
        LD (HL),':'
        INC HL
        RET

; TIME$="hh:mm:ss": sets the clock (the date stays).
S_TIMESET:
        CALL CHRGET
        CALL SYNCHR
        DB '='
        CALL EVALSTR
        PUSH HL
        CALL FRETMP
        EX DE,HL
        CALL DESCDATA
        LD A,C
        CP 8
        JP NZ,FCERR
        PUSH HL
        CALL CLKREAD
        POP HL
        LD DE,CLOCKBUF + 2
        LD C,24
        CALL _field
        LD C,60
        CALL _field
        LD C,60
        CALL _field
        CALL CLKWRITE
        POP HL
        RET
; The two digits at HL, below C, to BCD at DE (then DE - 1); HL past a
; separator.
_field: CALL _digit
        LD B,A
        ADD A,A
        ADD A,A
        ADD A,B
        ADD A,A
        LD B,A
        CALL _digit
        ADD A,B
        CP C
        JP NC,FCERR
        CALL TOBCD
        LD (DE),A
        DEC DE
        INC HL
        RET
_digit: LD A,(HL)
        INC HL
        SUB '0'
        JP C,FCERR
        CP 10
        JP NC,FCERR
        RET

; PEN(0): -1 if the pen has been pressed on the screen since the last
; PEN(0) (its cell is kept), else 0. PEN(1), PEN(2): the column and row of
; that cell.
U_PEN:  CALL PARBYTE
        PUSH HL
        LD HL,PENX
        DEC A
        JR Z,_cell
        LD HL,PENY
        DEC A
        JR Z,_cell
        INC A
        INC A
        JP NZ,FCERR
        LD DE,0
        IN A,(P_CRTCMD)
        RRCA
        JR NC,_res
        LD A,CRT_PEN
        OUT (P_CRTCMD),A
        IN A,(P_CRTDATA)
        AND 7FH
        SUB 6
        LD (PENX),A
        IN A,(P_CRTDATA)
        AND 3FH
        LD (PENY),A
        DEC DE
_res:   POP HL
        JP INTRES
_cell:  LD A,(HL)
        POP HL
        JP BYTERES

; ---------------------------------------------------------------- tape
; SAVE "name": the program as a memory record from TXTTAB, which the
; monitor's LOAD takes as well. LOAD ["name"]: that program, or the next
; on the tape. BSAVE "name",a,n: n bytes from a. BLOAD ["name"][,a].
S_SAVE: CALL TAPENAMEB
        PUSH HL
        LD HL,(VARTAB)
        LD DE,TXTTAB
        OR A
        SBC HL,DE
        EX DE,HL
        JR SAVEREC

S_BSAVE:
        CALL TAPENAMEB
        CALL SYNCHR
        DB ','
        CALL EVALADDR
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALADDR
        LD A,D
        OR E
        JP Z,FCERR
        POP BC
        PUSH HL
        LD H,B
        LD L,C
; Saves DE bytes from HL as a memory record named TAPENAME.
SAVEREC:
        LD (TAPEHDR + H_START),HL
        LD (TAPEHDR + H_LENGTH),DE
        CALL TAPESAVE
        POP HL
        RET

; A program goes where programs start, but waits first in the free memory
; above the program and its variables (PROGPLACE), which stay as they were
; unless it proves to be a whole program.
S_LOAD: CALL TAPENAMEL
        LD HL,TXTTAB
        LD (TAPEDEST),HL
        LD A,(TAPEANY)
        OR L_ADDRESS + L_PROGRAM
        LD (TAPEANY),A
        CALL TAPELOAD
        JP NZ,BERRWARM
        LD HL,(STREND)
        LD BC,(TAPEHDR + H_LENGTH)
        PUSH HL
        PUSH BC
        ADD HL,BC
        EX DE,HL
        POP BC
        POP HL
        PUSH HL
        PUSH BC
        CALL PROGCHECK
        POP BC
        POP HL
        LD E,E_NP
        JP C,ERROR
        LD DE,TXTTAB
        LDIR
        JP BASIC                ; its end found as after the monitor

; TAPELOAD's place for a program of BC bytes (kept): HL = the free memory
; above the program and its variables; where it does not fit there, the
; program goes first (NEW), and says so.
PROGPLACE:
        LD HL,(FRETOP)
        LD DE,(STREND)
        OR A
        SBC HL,DE
        SBC HL,BC
        JR NC,_fits
        LD HL,MEMSIZ - TXTTAB - 2
        OR A
        SBC HL,BC
        JP C,OMERR
        CALL SCRATCH
        CALL PRINTI
        DB "Program cleared",0DH,0
_fits:  LD HL,(STREND)
        RET

S_BLOAD:
        CALL TAPENAMEL
        CALL CHRGOT
        CP ','
        JR NZ,_load
        CALL CHRGET
        CALL EVALADDR
        LD (TAPEDEST),DE
        LD A,(TAPEANY)
        OR L_ADDRESS
        LD (TAPEANY),A
_load:  PUSH HL
        CALL TAPELOAD
        PUSH AF
        LD DE,(TAPEHDR + H_START)
        CALL TXCBELOW
        POP AF
        POP HL
        RET Z
        JP BERRWARM

; A "name" for SAVE into TAPENAME, space padded (at most 8 characters).
TAPENAMEB:
        CALL EVALSTR
        PUSH HL
        CALL FRETMP
        EX DE,HL
        CALL DESCDATA
        LD A,C
        OR A
        JP Z,FCERR
        CP 9
        JP NC,FCERR
        LD DE,TAPENAME
        PUSH BC
        PUSH DE
        LD B,8
_pad:   LD A,' '
        LD (DE),A
        INC DE
        DJNZ _pad
        POP DE
        POP BC
        LDIR
        POP HL
        RET

; An optional "name" for LOAD: TAPEANY says whether any name will do.
TAPENAMEL:
        CALL CHRGOT
        LD A,L_ANYNAME
        JR Z,_any
        CP ','
        JR Z,_any
        CALL TAPENAMEB
        XOR A
_any:   LD (TAPEANY),A
        RET
