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

; LINE (x1,y1)-(x2,y2)[,0]: the dots between two points (,0 clears them);
; LINE INPUT is another statement.
S_LINE: CP T_INPUT
        JP Z,LINEINPUT
        CALL LINEXY
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
; monitor's LOAD takes as well; SAVE "name",A: as text, its listing.
; LOAD ["name"]: that program, or the next on the tape; MERGE ["name"]:
; a text's lines into the program. BSAVE "name",a,n: n bytes from a.
; BLOAD ["name"][,a].
S_SAVE: CALL TAPENAMEB
        CALL CHRGOT
        CP ','
        JR Z,SAVETEXT
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
        LD A,T_MEMORY
        CALL TAPESAVE
        POP HL
        RET

; SAVE "name",A: the listing is counted, then written to the tape as it
; is listed, so the text needs no memory of its own.
SAVETEXT:
        CALL CHRGET
        CALL SYNCHR
        DB 'A'
        PUSH HL
        LD HL,0
        LD (TAPEHDR + H_START),HL
        LD (TAPEHDR + H_LENGTH),HL
        LD H,1                  ; OUTCH counts
        LD (EDITPTR),HL
        CALL LISTALL
        LD A,T_TEXT
        CALL TAPEHEAD
        JR NZ,_none
        LD HL,0200H             ; OUTCH writes to the tape
        LD (EDITPTR),HL
        CALL LISTALL
        CALL TAPEEND
_none:  LD HL,0
        LD (EDITPTR),HL
        POP HL
        RET

; A program goes where programs start, but waits first in the free memory
; above the program and its variables (PROGPLACE), which stay as they were
; unless it proves to be a whole program. A text's lines are stored as if
; typed, one by one as they come from the tape (TEXTIN).
S_MERGE:
        LD C,L_MERGE + L_ADDRESS + L_PROGRAM
        JR LOADPROG
S_LOAD: LD C,L_ADDRESS + L_PROGRAM
LOADPROG:
        PUSH BC
        CALL TAPENAMEL
        POP BC
        LD HL,TXTTAB
        LD (TAPEDEST),HL
        LD A,(TAPEANY)
        OR C
        LD (TAPEANY),A
        CALL TAPESEEK
        LD A,(TAPEHDR + H_TYPE)
        CP T_TEXT
        JR Z,_text
        LD A,(TAPEANY)          ; MERGE takes text only
        AND L_MERGE
        JR NZ,_not
        CALL TAPEREAD
        JP NZ,BERRWARM
        LD HL,(FRETOP)          ; where PROGPLACE put it
        LD BC,(TAPEHDR + H_LENGTH)
        OR A
        SBC HL,BC
        LD DE,(FRETOP)
        PUSH HL
        PUSH BC
        CALL PROGCHECK
        POP BC
        POP HL
        JR C,_not
        LD DE,TXTTAB
        LDIR
        JP BASIC                ; its end found as after the monitor
_text:  CALL TAPESHOW
        CALL TEXTIN
        CALL TAPECHECK
        JP NZ,BERRWARM
        JP BASIC
_not:   LD E,E_NP
        JP ERROR

; TAPELOAD's place for a program of BC bytes (kept): HL = the top of the
; free memory above the program and its variables; where it does not fit
; there, the program goes first (NEW), and says so.
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
        PUSH BC
        CALL SCRATCH
        POP BC
        CALL PRINTI
        DB "Program cleared",0DH,0
_fits:  LD HL,(FRETOP)
        OR A
        SBC HL,BC
        RET

; Stores the lines of the text record TAPESEEK found as they come from the
; tape, each as if typed: it must begin with its number (Not a program)
; and fit the input line (Line buffer overflow). LOAD's old program goes
; once the first line proves sound, or the text empty; an error ends the
; load with the lines stored so far.
TEXTIN: LD HL,(TAPEHDR + H_LENGTH)
        LD (TEXTLEFT),HL
_line:  CALL TEXTLINE
        JR Z,_new
        LD HL,BUF
        CALL CHRGOT
        JR NC,_bad
        CALL NUMGET
        JR C,_bad
        PUSH DE
        PUSH HL
        CALL _new
        POP HL
        POP DE
        CALL STORELINE
        JR _line
_bad:   LD E,E_NP
        JP ERROR
; LOAD's old program goes before the first line; from then on the text
; merges.
_new:   LD HL,TAPEANY
        LD A,(HL)
        AND L_MERGE
        RET NZ
        LD A,(HL)
        OR L_MERGE
        LD (HL),A
        JP SCRATCH

; The text's next line that is not blank, in BUF: NZ; Z at its end. A
; carriage return or a line feed ends a line. Outside quotes the codes
; that typing drops (control codes, and 7FH and above) are dropped.
TEXTLINE:
        LD DE,BUF
        LD C,0                  ; bit 0: in quotes
