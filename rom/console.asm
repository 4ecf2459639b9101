; Console: text output into the screen area with scrolling, the cursor
; through the CRT controller, number printing and row attributes.
;
; Every row starts with two attribute pairs at position 0: a colour pair
; (FGCOL) and a plain function pair, so no cell inherits the attribute of
; the cell drawn before it. Unused pairs hold position PAIRFREE.

; HL = A * 120, the offset of row A.
ROWOFFSET:
        PUSH DE
        LD L,A
        LD H,0
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        LD D,H
        LD E,L
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        OR A
        SBC HL,DE
        POP DE
        RET

; HL = address of row A.
ROWADDR:
        PUSH DE
        CALL ROWOFFSET
        LD DE,SCREEN
        ADD HL,DE
        POP DE
        RET

; HL = address of the cell at row D, column E.
CELLADDR:
        PUSH DE
        LD A,D
        CALL ROWADDR
        LD A,(STEP)
        DEC A
        LD A,E
        JR Z,_one
        ADD A,A
_one:   LD E,A
        LD D,0
        ADD HL,DE
        POP DE
        RET

; A = the colour pair value of the text colour.
COLOURVAL:
        LD A,(FGCOL)
        RRCA                    ; colour code to bits 5-7
        RRCA
        RRCA
        AND 0E0H
        OR 08H
        RET

; Blanks the row at HL: spaces and the standard attribute pairs.
INITROW:
        PUSH BC
        PUSH HL
        LD B,ATTRS
_space: LD (HL),' '
        INC HL
        DJNZ _space
        LD (HL),0
        INC HL
        CALL COLOURVAL
        LD (HL),A
        INC HL
        LD (HL),0
        INC HL
        LD (HL),0
        INC HL
        LD B,NPAIRS - 2
_free:  LD (HL),PAIRFREE
        INC HL
        LD (HL),0
        INC HL
        DJNZ _free
        POP HL
        POP BC
        RET

; Clears all 25 rows and homes the cursor.
CLS:    PUSH BC
        PUSH HL
        LD HL,SCREEN
        LD B,SCRROWS
_row:   CALL INITROW
        PUSH DE
        LD DE,ROWBYTES
        ADD HL,DE
        POP DE
        DJNZ _row
        XOR A
        LD (CURX),A
        LD (CURY),A
        POP HL
        POP BC
        JP SHOWCURSOR

; Sets the colour pair at position 0 of every row to the text colour.
RECOLOUR:
        PUSH BC
        PUSH DE
        PUSH HL
        LD HL,SCREEN + ATTRS + 1
        LD DE,ROWBYTES
        LD B,SCRROWS
        CALL COLOURVAL
_row:   LD (HL),A
        ADD HL,DE
        DJNZ _row
        POP HL
        POP DE
        POP BC
        RET

; Moves the rows in use up by one and blanks the last.
SCROLL: PUSH BC
        PUSH DE
        PUSH HL
        LD A,(ROWS)
        DEC A
        CALL ROWOFFSET
        LD B,H
        LD C,L
        LD HL,SCREEN + ROWBYTES
        LD DE,SCREEN
        LDIR
        LD A,(ROWS)
        DEC A
        CALL ROWADDR
        CALL INITROW
        POP HL
        POP DE
        POP BC
        RET

; Puts the CRT controller's cursor on (CURY, CURX); its column counts in
; 80-column units.
SHOWCURSOR:
        PUSH BC
        LD A,(STEP)
        LD B,A
        LD A,(CURX)
        DEC B
        JR Z,_x
        ADD A,A
_x:     LD C,A
        LD A,CRT_CURS
        OUT (P_CRTCMD),A
        LD A,C
        OUT (P_CRTDATA),A
        LD A,(CURY)
        OUT (P_CRTDATA),A
        POP BC
        RET

; Moves the cursor to the start of the next line, scrolling at the bottom.
NEWLINE:
        PUSH AF
        PUSH BC
        XOR A
        LD (CURX),A
        LD A,(ROWS)
        LD B,A
        LD A,(CURY)
        INC A
        CP B
        JR C,_down
        CALL SCROLL
        LD A,(ROWS)
        DEC A
_down:  LD (CURY),A
        POP BC
        POP AF
        JP SHOWCURSOR

