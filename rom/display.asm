; Screen commands: WIDTH, ROWS, COLOR, MONO, DISPLAY, ATTR, CHARS.

; WIDTH 40|80: the column mode; clears the screen.
CMDWIDTH:
        CALL NEEDDEC
        LD B,A
        CALL ENDCHK
        LD A,B
        CALL SETCOLS
        JP NZ,ERRVALUE
        JP CLS

; Sets the column mode from A (40 or 80): the screen variables and port 30H.
; NZ, and nothing changed, for any other value. Changes A and C.
SETCOLS:
        LD C,2
        CP 40
        JR Z,_set
        LD C,1
        CP 80
        RET NZ
_set:   LD (COLS),A
        LD A,C
        LD (STEP),A
        LD A,(SHADOW30)
        AND NOT SYS_COL80
        DEC C
        JR NZ,_out
        OR SYS_COL80
_out:   LD (SHADOW30),A
        OUT (P_SYS30),A
        XOR A
        RET

; ROWS 20|25: the row count, through the CRT controller and the DMA count;
; clears the screen.
CMDROWS:
        CALL NEEDDEC
        LD B,A
        CALL ENDCHK
        LD A,B
        CP 20
        JR Z,_set
        CP 25
        JP NZ,ERRVALUE
_set:   LD (ROWS),A
        CALL CLS
        CALL CRTINIT
        JP DMAINIT

; COLOR f [b]: the text colour of every row, and the background colour.
CMDCOLOR:
        CALL NEEDDEC
        CP 8
        JP NC,ERRVALUE
        LD (FGCOL),A
        CALL GETDEC
        JR C,_fg
        CP 8
        JP NC,ERRVALUE
        CALL SETBACK
_fg:    CALL ENDCHK
        JP RECOLOUR

; The background colour A (0-7). Keeps C, DE and HL.
SETBACK:
        RRCA                    ; to bits 5-7
        RRCA
        RRCA
        LD B,A
        LD A,(SHADOW31)
        AND 1FH
        OR B
        LD (SHADOW31),A
        OUT (P_SYS31),A
        RET

; MONO ON|OFF: monochrome attributes.
CMDMONO:
        CALL ONOFF
        LD A,(SHADOW30)
        RES 1,A
        JR Z,_out
        SET 1,A
_out:   LD (SHADOW30),A
        OUT (P_SYS30),A
        RET

; DISPLAY OFF: blanks the display until a key is pressed. DISPLAY ON: on.
CMDDISPLAY:
        CALL ONOFF
        JR NZ,DISPON
        CALL PRINTI
        DB "Display off until a key is pressed",0
        CALL KEYFLUSH
        LD A,(SHADOW31)
        AND NOT SYS_DISP
        OUT (P_SYS31),A
        CALL GETKEY
DISPON: LD A,(SHADOW31)
        OR SYS_DISP
        LD (SHADOW31),A
        OUT (P_SYS31),A
        RET

; ATTR: lines showing the colours and every attribute.
CMDATTR:
        CALL ENDCHK
        LD HL,ATTRDEMO
_line:  LD A,(HL)
        OR A
        RET Z
        CALL PRINT              ; the text (codes below 20H are glyphs here)
        LD A,(CURY)
        LD D,A
        CALL ATTRLIST
        INC HL
        CALL CRLF
        JR _line

; Each line: its text, then its pairs (column, value) ending with FFH. The
; text goes through PRINT, so the semigraphic cells use codes of 20H up.
ATTRDEMO:
        DB "BLUE RED MAGENTA GREEN",0
        DB 0,C_BLUE, 5,C_RED, 9,C_MAGENTA, 17,C_GREEN, 0FFH
        DB "CYAN YELLOW WHITE",0
        DB 0,C_CYAN, 5,C_YELLOW, 12,C_WHITE, 0FFH
        DB "NORMAL REVERSE BLINK SECRET:[HIDDEN]",0
        DB 7,A_REVERSE, 14,0, 15,A_BLINK, 20,0, 29,A_SECRET, 35,0, 0FFH
        DB "OVERLINE UNDERLINE VERTICAL ALL",0
        DB 0,A_OVER, 8,0, 9,A_UNDER, 18,0, 19,A_VLINE, 27,0
        DB 28,A_OVER + A_UNDER + A_VLINE + A_REVERSE, 31,0, 0FFH
        DB "SEMIGRAPHICS ",33H,0CCH,55H,0AAH,0F0H,0FFH,99H,66H
        DB 0C3H,3CH,81H,7EH,0E7H,24H,0DBH,0A5H,0
        DB 13,C_RED + A_SEMI, 17,C_GREEN + A_SEMI, 21,C_YELLOW + A_SEMI
        DB 25,C_CYAN + A_SEMI, 29,C_WHITE, 0FFH
        DB 0

; CHARS: a table of the glyphs of codes 80H to FFH.
CMDCHARS:
        CALL ENDCHK
        CALL PRINTI
        DB "    0 1 2 3 4 5 6 7 8 9 A B C D E F",0DH,0
        LD C,80H
_row:   LD A,C
        CALL PHEX2
        CALL PSPACE
_code:  CALL PSPACE
        LD A,C
        CALL PUTRAW
        INC C
        LD A,C
        AND 0FH
        JR NZ,_code
        CALL CRLF
        LD A,C
        OR A
        JR NZ,_row
        RET