_char:  LD HL,(TEXTLEFT)        ; the record's end ends the line
        LD A,H
        OR L
        JR Z,_end
        DEC HL
        LD (TEXTLEFT),HL
        CALL TAPEBYTE
        CP 1AH                  ; the text's end: the rest is passed over
        JR Z,_last
        CP 0DH
        JR Z,_end
        CP 0AH
        JR Z,_end
        CP '"'
        JR NZ,_kind
        INC C
_kind:  BIT 0,C
        JR NZ,_keep
        CP ' '
        JR C,_char
        CP 7FH
        JR NC,_char
_keep:  LD B,A
        LD A,E
        CP 0FFH AND (BUF + LINEMAXB)
        LD E,E_LB
        JP Z,ERROR
        LD E,A
        LD A,B
        LD (DE),A
        INC DE
        JR _char
_last:  LD A,H
        OR L
        JR Z,_gone
        CALL TAPEBYTE
        DEC HL
        JR _last
_gone:  LD (TEXTLEFT),HL
_end:   XOR A
        LD (DE),A
        LD HL,BUF
        CALL CHRGOT
        RET NZ
        LD HL,(TEXTLEFT)        ; blank: passed over, as typing one is
        LD A,H
        OR L
        JR NZ,TEXTLINE
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

; ---------------------------------------------------------------- function keys
; F1 to F5 type their texts, kept in KEYTXT, where BASIC takes keys: the
; input line, INKEY$ and INPUT$.

FKDEFAULT:
        DB "LIST ",0
        DB "RUN",0DH,0
        DB "LOAD",'"',0
        DB "SAVE",'"',0
        DB "CONT",0DH,0

; The keys' texts as they are at power on.
FKINIT: LD DE,FKDEFAULT
        XOR A
_key:   PUSH AF
        CALL FKSLOT
        EX DE,HL
_char:  LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        OR A
        JR NZ,_char
        EX DE,HL
        POP AF
        INC A
        CP 5
        JR NZ,_key
        RET

; HL = the text of function key A (0-4). Keeps DE.
FKSLOT: ADD A,A
        ADD A,A
        ADD A,A
        ADD A,A
        LD L,A
        LD H,0
        PUSH DE
        LD DE,KEYTXT
        ADD HL,DE
        POP DE
        RET

; NZ and A = the next key, as KEYCHK gives it but for a function key,
; which gives its text a character at a time; Z if none waits.
FKCHK:  PUSH HL
        LD HL,(FKPTR)
        LD A,H
        OR L
        JR Z,_queue
        LD A,(HL)
        INC HL
        LD (FKPTR),HL
        OR A
        JR NZ,_done
        LD H,A
        LD L,A
        LD (FKPTR),HL
_queue: CALL KEYCHK
        JR Z,_done
        CP K_F1
        JR C,_done
        CP K_F1 + 5
        JR NC,_done
        SUB K_F1
        CALL FKSLOT
        LD (FKPTR),HL
        POP HL
        JR FKCHK
_done:  POP HL
        RET

; Waits for a key as GETKEY does, a function key's text included.
FKGET:  CALL FKCHK
        RET NZ
        CALL WAITTICK
        JR FKGET

; KEY n,"text": function key n's text (its first 15 characters). KEY LIST
; shows them. KEY ON and KEY OFF change nothing: the keys' texts are not
; shown on the screen, whose rows all stay the programs'.
S_KEY:  CP T_LIST
        JR Z,_list
        CP T_ON
        JP Z,CHRGET
        CP 'O'
        JR NZ,_set
        CALL CHRGET
        CALL SYNCHR
        DB 'F'
        CALL SYNCHR
        DB 'F'
        RET
_set:   CALL EVALBYTE
        DEC A
        CP 5
        JP NC,FCERR
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVALSTR
        POP AF
        PUSH HL
        CALL FKSLOT
        PUSH HL
        CALL FRETMP
        EX DE,HL
        CALL DESCDATA
        LD A,C
        CP 16
        JR C,_fits
        LD C,15
_fits:  POP DE
        CALL COPYBC
        XOR A
        LD (DE),A
        POP HL
        RET
_list:  CALL CHRGET
        PUSH HL
        XOR A
_key:   PUSH AF
        LD A,'F'
        CALL PUTCH
        POP AF
        PUSH AF
        ADD A,'1'
        CALL PUTCH
        CALL PSPACE
        POP AF
        PUSH AF
        CALL FKSLOT
_char:  LD A,(HL)
        OR A
        JR Z,_end
        CALL PUTRAW             ; a control character as its glyph
        INC HL
        JR _char
_end:   CALL CRLF
        POP AF
        INC A
        CP 5
        JR NZ,_key
        POP HL
        RET