; Prints A. Control codes: 0DH new line, 08H back one column, 0CH clear
; screen, 07H beep; other codes below 20H are ignored.
PUTCH:  CP 20H
        JR NC,PUTRAW
        CP 0DH
        JP Z,NEWLINE
        CP 08H
        JR NZ,_cls
        LD A,(CURX)
        OR A
        RET Z
        DEC A
        LD (CURX),A
        JP SHOWCURSOR
_cls:   CP 0CH
        JP Z,CLS
        CP 07H
        RET NZ
        JP BEEP

; Prints the glyph of code A at the cursor whatever its value.
PUTRAW: PUSH BC
        PUSH DE
        PUSH HL
        LD C,A
        LD A,(CURY)
        LD D,A
        LD A,(CURX)
        LD E,A
        CALL CELLADDR
        LD (HL),C
        LD A,(COLS)
        LD B,A
        LD A,E
        INC A
        LD (CURX),A
        CP B
        JR C,_same
        CALL NEWLINE
        JR _done
_same:  CALL SHOWCURSOR
_done:  POP HL
        POP DE
        POP BC
        RET

CRLF:   LD A,0DH
        JR PUTCH

PSPACE: LD A,' '
        JR PUTCH

; Prints the zero-terminated text at HL; HL ends past the terminator.
PRINT:  LD A,(HL)
        INC HL
        OR A
        RET Z
        CALL PUTCH
        JR PRINT

; Prints the zero-terminated text that follows the CALL, and returns after it.
PRINTI: EX (SP),HL
        CALL PRINT
        EX (SP),HL
        RET

; Prints HL, then A, as hex digits.
PHEX4:  LD A,H
        CALL PHEX2
        LD A,L
PHEX2:  PUSH AF
        RRCA
        RRCA
        RRCA
        RRCA
        CALL _digit
        POP AF
_digit: AND 0FH
        ADD A,'0'
        CP '9' + 1
        JR C,_out
        ADD A,'A' - '9' - 1
_out:   JP PUTCH

; Prints A (0-99) as two decimal digits.
PDEC2:  PUSH BC
        LD B,'0' - 1
_tens:  INC B
        SUB 10
        JR NC,_tens
        ADD A,'0' + 10
        LD C,A
        LD A,B
        CALL PUTCH
        LD A,C
        CALL PUTCH
        POP BC
        RET

; Prints HL in decimal without leading zeros.
PDEC:   PUSH BC
        PUSH DE
        PUSH HL
        LD B,0                  ; digits printed so far
        LD DE,-10000
        CALL _place
        LD DE,-1000
        CALL _place
        LD DE,-100
        CALL _place
        LD DE,-10
        CALL _place
        LD A,L
        ADD A,'0'
        CALL PUTCH
        POP HL
        POP DE
        POP BC
        RET
_place: LD A,'0' - 1
_count: INC A
        ADD HL,DE
        JR C,_count
        SBC HL,DE
        CP '0'
        JR NZ,_print
        INC B
        DEC B
        RET Z
_print: INC B
        JP PUTCH

; Adds the attribute pair (column E of row D, value C) to the row's free
; pairs; the column counts in the current mode's columns. A row with no
; free pair is left alone. At column 0 the value replaces the row's
; standard pair of its kind, since of two pairs at one position the first
; one counts.
SETATTR:
        PUSH BC
        PUSH DE
        PUSH HL
        LD A,D
        CALL ROWADDR
        LD A,E
        OR A
        JR NZ,_notfirst
        LD DE,ATTRS + 1
        ADD HL,DE
        BIT 3,C
        JR NZ,_first
        INC HL
        INC HL
_first: LD (HL),C
        JR _full
_notfirst:
        LD A,(STEP)
        DEC A
        LD A,E
        JR Z,_pos
        ADD A,A
_pos:   LD E,A
        LD A,ATTRS
        ADD A,L
        LD L,A
        JR NC,_nc
        INC H
_nc:    LD B,NPAIRS
_find:  LD A,(HL)
        CP PAIRFREE
        JR Z,_put
        INC HL
        INC HL
        DJNZ _find
        JR _full
_put:   LD (HL),E
        INC HL
        LD (HL),C
_full:  POP HL
        POP DE
        POP BC
        RET
